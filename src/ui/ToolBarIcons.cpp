// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ToolBarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>

namespace tarpel::ui {

namespace {

constexpr int Side = 16;

QIcon Paint(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    // Drawn at 1x and 2x on the same 16-unit canvas so that the icon stays sharp on dense screens.
    for (const int scale : {1, 2}) {
        QPixmap pixmap(Side * scale, Side * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// A small eight-legged chip, the common part of the three chip icons.
void DrawChip(QPainter& p, const QRectF& body) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    for (int leg = 0; leg < 4; ++leg) {
        const qreal x = body.left() + 1.5 + leg * (body.width() - 3) / 3;
        p.drawLine(QPointF(x, body.top() - 1.5), QPointF(x, body.top()));
        p.drawLine(QPointF(x, body.bottom()), QPointF(x, body.bottom() + 1.5));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(body, 1, 1);
    p.setBrush(QColor(150, 150, 150));
    p.drawEllipse(QPointF(body.left() + 2, body.center().y()), 0.9, 0.9);
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, const QColor& color) {
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF direction = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF side(-direction.y(), direction.x());
    QPainterPath head;
    head.moveTo(to + direction * 1.5);
    head.lineTo(to - direction * 2.5 + side * 3);
    head.lineTo(to - direction * 2.5 - side * 3);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(head);
}

void DrawOpen(QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 10), 1));
    p.setBrush(QColor(235, 190, 60));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 3.5, 5, 2));
    p.setBrush(QColor(250, 220, 110));
    QPolygonF flap;
    flap << QPointF(3.5, 7.5) << QPointF(15, 7.5) << QPointF(13, 13.5) << QPointF(1.5, 13.5);
    p.drawPolygon(flap);
}

void DrawSave(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 110), 1));
    p.setBrush(QColor(50, 90, 190));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9, 6));
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 110));
    p.drawRect(QRectF(9.5, 11.5, 1.5, 2.5));
}

void DrawReadChip(QPainter& p) {
    DrawChip(p, QRectF(1, 8, 10, 6));
    DrawArrow(p, QPointF(9, 7), QPointF(13, 2.5), QColor(20, 150, 40));
}

void DrawProgramChip(QPainter& p) {
    DrawChip(p, QRectF(1, 8, 10, 6));
    DrawArrow(p, QPointF(13.5, 1.5), QPointF(10, 6), QColor(200, 30, 30));
}

void DrawVerifyChip(QPainter& p) {
    DrawChip(p, QRectF(1, 8, 10, 6));
    p.setPen(QPen(QColor(20, 150, 40), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPolygonF tick;
    tick << QPointF(7.5, 4) << QPointF(10, 6.5) << QPointF(14.5, 1.5);
    p.drawPolyline(tick);
}

void DrawAbout(QPainter& p) {
    p.setPen(QPen(QColor(20, 50, 140), 1));
    p.setBrush(QColor(60, 110, 210));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

}  // namespace

QList<QIcon> PaintToolBarIcons() {
    return {Paint(DrawOpen),       Paint(DrawSave),       Paint(DrawReadChip),
            Paint(DrawProgramChip), Paint(DrawVerifyChip), Paint(DrawAbout)};
}

}  // namespace tarpel::ui
