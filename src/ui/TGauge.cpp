// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TGauge.h"

#include <QPainter>

#include <algorithm>

namespace tarpel::ui {

namespace {

const QColor BackColor = Qt::white;

}  // namespace

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGauge::SetRange(int minValue, int maxValue) {
    const int before = PercentDone();
    minValue_ = minValue;
    maxValue_ = std::max(minValue, maxValue);
    progress_ = std::clamp(progress_, minValue_, maxValue_);
    if (PercentDone() != before) update();
}

void TGauge::SetProgress(int value) {
    const int before = PercentDone();
    progress_ = std::clamp(value, minValue_, maxValue_);
    if (PercentDone() != before) update();
}

void TGauge::SetForeColor(const QColor& color) {
    if (color == foreColor_) return;
    foreColor_ = color;
    update();
}

int TGauge::PercentDone() const {
    const long long span = static_cast<long long>(maxValue_) - minValue_;
    if (span <= 0) return 0;
    return static_cast<int>((static_cast<long long>(progress_) - minValue_) * 100 / span);
}

QString TGauge::Text() const { return QString::asprintf("%d%%", PercentDone()); }

void TGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QRect inner = rect().adjusted(1, 1, -1, -1);
    const int filledWidth = inner.width() * PercentDone() / 100;
    const QRect filled(inner.left(), inner.top(), filledWidth, inner.height());
    const QRect empty(inner.left() + filledWidth, inner.top(), inner.width() - filledWidth, inner.height());
    painter.fillRect(filled, foreColor_);
    painter.fillRect(empty, BackColor);

    // The text twice, each copy clipped to one part and drawn in the other part's colour.
    const QString text = Text();
    painter.setClipRect(filled);
    painter.setPen(BackColor);
    painter.drawText(inner, Qt::AlignCenter, text);
    painter.setClipRect(empty);
    painter.setPen(foreColor_);
    painter.drawText(inner, Qt::AlignCenter, text);
}

}  // namespace tarpel::ui
