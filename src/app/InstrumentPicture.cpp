// SPDX-License-Identifier: MIT
#include "InstrumentPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <cstdint>

namespace velmora::app {

namespace {

// Colours of the drawing.
const QColor kOutline(45, 48, 52);
const QColor kHousing(232, 232, 226);
const QColor kHousingShade(196, 198, 192);
const QColor kDarkPart(62, 66, 72);
const QColor kRubber(28, 28, 30);
const QColor kStripe(40, 92, 160);
const QColor kWood(196, 150, 84);
const QColor kWoodShade(150, 108, 56);
const QColor kMetal(168, 172, 178);
const QColor kMetalShade(118, 122, 128);
const QColor kDisplay(168, 190, 150);
const QColor kKey(90, 96, 104);

QLinearGradient VerticalGradient(qreal top, qreal bottom, const QColor& light, const QColor& dark)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0.0, light);
    gradient.setColorAt(0.45, light.lighter(104));
    gradient.setColorAt(1.0, dark);
    return gradient;
}

QLinearGradient HorizontalGradient(qreal left, qreal right, const QColor& light, const QColor& dark)
{
    QLinearGradient gradient(left, 0, right, 0);
    gradient.setColorAt(0.0, dark);
    gradient.setColorAt(0.4, light);
    gradient.setColorAt(1.0, dark);
    return gradient;
}

void DrawBackground(QPainter& p, const QRect& area)
{
    QLinearGradient sky(0, 0, 0, area.height());
    sky.setColorAt(0.0, QColor(214, 230, 244));
    sky.setColorAt(0.7, QColor(242, 246, 248));
    sky.setColorAt(1.0, QColor(226, 232, 220));
    p.fillRect(area, sky);

    // The ground the tripod stands on and its soft shadow.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 218, 200));
    p.drawRect(QRectF(0, 322, area.width(), area.height() - 322));
    QRadialGradient shadow(QPointF(150, 350), 100);
    shadow.setColorAt(0.0, QColor(150, 158, 140));
    shadow.setColorAt(1.0, QColor(210, 218, 200));
    p.setBrush(shadow);
    p.drawEllipse(QPointF(150, 350), 100, 12);
}

// A bar-code staff standing some way behind the instrument: white face, black bars of varying
// width, a base plate on the ground.
void DrawStaff(QPainter& p)
{
    const QRectF face(10, 18, 15, 306);
    p.setPen(QPen(QColor(120, 124, 128), 1));
    p.setBrush(QColor(250, 250, 246));
    p.drawRect(face);

    // A fixed pseudo-random pattern, so the picture is the same every time.
    std::uint32_t seed = 0x5EED1234u;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    qreal y = face.top() + 3;
    while (y < face.bottom() - 3) {
        seed = seed * 1664525u + 1013904223u;
        const qreal bar = 1 + (seed >> 28) % 4;
        const qreal gap = 1 + (seed >> 24) % 3;
        const qreal height = qMin(bar, face.bottom() - 3 - y);
        p.drawRect(QRectF(face.left() + 2, y, face.width() - 4, height));
        y += bar + gap;
    }

    // The section joints and the handles on the back edge.
    p.setPen(QPen(QColor(150, 60, 50), 1));
    p.drawLine(QPointF(face.left(), 120), QPointF(face.right(), 120));
    p.drawLine(QPointF(face.left(), 222), QPointF(face.right(), 222));
    p.setPen(Qt::NoPen);
    p.setBrush(kMetalShade);
    p.drawRect(QRectF(face.right(), 160, 3, 14));
    p.drawRect(QRectF(face.left() - 4, face.bottom(), face.width() + 8, 4));
}

// One tripod leg from the head down to the shoe: a wooden upper part, a clamp and a narrower
// metal lower part ending in a point.
void DrawLeg(QPainter& p, QPointF top, QPointF foot, qreal topWidth, const QColor& wood,
             const QColor& metal)
{
    const QPointF along = foot - top;
    const qreal length = std::hypot(along.x(), along.y());
    const QPointF unit = along / length;
    const QPointF side(-unit.y(), unit.x());

    auto at = [&](qreal fraction, qreal halfWidth, qreal sign) {
        return top + along * fraction + side * (halfWidth * sign);
    };

    p.setPen(QPen(kOutline, 1));
    p.setBrush(wood);
    p.drawPolygon(QPolygonF{at(0, topWidth / 2, -1), at(0, topWidth / 2, 1),
                            at(0.58, topWidth / 2 - 2, 1), at(0.58, topWidth / 2 - 2, -1)});
    // The slot between the two wooden bars of the leg.
    p.setPen(QPen(wood.darker(140), 1));
    p.drawLine(at(0.04, 0, 1), at(0.55, 0, 1));

    p.setPen(QPen(kOutline, 1));
    p.setBrush(metal);
    p.drawPolygon(QPolygonF{at(0.58, topWidth / 4, -1), at(0.58, topWidth / 4, 1),
                            at(0.95, topWidth / 5, 1), at(1.0, 0, 1), at(0.95, topWidth / 5, -1)});

    p.setBrush(kDarkPart);
    p.drawPolygon(QPolygonF{at(0.56, topWidth / 2, -1), at(0.56, topWidth / 2, 1),
                            at(0.61, topWidth / 2, 1), at(0.61, topWidth / 2, -1)});
    // The foot step near the shoe.
    p.drawPolygon(QPolygonF{at(0.88, topWidth / 5, -1), at(0.88, topWidth / 2 + 2, -1),
                            at(0.9, topWidth / 2 + 2, -1), at(0.9, topWidth / 5, -1)});
}

void DrawTripod(QPainter& p)
{
    // The leg at the back first, darker, then the two front legs.
    DrawLeg(p, QPointF(146, 198), QPointF(158, 336), 14, kWoodShade, kMetalShade);
    DrawLeg(p, QPointF(112, 196), QPointF(56, 348), 16, kWood, kMetal);
    DrawLeg(p, QPointF(170, 196), QPointF(228, 348), 16, kWood, kMetal);

    // The head: a round plate seen a little from above, with the leg hinges below it.
    p.setPen(QPen(kOutline, 1));
    p.setBrush(kMetalShade);
    p.drawRect(QRectF(104, 190, 12, 10));
    p.drawRect(QRectF(164, 190, 12, 10));
    p.setBrush(HorizontalGradient(92, 190, kMetal.lighter(115), kMetalShade));
    p.drawRoundedRect(QRectF(92, 184, 98, 10), 4, 4);
    p.setBrush(kMetal.lighter(125));
    p.drawEllipse(QRectF(92, 180, 98, 9));
}

// The tribrach under the instrument with its three levelling screws.
void DrawTribrach(QPainter& p)
{
    p.setPen(QPen(kOutline, 1));
    p.setBrush(VerticalGradient(170, 182, kDarkPart.lighter(150), kDarkPart));
    p.drawPolygon(QPolygonF{QPointF(104, 182), QPointF(112, 172), QPointF(170, 172),
                            QPointF(178, 182)});
    for (qreal x : {110.0, 138.0, 166.0}) {
        p.setBrush(HorizontalGradient(x, x + 10, kMetal.lighter(110), kMetalShade.darker(110)));
        p.drawRoundedRect(QRectF(x, 170, 10, 12), 2, 2);
        p.setPen(QPen(kMetalShade.darker(140), 1));
        for (qreal line = x + 2.5; line < x + 9; line += 2.5)
            p.drawLine(QPointF(line, 172), QPointF(line, 180));
        p.setPen(QPen(kOutline, 1));
    }
    // The base the instrument turns on.
    p.setBrush(VerticalGradient(160, 172, kDarkPart.lighter(130), kDarkPart.darker(120)));
    p.drawRoundedRect(QRectF(100, 160, 82, 12), 3, 3);
}

// The carrying handle on top, and the objective end: the sunshade tube and the front lens.
void DrawHandleAndObjective(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.2));

    QPainterPath handle;
    handle.moveTo(112, 94);
    handle.lineTo(112, 76);
    handle.quadTo(112, 68, 122, 68);
    handle.lineTo(176, 68);
    handle.quadTo(186, 68, 186, 76);
    handle.lineTo(186, 94);
    handle.lineTo(178, 94);
    handle.lineTo(178, 78);
    handle.quadTo(178, 76, 174, 76);
    handle.lineTo(124, 76);
    handle.quadTo(120, 76, 120, 80);
    handle.lineTo(120, 94);
    handle.closeSubpath();
    p.setBrush(VerticalGradient(68, 94, kDarkPart.lighter(160), kDarkPart));
    p.drawPath(handle);

    p.setBrush(VerticalGradient(102, 138, kDarkPart.lighter(170), kDarkPart.darker(120)));
    p.drawRoundedRect(QRectF(40, 102, 38, 36), 3, 3);
    p.setPen(QPen(kRubber, 1));
    p.drawLine(QPointF(48, 103), QPointF(48, 137));
    p.setPen(QPen(kOutline, 1.2));
    QRadialGradient glass(QPointF(37, 114), 16);
    glass.setColorAt(0.0, QColor(190, 220, 250));
    glass.setColorAt(0.5, QColor(70, 110, 170));
    glass.setColorAt(1.0, QColor(20, 34, 70));
    p.setBrush(glass);
    p.drawEllipse(QRectF(34, 102, 12, 36));
}

// The housing (telescope and electronics in one body) with its band, the sight for rough
// aiming and the circular bubble level on top.
void DrawHousing(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.2));
    QPainterPath body;
    body.moveTo(74, 98);
    body.lineTo(200, 94);
    body.quadTo(212, 94, 212, 106);
    body.lineTo(212, 152);
    body.quadTo(212, 162, 202, 162);
    body.lineTo(82, 162);
    body.quadTo(74, 162, 74, 154);
    body.closeSubpath();
    p.setBrush(VerticalGradient(94, 162, kHousing, kHousingShade));
    p.drawPath(body);

    // The coloured band along the housing.
    p.setPen(Qt::NoPen);
    p.setBrush(kStripe);
    p.drawRect(QRectF(75, 146, 136, 5));
    p.setPen(QPen(kOutline, 1.2));

    // Sight on top of the telescope for rough aiming.
    p.setBrush(kDarkPart);
    p.drawPolygon(QPolygonF{QPointF(82, 97), QPointF(86, 90), QPointF(102, 90), QPointF(104, 97)});
    p.setBrush(QColor(236, 190, 60));
    p.drawRect(QRectF(90, 91, 6, 3));

    // Circular bubble level on top with its bubble almost centred.
    p.setBrush(QColor(205, 225, 160));
    p.drawEllipse(QRectF(140, 88, 22, 6));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 252, 236));
    p.drawEllipse(QRectF(149, 89.5, 5, 3));
}

// The eyepiece with its rubber eyecup, and the focusing knob on the side.
void DrawEyepieceAndKnob(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(VerticalGradient(110, 132, kDarkPart.lighter(150), kDarkPart));
    p.drawRect(QRectF(212, 110, 16, 22));
    p.setBrush(VerticalGradient(104, 138, kRubber.lighter(260), kRubber));
    p.drawRoundedRect(QRectF(228, 104, 10, 34), 3, 3);

    // Focusing knob on the side.
    QRadialGradient knob(QPointF(94, 124), 14);
    knob.setColorAt(0.0, kDarkPart.lighter(200));
    knob.setColorAt(1.0, kRubber);
    p.setBrush(knob);
    p.drawEllipse(QPointF(98, 126), 12, 12);
    p.setPen(QPen(kDarkPart.lighter(220), 1));
    for (int i = 0; i < 12; ++i) {
        p.save();
        p.translate(98, 126);
        p.rotate(i * 30);
        p.drawLine(QPointF(0, -11), QPointF(0, -8));
        p.restore();
    }
}

// The display with a height reading and a distance, the keypad under it, and the horizontal
// drive screw near the bottom.
void DrawDisplayAndKeys(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kDarkPart);
    p.drawRoundedRect(QRectF(126, 100, 76, 30), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(kDisplay);
    p.drawRect(QRectF(130, 104, 68, 22));
    p.setBrush(QColor(40, 52, 36));
    const std::array<qreal, 6> readingWidths = {18, 6, 10, 14, 8, 20};
    qreal x = 133;
    for (std::size_t i = 0; i < readingWidths.size(); ++i) {
        const qreal row = i < 3 ? 107 : 117;
        if (i == 3)
            x = 133;
        p.drawRect(QRectF(x, row, readingWidths[i], 5));
        x += readingWidths[i] + 4;
    }

    // Keypad under the display.
    p.setPen(QPen(kOutline, 1));
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 5; ++column) {
            const bool measureKey = row == 1 && column == 4;
            p.setBrush(measureKey ? QColor(200, 60, 50) : kKey);
            p.drawRoundedRect(QRectF(128 + column * 15, 133 + row * 6.5, 12, 5), 1.5, 1.5);
        }
    }

    // Horizontal drive screw near the bottom.
    p.setBrush(VerticalGradient(150, 162, kMetal.lighter(110), kMetalShade));
    p.drawRoundedRect(QRectF(190, 152, 16, 10), 2, 2);
}

void DrawInstrument(QPainter& p)
{
    DrawHandleAndObjective(p);
    DrawHousing(p);
    DrawEyepieceAndKnob(p);
    DrawDisplayAndKeys(p);
}

}  // namespace

QImage DrawInstrumentPicture()
{
    QImage image(261, 365, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawBackground(painter, image.rect());
    DrawStaff(painter);
    // The instrument stands a little right of centre, clear of the staff.
    painter.translate(8, 0);
    DrawTripod(painter);
    DrawTribrach(painter);
    DrawInstrument(painter);
    painter.end();
    return image;
}

QIcon DrawApplicationIcon()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Tripod legs.
    p.setPen(QPen(QColor(150, 100, 40), 2));
    p.drawLine(14, 19, 5, 31);
    p.drawLine(18, 19, 27, 31);
    p.setPen(QPen(QColor(110, 72, 30), 2));
    p.drawLine(16, 19, 16, 30);

    // Head and base.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 124, 130));
    p.drawRect(9, 17, 14, 3);
    p.setBrush(QColor(60, 64, 70));
    p.drawRect(11, 15, 10, 2);

    // Body, objective, eyepiece and handle.
    p.setBrush(QColor(240, 200, 40));
    p.drawRect(7, 7, 18, 8);
    p.setBrush(QColor(40, 44, 50));
    p.drawRect(2, 8, 5, 6);
    p.drawRect(25, 9, 4, 4);
    p.drawRect(11, 4, 10, 2);
    p.drawRect(11, 4, 2, 3);
    p.drawRect(19, 4, 2, 3);
    p.setBrush(QColor(90, 150, 220));
    p.drawRect(1, 9, 1, 4);
    p.end();
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace velmora::app
