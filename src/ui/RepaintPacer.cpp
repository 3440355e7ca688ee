// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/RepaintPacer.h"

#include <QCoreApplication>
#include <QEvent>

namespace tarpel::ui {

// A window's widgets ask for repaints by marking themselves dirty; the window then gets one
// UpdateRequest, which paints everything dirty. Holding that request back holds the painting
// and loses nothing: the dirty regions add up until a request goes through.
bool RepaintPacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::UpdateRequest && !painting_) {
        waiting_ = true;
        return true;
    }
    return false;
}

void RepaintPacer::Start(QWidget* window) {
    Stop();
    window_ = window;
    if (window_) window_->installEventFilter(this);
}

void RepaintPacer::Stop() {
    if (!window_) return;
    PaintWaiting();
    window_->removeEventFilter(this);
    window_ = nullptr;
}

void RepaintPacer::Tick() {
    if (!waiting_) return;
    const TimePoint now = now_();
    if (now - lastPaint_ < Interval) return;
    lastPaint_ = now;
    PaintWaiting();
}

void RepaintPacer::PaintWaiting() {
    if (!waiting_ || !window_) return;
    waiting_ = false;
    painting_ = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(window_, &request);
    painting_ = false;
}

}  // namespace tarpel::ui
