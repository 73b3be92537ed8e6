// A capture sink that records what the cores hand to the user interface; it
// is the process's sink while it lives.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "capture/gps/capture_sink.h"

class RecordingSink : public CaptureSink {
public:
    RecordingSink() { setCaptureSink(this); }
    ~RecordingSink() override { setCaptureSink(nullptr); }

    void setPanelText(int controlId, std::string_view utf8) override {
        std::lock_guard<std::mutex> guard(lock_);
        texts_.emplace_back(controlId, std::string(utf8));
    }
    void playCue(int cue) override {
        std::lock_guard<std::mutex> guard(lock_);
        cues_.push_back(cue);
    }
    void setFlashVisible(bool visible) override { ++(visible ? flashes : flashHides); }
    void showCoursePoints(const Course& course) override {
        std::lock_guard<std::mutex> guard(lock_);
        shownCourses_.push_back(course);
    }

    // Last text written to a control, "" when none.
    std::string text(int controlId) const {
        std::lock_guard<std::mutex> guard(lock_);
        for (auto it = texts_.rbegin(); it != texts_.rend(); ++it) {
            if (it->first == controlId) return it->second;
        }
        return "";
    }
    std::vector<std::pair<int, std::string>> texts() const {
        std::lock_guard<std::mutex> guard(lock_);
        return texts_;
    }
    std::vector<int> cues() const {
        std::lock_guard<std::mutex> guard(lock_);
        return cues_;
    }
    // Every course the sink was shown, oldest first.
    std::vector<Course> shownCourses() const {
        std::lock_guard<std::mutex> guard(lock_);
        return shownCourses_;
    }
    void clear() {
        std::lock_guard<std::mutex> guard(lock_);
        texts_.clear();
    }

    std::atomic<int> flashes{0}, flashHides{0};

private:
    mutable std::mutex lock_;
    std::vector<std::pair<int, std::string>> texts_;
    std::vector<int> cues_;
    std::vector<Course> shownCourses_;
};
