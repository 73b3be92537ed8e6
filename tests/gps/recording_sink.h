// A capture sink that records what the GPS side hands to the user interface.
#pragma once

#include <atomic>
#include <map>
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
    void checkPointPasses() override { ++passChecks; }
    void pollFlash() override { ++flashPolls; }
    void showCoursePoints() override { ++coursePointShows; }
    void refreshCommandStates() override { ++commandRefreshes; }

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
    size_t textCount() const {
        std::lock_guard<std::mutex> guard(lock_);
        return texts_.size();
    }
    void clear() {
        std::lock_guard<std::mutex> guard(lock_);
        texts_.clear();
    }

    std::atomic<int> passChecks{0};
    std::atomic<int> flashPolls{0};
    std::atomic<int> coursePointShows{0};
    std::atomic<int> commandRefreshes{0};

private:
    mutable std::mutex lock_;
    std::vector<std::pair<int, std::string>> texts_;
};
