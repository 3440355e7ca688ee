// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The percentage gauge: a bar inside a one-pixel frame, filled from the left in ForeColor over
// a white background, with the percentage ("42%") centred on it in inverted colours so that it
// reads over both parts. It only shows a value; it reports nothing.
#include <QColor>
#include <QWidget>

namespace tarpel::ui {

class TGauge : public QWidget {
    Q_OBJECT

public:
    explicit TGauge(QWidget* parent = nullptr);

    int MinValue() const { return minValue_; }
    int MaxValue() const { return maxValue_; }
    void SetRange(int minValue, int maxValue);

    int Progress() const { return progress_; }
    // Clamps into MinValue..MaxValue; repaints only when the shown percentage changes.
    void SetProgress(int value);

    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& color);

    // Whole percent done, rounded down; 0 on an empty range.
    int PercentDone() const;
    // What the bar shows: "%d%%".
    QString Text() const;

    QSize sizeHint() const override { return {249, 25}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    QColor foreColor_ = Qt::black;
};

}  // namespace tarpel::ui
