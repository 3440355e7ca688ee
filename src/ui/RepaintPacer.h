// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Keeps a window from repainting faster than a screen shows. While pacing, the window's repaint
// requests wait: its widgets take every new value at once, and what changed reaches the screen
// at the next Tick that falls due, at most once per Interval. Stop paints whatever waits, so the
// last values are always shown. Painting the window for another reason (it is shown, uncovered
// or grabbed) paints the latest values as usual.
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>

namespace tarpel::ui {

class RepaintPacer final : public QObject {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Now = std::function<TimePoint()>;
    // 50 Hz: smooth to the eye; repainting faster than a common 60 Hz screen would be wasted.
    static constexpr std::chrono::milliseconds Interval{20};

    explicit RepaintPacer(Now now = &std::chrono::steady_clock::now) : now_(std::move(now)) {}

    void Start(QWidget* window);
    void Stop();
    // Once before each pass of the message loop: paints what waits when the interval has passed
    // since the last time it did.
    void Tick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintWaiting();

    Now now_;
    QPointer<QWidget> window_;
    bool waiting_ = false;   // a repaint request was held back
    bool painting_ = false;  // our own request, let through
    TimePoint lastPaint_{};
};

}  // namespace tarpel::ui
