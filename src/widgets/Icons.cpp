#include "Icons.h"

#include <QCoreApplication>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <optional>

// Everything is drawn in a fixed grid of logical units (64 for tags, 32 for tool-bar pictures)
// and scaled to the pixmap, so one drawing serves every size and device pixel ratio. Each state
// differs by its symbol as well as its colour: staff who cannot tell red from green must still
// read the board at a glance.

namespace Icons {
namespace {

const QColor Ink(0x4a, 0x53, 0x5f);
const QColor Paper(0xff, 0xff, 0xff);
const QColor Rule(0x9a, 0xa5, 0xb1);
const QColor Green(0x2e, 0x9e, 0x4f);
const QColor Red(0xe0, 0x4e, 0x39);
const QColor Blue(0x2f, 0x7f, 0xd1);
const QColor Grey(0x8c, 0x93, 0x9b);
const QColor Teal(0x17, 0x9a, 0xa0);
const QColor Gold(0xf2, 0xb8, 0x22);
const QColor DarkGold(0xb9, 0x83, 0x0c);
const QColor Brown(0x9a, 0x62, 0x3c);
const QColor Purple(0x7a, 0x4f, 0xc9);
const QColor Cord(0x9a, 0xa3, 0xad);

using Drawing = void (*)(QPainter &);

QPen roundPen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPixmap render(int size, qreal dpr, qreal units, Drawing draw)
{
    QPixmap pixmap(qRound(size * dpr), qRound(size * dpr));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / units, size / units);
    draw(painter);
    return pixmap;
}

QIcon iconOf(int size, qreal units, Drawing draw)
{
    QIcon icon;
    for (const qreal dpr : {1.0, 2.0})
        icon.addPixmap(render(size, dpr, units, draw));
    return icon;
}

// ---- hand tags (64 units) -------------------------------------------------------------------

// A polygon whose corners are rounded off with the given radius.
QPainterPath roundedPolygon(const QList<QPointF> &corners, qreal radius)
{
    QPainterPath path;
    const qsizetype n = corners.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF prev = corners[(i + n - 1) % n];
        const QPointF at = corners[i];
        const QPointF next = corners[(i + 1) % n];
        const auto toward = [&](QPointF other) {
            const QPointF d = other - at;
            const qreal length = std::hypot(d.x(), d.y());
            return at + d * (std::min(radius, length / 2) / length);
        };
        if (i == 0)
            path.moveTo(toward(prev));
        else
            path.lineTo(toward(prev));
        path.quadTo(at, toward(next));
    }
    path.closeSubpath();
    return path;
}

// A tag with clipped shoulders, punched near the top for its cord: the shape staff know from
// the wrist, and one that cannot be taken for a padlock.
QPainterPath tagOutline()
{
    const QPainterPath body = roundedPolygon(
        {{24, 15}, {40, 15}, {52, 27}, {52, 61}, {12, 61}, {12, 27}}, 5.5);
    QPainterPath hole;
    hole.addEllipse(QPointF(32, 22), 3.6, 3.6);
    return body.subtracted(hole);
}

void drawTag(QPainter &p, const QColor &fill)
{
    const QPainterPath outline = tagOutline();
    // A soft shade below lifts the tag off a white board without a hard border.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawPath(outline.translated(0, 1.5));
    p.setBrush(fill);
    p.setPen(QPen(fill.darker(125), 1.2));
    p.drawPath(outline);
    // The cord's loop leaves through the hole and leans away, as a hanging tag's does.
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(Cord, 2.6));
    QPainterPath cord;
    cord.moveTo(32, 22);
    cord.cubicTo(30, 10, 36, 1.5, 43, 3);
    cord.cubicTo(49, 4.5, 47, 13, 41.5, 17.5);
    p.drawPath(cord);
}

const QPointF Centre(32, 43);

void drawFree(QPainter &p)
{
    drawTag(p, Green);
    p.setPen(roundPen(Paper, 6));
    QPainterPath tick;
    tick.moveTo(21.5, 42);
    tick.lineTo(29, 49.5);
    tick.lineTo(43.5, 34);
    p.drawPath(tick);
}

void drawOccupied(QPainter &p)
{
    drawTag(p, Red);
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawEllipse(QPointF(32, 35.5), 6.5, 6.5);
    QPainterPath shoulders;
    shoulders.moveTo(19.5, 55);
    shoulders.arcTo(QRectF(19.5, 44, 25, 22), 180, -180);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
}

void drawReserved(QPainter &p)
{
    drawTag(p, Blue);
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawEllipse(Centre, 13, 13);
    p.setPen(roundPen(Blue, 3.2));
    p.drawLine(Centre, QPointF(32, 33));
    p.drawLine(Centre, QPointF(38.5, 46));
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawEllipse(Centre, 2.2, 2.2);
}

void drawDisabled(QPainter &p)
{
    drawTag(p, Grey);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(Paper, 4.2));
    p.drawEllipse(Centre, 11.5, 11.5);
    const qreal d = 11.5 * M_SQRT1_2;
    p.drawLine(Centre + QPointF(-d, -d), Centre + QPointF(d, d));
}

void drawApplication(QPainter &p)
{
    drawTag(p, Teal);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(Paper, 3.6));
    for (const qreal y : {34.0, 42.5, 51.0}) {
        QPainterPath wave;
        wave.moveTo(19, y);
        wave.cubicTo(23, y - 4.5, 27, y - 4.5, 32, y);
        wave.cubicTo(37, y + 4.5, 41, y + 4.5, 45, y);
        p.drawPath(wave);
    }
}

// ---- tool-bar pictures (32 units) -----------------------------------------------------------

// A round badge with a plus, the "add" mark shared by opening a bill and adding to one.
void drawPlusBadge(QPainter &p, QPointF centre)
{
    p.setPen(QPen(Paper, 1.6));
    p.setBrush(Green);
    p.drawEllipse(centre, 7.2, 7.2);
    p.setPen(roundPen(Paper, 2.6));
    p.drawLine(centre + QPointF(-3.6, 0), centre + QPointF(3.6, 0));
    p.drawLine(centre + QPointF(0, -3.6), centre + QPointF(0, 3.6));
}

void drawOpenBill(QPainter &p)
{
    QPainterPath sheet;
    sheet.moveTo(5, 2.5);
    sheet.lineTo(17.5, 2.5);
    sheet.lineTo(24, 9);
    sheet.lineTo(24, 29);
    sheet.lineTo(5, 29);
    sheet.closeSubpath();
    p.setPen(roundPen(Ink, 1.6));
    p.setBrush(Paper);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(17.5, 2.5);
    fold.lineTo(17.5, 9);
    fold.lineTo(24, 9);
    p.setBrush(QColor(0xd5, 0xdb, 0xe2));
    p.drawPath(fold);
    p.setPen(roundPen(Rule, 1.8));
    for (const qreal y : {13.0, 17.5, 22.0})
        p.drawLine(QPointF(8.5, y), QPointF(y > 20 ? 14.5 : 20.5, y));
    drawPlusBadge(p, QPointF(24, 24));
}

void drawAddConsumption(QPainter &p)
{
    p.setPen(roundPen(Rule, 1.6));
    p.setBrush(Qt::NoBrush);
    for (const qreal x : {9.5, 15.0}) {
        QPainterPath steam;
        steam.moveTo(x, 9.5);
        steam.cubicTo(x - 2, 7.5, x + 2, 5.5, x, 3.0);
        p.drawPath(steam);
    }
    p.setPen(roundPen(Brown.darker(115), 2.2));
    p.drawArc(QRectF(17, 14, 7.5, 7.5), -90 * 16, 180 * 16);
    QPainterPath cup;
    cup.moveTo(3.5, 12);
    cup.lineTo(21, 12);
    cup.cubicTo(21, 21.5, 17.5, 25.5, 12.25, 25.5);
    cup.cubicTo(7, 25.5, 3.5, 21.5, 3.5, 12);
    cup.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Brown);
    p.drawPath(cup);
    p.setBrush(Brown.darker(130));
    p.drawRoundedRect(QRectF(1.5, 26.5, 21.5, 3), 1.5, 1.5);
    drawPlusBadge(p, QPointF(24.5, 8));
}

void drawCheckout(QPainter &p)
{
    // A banknote behind a stack of coins.
    p.setPen(QPen(Green.darker(135), 1.2));
    p.setBrush(Green);
    p.drawRoundedRect(QRectF(1.5, 5, 24, 15), 2.2, 2.2);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.8, 7.3, 19.4, 10.4), 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 210));
    p.drawEllipse(QPointF(13.5, 12.5), 3.4, 3.4);

    const QRectF coin(15, 0, 15, 5.5);
    for (int i = 0; i < 3; ++i) {
        const QRectF c = coin.translated(0, 25 - 4.5 * i);
        QPainterPath side;
        side.moveTo(c.left(), c.center().y());
        side.lineTo(c.left(), c.center().y() + 2.6);
        side.arcTo(c.translated(0, 2.6), 180, 180);
        side.lineTo(c.right(), c.center().y());
        side.closeSubpath();
        p.setPen(QPen(DarkGold, 1.1));
        p.setBrush(Gold.darker(112));
        p.drawPath(side);
        p.setBrush(Gold);
        p.drawEllipse(c);
    }
    p.setPen(QPen(DarkGold, 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(coin.translated(0, 16).adjusted(3.5, 1.2, -3.5, -1.2));
}

void drawCatalogue(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Brown);
    p.drawRoundedRect(QRectF(4.5, 4, 23, 26.5), 3, 3);
    p.setBrush(Paper);
    p.drawRoundedRect(QRectF(7.5, 7.5, 17, 20.5), 1, 1);
    p.setBrush(Ink);
    p.drawRoundedRect(QRectF(11, 2, 10, 5.5), 1.8, 1.8);
    for (const qreal y : {12.5, 17.5, 22.5}) {
        p.setPen(Qt::NoPen);
        p.setBrush(Blue);
        p.drawEllipse(QPointF(11, y), 1.7, 1.7);
        p.setPen(roundPen(Rule, 1.8));
        p.drawLine(QPointF(14.5, y), QPointF(21.5, y));
    }
}

void drawMembers(QPainter &p)
{
    const QRectF card(1.5, 6, 29, 20.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Purple);
    p.drawRoundedRect(card, 3, 3);
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(card, 3, 3);
    p.setClipPath(clip);
    p.setBrush(Paper);
    p.drawEllipse(QPointF(10, 13.5), 3.6, 3.6);
    QPainterPath shoulders;
    shoulders.moveTo(4, 24);
    shoulders.arcTo(QRectF(4, 18, 12, 12), 180, -180);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
    p.restore();
    p.setPen(roundPen(QColor(255, 255, 255, 200), 2));
    p.drawLine(QPointF(19, 12.5), QPointF(26.5, 12.5));
    p.drawLine(QPointF(19, 17), QPointF(26.5, 17));
    p.setPen(roundPen(Gold, 2.4));
    p.drawLine(QPointF(19, 21.5), QPointF(23, 21.5));
}

void drawReminder(QPainter &p)
{
    p.setPen(roundPen(DarkGold, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(1.5, 7, 8, 12), 110 * 16, 140 * 16);
    p.drawArc(QRectF(22.5, 7, 8, 12), -70 * 16, 140 * 16);

    p.setPen(Qt::NoPen);
    p.setBrush(DarkGold);
    p.drawEllipse(QPointF(16, 4.5), 2.2, 2.2);
    p.drawEllipse(QPointF(16, 26.5), 3.2, 3.2);
    QPainterPath bell;
    bell.moveTo(6, 23.5);
    bell.cubicTo(8, 21, 8.5, 18, 8.5, 14);
    bell.cubicTo(8.5, 9, 11.5, 5.8, 16, 5.8);
    bell.cubicTo(20.5, 5.8, 23.5, 9, 23.5, 14);
    bell.cubicTo(23.5, 18, 24, 21, 26, 23.5);
    bell.closeSubpath();
    p.setPen(QPen(DarkGold, 1.2));
    p.setBrush(Gold);
    p.drawPath(bell);
    p.drawRoundedRect(QRectF(4.5, 22, 23, 3.4), 1.7, 1.7);
}

// An arc of the circle round (16,16) from one angle to another (degrees, counter-clockwise
// positive as Qt counts them), ending in an arrowhead.
void drawCurvedArrow(QPainter &p, const QColor &color, qreal from, qreal to)
{
    const QPointF c(16, 16);
    const qreal r = 11;
    p.setPen(roundPen(color, 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), qRound(from * 16), qRound((to - from) * 16));
    const qreal a = qDegreesToRadians(to);
    const QPointF end = c + QPointF(r * qCos(a), -r * qSin(a));
    const qreal sign = to > from ? 1 : -1;
    const QPointF tangent = QPointF(-qSin(a), -qCos(a)) * sign;
    const QPointF normal(qCos(a), -qSin(a));
    const QPointF head[] = {end + tangent * 5, end + normal * 4.6 - tangent * 1.2,
                            end - normal * 4.6 - tangent * 1.2};
    p.setPen(roundPen(color, 1));
    p.setBrush(color);
    p.drawPolygon(head, 3);
}

void drawShiftChange(QPainter &p)
{
    drawCurvedArrow(p, Teal, 20, 150);
    drawCurvedArrow(p, Blue, 200, 330);
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawEllipse(QPointF(16, 13.2), 2.9, 2.9);
    QPainterPath shoulders;
    shoulders.moveTo(10.8, 22);
    shoulders.arcTo(QRectF(10.8, 16.8, 10.4, 10.4), 180, -180);
    shoulders.closeSubpath();
    p.drawPath(shoulders);
}

void drawExit(QPainter &p)
{
    p.setPen(roundPen(Ink, 2));
    p.setBrush(QColor(0xe8, 0xec, 0xf0));
    p.drawRect(QRectF(4, 3, 15, 26));
    QPainterPath leaf;
    leaf.moveTo(4, 3);
    leaf.lineTo(12.5, 6);
    leaf.lineTo(12.5, 31);
    leaf.lineTo(4, 29);
    leaf.closeSubpath();
    p.setPen(QPen(Brown.darker(130), 1.2));
    p.setBrush(Brown);
    p.drawPath(leaf);
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    p.drawEllipse(QPointF(10.5, 17.5), 1.3, 1.3);

    p.setPen(roundPen(Red, 3.4));
    p.drawLine(QPointF(15.5, 16), QPointF(25, 16));
    const QPointF head[] = {{30.5, 16}, {23.5, 9.5}, {23.5, 22.5}};
    p.setPen(roundPen(Red, 1.4));
    p.setBrush(Red);
    p.drawPolygon(head, 3);
}

// ---- cache ----------------------------------------------------------------------------------

struct Cache
{
    std::array<QIcon, TagStateCount> tags;
    std::array<QIcon, 8> tools;
    QIcon application;
};

std::optional<Cache> &cacheSlot()
{
    static std::optional<Cache> slot;
    return slot;
}

void dropCache()
{
    cacheSlot().reset();
}

// Pixmaps belong to the application object, so the cache goes when the application goes rather
// than at exit, after it.
Cache &cache()
{
    std::optional<Cache> &slot = cacheSlot();
    if (!slot) {
        slot.emplace();
        qAddPostRoutine(dropCache);
    }
    return *slot;
}

constexpr Drawing TagDrawings[TagStateCount] = {drawFree, drawOccupied, drawReserved, drawDisabled};
constexpr Drawing ToolDrawings[] = {drawOpenBill, drawAddConsumption, drawCheckout, drawCatalogue,
                                    drawMembers,  drawReminder,       drawShiftChange, drawExit};
static_assert(std::size(ToolDrawings) == std::tuple_size_v<decltype(Cache::tools)>);
static_assert(std::size(ToolDrawings) == static_cast<size_t>(Tool::Exit) + 1);

} // namespace

QIcon tagState(int index)
{
    if (index < 0 || index >= TagStateCount)
        return {};
    QIcon &icon = cache().tags[index];
    if (icon.isNull())
        icon = iconOf(64, 64, TagDrawings[index]);
    return icon;
}

QIcon toolbar(Tool tool)
{
    const auto index = static_cast<size_t>(tool);
    if (index >= std::size(ToolDrawings))
        return {};
    QIcon &icon = cache().tools[index];
    if (icon.isNull())
        icon = iconOf(32, 32, ToolDrawings[index]);
    return icon;
}

QIcon application()
{
    QIcon &icon = cache().application;
    if (icon.isNull()) {
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            icon.addPixmap(render(size, 1, 64, drawApplication));
    }
    return icon;
}

} // namespace Icons
