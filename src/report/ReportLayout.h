#pragma once
// Lays a template out over a data set into pages of positioned text. Pure: no printer and no
// widgets, so what a report prints is checked by reading the laid-out lines.

#include "DataSet.h"
#include "ReportTemplate.h"

#include <QDateTime>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <functional>

// Called with each text object's name and stored text before the object is laid out. A text
// it changes prints as it leaves it, expressions and all; a text it leaves alone has its
// expressions filled in.
using ReportHook = std::function<void(const QString &objectName, QString &text)>;

struct LaidOutLine
{
    QString text;
    QRectF rect; // the line's box; its baseline is rect.top() + the object's ascent
};

struct LaidOutObject
{
    ReportObject::Kind kind = ReportObject::Kind::Memo;
    QString name;
    BandKind band = BandKind::MasterData;
    int row = -1; // the data row whose values it shows, -1 when there is none
    QRectF rect;  // designer pixels from the top-left corner of the printable area
    QFont font;
    Frame frame;
    qreal ascent = 0;
    QString text; // the whole text, before it is wrapped
    // The lines that fit into the object's height (the first always, clipped when painted).
    QList<LaidOutLine> lines;

    // The lines that print, one per line.
    QString visibleText() const;
};

struct LaidOutPage
{
    QList<LaidOutObject> objects; // bands top to bottom, each band's objects in template order

    // The first object of that name on the page, or null.
    const LaidOutObject *object(const QString &name) const;
    // Every object of that name, top to bottom (a data band's object once per row).
    QList<const LaidOutObject *> objectsNamed(const QString &name) const;
};

struct FindHit
{
    int page = -1;
    int object = -1;

    bool found() const { return page >= 0; }
    bool operator==(const FindHit &) const = default;
};

struct LaidOutReport
{
    QPageLayout pageLayout;
    QSizeF printableSize; // designer pixels
    QList<LaidOutPage> pages;

    // The next object whose printed lines hold the text (without case), searching from just
    // after `after` (from the start when it found nothing) and wrapping round to the start.
    FindHit find(const QString &text, const FindHit &after = {}) const;
};

// Lays the report out; `now` is the moment [DATE] and [TIME] show. Throws ReportError when an
// expression names a column the data set lacks or sums one that holds no numbers.
LaidOutReport layoutReport(const ReportTemplate &reportTemplate, const DataSet &data, const QDateTime &now,
                           const ReportHook &hook = {});
