// The capture sink of the window program: worker threads hand it panel
// texts, cues, the flash state and course snapshots; it keeps only the latest
// text per control and posts at most one queued call at a time to the UI
// thread, so a 20 Hz receiver cannot flood the event queue and the reader
// never waits for the window.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <QObject>

#include "capture/gps/capture_sink.h"

class WindowSink : public QObject, public CaptureSink {
    Q_OBJECT
public:
    struct Target {
        std::function<void(int controlId, const QString& text)> setText;
        std::function<void(int cue)> playCue;
        std::function<void(bool visible)> setFlash;
        std::function<void(const Course& course)> showCourse;
    };
    explicit WindowSink(Target target, QObject* parent = nullptr);

    void setPanelText(int controlId, std::string_view utf8) override;
    void playCue(int cue) override;
    void setFlashVisible(bool visible) override;
    void showCoursePoints(const Course& course) override;

    // Applies everything pending now (UI thread; the queued call does the same).
    void flush();
    // Queued calls posted so far (tests check the coalescing).
    int postedCalls() const;

private:
    void postLocked();

    Target target_;
    mutable std::mutex mutex_;
    std::map<int, std::string> texts_;   // latest text per control
    std::vector<int> cues_;
    int flash_ = -1;                     // -1 unchanged, else the latest state
    bool hasCourse_ = false;
    Course course_{};
    bool pending_ = false;
    int posted_ = 0;
};
