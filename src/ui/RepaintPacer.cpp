#include "ui/RepaintPacer.h"

namespace tarpel::ui {

void RepaintPacer::Hold(QWidget* widget) {
    if (!pacing_ || !widget || !widget->updatesEnabled()) return;
    widget->setUpdatesEnabled(false);
    held_.emplace_back(widget);
}

void RepaintPacer::Tick() {
    if (held_.empty()) return;
    const TimePoint now = now_();
    if (now - lastRelease_ < Interval) return;
    lastRelease_ = now;
    Release(false);
}

void RepaintPacer::Stop() {
    pacing_ = false;
    Release(true);
}

void RepaintPacer::Release(bool now) {
    for (const QPointer<QWidget>& widget : held_) {
        if (!widget) continue;
        widget->setUpdatesEnabled(true);  // asks for a repaint of the whole widget
        if (now) widget->repaint();
    }
    held_.clear();
}

}  // namespace tarpel::ui
