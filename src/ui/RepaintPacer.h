#pragma once
// Keeps fast-changing widgets from repainting faster than a screen shows: while pacing, a
// widget about to change is held (its value changes, its repaint waits), and the held widgets
// repaint together once the interval has passed since they last did. The values themselves are
// never delayed: whoever reads a held label or gauge gets what was last set.
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <vector>

namespace tarpel::ui {

class RepaintPacer {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Now = std::function<TimePoint()>;
    // A little faster than the 60 Hz of a common screen would be wasted; 50 Hz looks smooth.
    static constexpr std::chrono::milliseconds Interval{20};

    explicit RepaintPacer(Now now = &std::chrono::steady_clock::now) : now_(std::move(now)) {}

    // From Start to Stop, Hold holds; Stop repaints every held widget at once, synchronously,
    // so that the last values are on the screen whatever comes next.
    void Start() { pacing_ = true; }
    void Stop();
    // Before a widget's value changes: while pacing, its repaints wait for the next Tick due.
    void Hold(QWidget* widget);
    // Once per pass of the message loop, before it: lets the held widgets repaint in that pass
    // when the interval has passed since they last did.
    void Tick();

private:
    void Release(bool now);

    Now now_;
    bool pacing_ = false;
    TimePoint lastRelease_{};
    std::vector<QPointer<QWidget>> held_;
};

}  // namespace tarpel::ui
