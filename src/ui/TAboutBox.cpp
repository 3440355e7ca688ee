// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TAboutBox.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "ui/DialogFont.h"
#include "ui/TrQ.h"

namespace tarpel::ui {
namespace {

constexpr int PictureWidth = 293;
constexpr int PictureHeight = 149;

// The box's picture, drawn here rather than shipped: the programmer board seen from above, a
// green card with the parallel-port plug on its left edge, tracks running to a 40-pin socket
// that holds the AVR, and the small serial EEPROM socket beside it.
QImage DrawBoardPicture() {
    QImage image(PictureWidth, PictureHeight, QImage::Format_RGB32);
    image.fill(QColor(10, 10, 24));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Circuit card.
    const QRectF card(6, 10, 281, 129);
    QLinearGradient cardShade(card.topLeft(), card.bottomRight());
    cardShade.setColorAt(0.0, QColor(30, 120, 60));
    cardShade.setColorAt(1.0, QColor(12, 70, 34));
    p.setPen(QPen(QColor(8, 40, 20), 1.5));
    p.setBrush(cardShade);
    p.drawRoundedRect(card, 6, 6);
    p.setBrush(QColor(190, 190, 170));
    p.setPen(Qt::NoPen);
    for (const QPointF hole : {QPointF(14, 18), QPointF(279, 18), QPointF(14, 131),
                               QPointF(279, 131)})
        p.drawEllipse(hole, 3, 3);

    // Parallel-port plug: a metal shell around a trapezoid with two rows of pins.
    p.setBrush(QColor(160, 165, 175));
    p.setPen(QPen(QColor(70, 70, 80), 1));
    p.drawRect(QRectF(0, 34, 26, 82));
    QPainterPath plug;
    plug.moveTo(6, 40);
    plug.lineTo(22, 44);
    plug.lineTo(22, 106);
    plug.lineTo(6, 110);
    plug.closeSubpath();
    p.setBrush(QColor(40, 40, 48));
    p.drawPath(plug);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 190, 90));
    for (int i = 0; i < 13; ++i) p.drawEllipse(QPointF(11, 44 + i * 5.2), 1.2, 1.2);
    for (int i = 0; i < 12; ++i) p.drawEllipse(QPointF(17, 47 + i * 5.2), 1.2, 1.2);

    // Tracks from the plug: supply, clock, data, reset, MOSI, SCK and the two return lines.
    QPen track(QColor(200, 170, 70), 2.0);
    track.setCapStyle(Qt::RoundCap);
    track.setJoinStyle(Qt::RoundJoin);
    p.setPen(track);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 8; ++i) {
        const double y = 50 + i * 7.0;
        const double bend = 60 + i * 4.0;
        const double targetY = 40 + i * 9.0;
        QPainterPath path;
        path.moveTo(26, y);
        path.lineTo(bend, y);
        path.lineTo(bend + 14, targetY);
        path.lineTo(120, targetY);
        p.drawPath(path);
    }

    // Passive parts along the tracks.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(QColor(210, 190, 150));
        p.drawRoundedRect(QRectF(40, 20 + i * 30.0, 14, 5), 2, 2);
        p.setBrush(QColor(150, 40, 30));
        p.drawRect(QRectF(45, 20 + i * 30.0, 2, 5));
    }

    // 40-pin socket with the AVR in it.
    const QRectF socket(122, 28, 112, 62);
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(socket);
    p.setBrush(QColor(200, 200, 205));
    for (int i = 0; i < 20; ++i) {
        p.drawRect(QRectF(socket.left() + 4 + i * 5.3, socket.top() + 2, 2.4, 5));
        p.drawRect(QRectF(socket.left() + 4 + i * 5.3, socket.bottom() - 7, 2.4, 5));
    }
    const QRectF chip = socket.adjusted(2, 9, -2, -9);
    QLinearGradient chipShade(chip.topLeft(), chip.bottomLeft());
    chipShade.setColorAt(0.0, QColor(58, 58, 62));
    chipShade.setColorAt(1.0, QColor(22, 22, 26));
    p.setBrush(chipShade);
    p.drawRoundedRect(chip, 2, 2);
    p.setBrush(QColor(12, 12, 14));
    p.drawPie(QRectF(chip.left() - 5, chip.center().y() - 5, 10, 10), -90 * 16, 180 * 16);
    p.setPen(QColor(200, 200, 200));
    QFont marking;
    marking.setStyleHint(QFont::SansSerif);
    marking.setPixelSize(9);
    marking.setBold(true);
    p.setFont(marking);
    p.drawText(chip, Qt::AlignCenter, QStringLiteral("AVR  8515"));

    // 8-pin socket for the 24Cxx.
    const QRectF small(162, 104, 34, 24);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(small);
    p.setBrush(QColor(200, 200, 205));
    for (int i = 0; i < 4; ++i) {
        p.drawRect(QRectF(small.left() + 4 + i * 7.5, small.top() + 1, 2.4, 4));
        p.drawRect(QRectF(small.left() + 4 + i * 7.5, small.bottom() - 5, 2.4, 4));
    }
    p.setPen(QPen(QColor(200, 170, 70), 2.0));
    p.drawLine(QPointF(150, 90), QPointF(150, 116));
    p.drawLine(QPointF(150, 116), QPointF(162, 116));

    // Crystal-less board: XTAL1 comes from the PC, so a plain pin header stands where a
    // crystal would be; and a supply LED, lit.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 20));
    p.drawRect(QRectF(246, 40, 10, 40));
    p.setBrush(QColor(215, 180, 80));
    for (int i = 0; i < 4; ++i) p.drawRect(QRectF(249, 43 + i * 10.0, 4, 4));
    QRadialGradient glow(QPointF(262, 116), 12);
    glow.setColorAt(0.0, QColor(255, 80, 60));
    glow.setColorAt(1.0, QColor(255, 80, 60, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(262, 116), 12, 12);
    p.setBrush(QColor(255, 40, 30));
    p.drawEllipse(QPointF(262, 116), 4, 4);
    return image;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent, std::chrono::milliseconds timerInterval)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Panel1(new QFrame(this)),
      Image1(new QLabel(Panel1)),
      ProductName(new QLabel(QStringLiteral("Tarpel ATMega8515"), Panel1)),
      Memo1(new QPlainTextEdit(Panel1)),
      OKButton(new QPushButton(TrQ("Vale !"), this)),
      Timer1(new QTimer(this)) {
    setWindowTitle(TrQ("Acerca de..."));
    setModal(true);
    setFixedSize(606, 369);

    const QFont font = DialogFont();
    setFont(font);

    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    // A groove: lowered outside, raised inside.
    Panel1->setGeometry(6, 6, 593, 321);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setMidLineWidth(0);

    Image1->setGeometry(8, 8, 345, 233);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap::fromImage(DrawBoardPicture()));

    // Impact is rare outside Windows; a bold condensed sans keeps the name on one line.
    QFont title;
    title.setFamilies({QStringLiteral("Impact"), QStringLiteral("Haettenschweiler"),
                       QStringLiteral("Arial Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                       QStringLiteral("Liberation Sans Narrow")});
    title.setStyleHint(QFont::SansSerif);
    title.setStretch(QFont::Condensed);
    title.setPixelSize(37);
    title.setBold(true);
    title.setItalic(true);
    ProductName->setFont(title);
    ProductName->setGeometry(232, 24, 353, 49);
    QPalette navy = ProductName->palette();
    navy.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    ProductName->setPalette(navy);
    ProductName->setAutoFillBackground(false);  // the picture shows through
    ProductName->raise();

    Memo1->setGeometry(8, 248, 577, 65);
    Memo1->setReadOnly(true);
    Memo1->setEnabled(false);
    Memo1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setPlainText(TrQ("Programador de microcontroladores atmel y de memorias 24CXXX via puerto paralelo. "
                            "El circuito \n"
                            "programador es un Velcor modificado. Para mas informacion y versiones recientes "
                            "visita \n"
                            "la pagina del proyecto Tarpel."));
    // The box is disabled so it takes no focus, yet it must stay readable.
    QPalette maroon = Memo1->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        maroon.setColor(group, QPalette::Base, QColor(0x80, 0x00, 0x00));
        maroon.setColor(group, QPalette::Text, Qt::white);
    }
    Memo1->setPalette(maroon);

    QFont buttonFont = font;
    buttonFont.setBold(true);
    buttonFont.setItalic(true);
    OKButton->setFont(buttonFont);
    OKButton->setGeometry(523, 336, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    OKButton->setVisible(false);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    Timer1->setSingleShot(true);
    Timer1->setInterval(timerInterval);
    connect(Timer1, &QTimer::timeout, this, &TAboutBox::Timer1Timer);
    Timer1->start();
}

void TAboutBox::Timer1Timer() {
    Timer1->stop();
    if (isVisible()) reject();
    OKButton->setVisible(true);
}

}  // namespace tarpel::ui
