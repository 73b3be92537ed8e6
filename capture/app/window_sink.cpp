#include "capture/app/window_sink.h"

#include <QMetaObject>

WindowSink::WindowSink(Target target, QObject* parent) : QObject(parent), target_(std::move(target)) {}

void WindowSink::postLocked() {
    if (pending_) return;
    pending_ = true;
    ++posted_;
    QMetaObject::invokeMethod(this, [this] { flush(); }, Qt::QueuedConnection);
}

void WindowSink::setPanelText(int controlId, std::string_view utf8) {
    std::lock_guard lock(mutex_);
    texts_[controlId].assign(utf8);
    postLocked();
}

void WindowSink::playCue(int cue) {
    std::lock_guard lock(mutex_);
    cues_.push_back(cue);
    postLocked();
}

void WindowSink::setFlashVisible(bool visible) {
    std::lock_guard lock(mutex_);
    flash_ = visible ? 1 : 0;
    postLocked();
}

void WindowSink::showCoursePoints(const Course& course) {
    std::lock_guard lock(mutex_);
    course_ = course;
    hasCourse_ = true;
    postLocked();
}

void WindowSink::flush() {
    std::map<int, std::string> texts;
    std::vector<int> cues;
    int flash;
    bool hasCourse;
    Course course;
    {
        std::lock_guard lock(mutex_);
        texts.swap(texts_);
        cues.swap(cues_);
        flash = flash_;
        flash_ = -1;
        hasCourse = hasCourse_;
        hasCourse_ = false;
        course = course_;
        pending_ = false;
    }
    if (target_.setText)
        for (const auto& [id, text] : texts) target_.setText(id, QString::fromStdString(text));
    if (target_.playCue)
        for (int cue : cues) target_.playCue(cue);
    if (flash >= 0 && target_.setFlash) target_.setFlash(flash == 1);
    if (hasCourse && target_.showCourse) target_.showCourse(course);
}

int WindowSink::postedCalls() const {
    std::lock_guard lock(mutex_);
    return posted_;
}
