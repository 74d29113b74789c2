#include "ReportPainter.h"

#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

using namespace Qt::StringLiterals;

namespace ReportPainter {

namespace {

void paintFrame(QPainter &painter, const LaidOutObject &object)
{
    const Frame &f = object.frame;
    if (!f.any())
        return;
    painter.setPen(QPen(Qt::black, f.width, Qt::SolidLine, Qt::SquareCap));
    const QRectF r = object.rect;
    if (f.left)
        painter.drawLine(r.topLeft(), r.bottomLeft());
    if (f.top)
        painter.drawLine(r.topLeft(), r.topRight());
    if (f.right)
        painter.drawLine(r.topRight(), r.bottomRight());
    if (f.bottom)
        painter.drawLine(r.bottomLeft(), r.bottomRight());
}

} // namespace

void paintPage(QPainter &painter, const LaidOutPage &page, qreal dotsPerInch, int highlight)
{
    painter.save();
    // Everything below is in designer pixels; fonts shrink by the same factor the scale
    // enlarges them, so a point stays a point on every device.
    const qreal scale = dotsPerInch / 96.0;
    painter.scale(scale, scale);
    for (int i = 0; i < page.objects.size(); ++i) {
        const LaidOutObject &object = page.objects.at(i);
        if (object.kind == ReportObject::Kind::Line) {
            painter.setPen(QPen(Qt::black, object.frame.width));
            painter.drawLine(object.rect.topLeft(), object.rect.bottomRight());
            continue;
        }
        if (i == highlight)
            painter.fillRect(object.rect, QColor(255, 230, 0, 160));
        paintFrame(painter, object);
        if (object.lines.isEmpty())
            continue;
        QFont font = object.font;
        font.setPointSizeF(font.pointSizeF() / scale);
        painter.save();
        painter.setClipRect(object.rect, Qt::IntersectClip);
        painter.setFont(font);
        painter.setPen(Qt::black);
        for (const LaidOutLine &line : object.lines)
            painter.drawText(QPointF(line.rect.left(), line.rect.top() + object.ascent), line.text);
        painter.restore();
    }
    painter.restore();
}

bool print(const LaidOutReport &report, QPagedPaintDevice &device, const FindHit &highlight)
{
    device.setPageLayout(report.pageLayout);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int i = 0; i < report.pages.size(); ++i) {
        if (i > 0)
            device.newPage();
        paintPage(painter, report.pages.at(i), device.logicalDpiY(),
                  highlight.page == i ? highlight.object : -1);
    }
    return painter.end();
}

bool savePdf(const LaidOutReport &report, const QString &path)
{
    {
        // QPdfWriter says nothing when it cannot open its file; try it first.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            return false;
    }
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setCreator(u"vesk"_s);
    return print(report, writer);
}

} // namespace ReportPainter
