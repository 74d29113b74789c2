#pragma once
// A banded report template as read from its JSON file: the page, the bands and their objects,
// each object's text already split into literals and the expressions printing fills in.

#include <QFont>
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <exception>

// A template that cannot be read or does not fit the data it is laid out over.
class ReportError : public std::exception
{
public:
    explicit ReportError(QString text);
    const QString &text() const { return m_text; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_text;
    QByteArray m_what;
};

// In printing order, which is also the order bands are listed in a laid-out page.
enum class BandKind
{
    ReportTitle,
    PageHeader,
    MasterHeader,
    MasterData,
    MasterFooter,
    ReportSummary,
    PageFooter
};

// One piece of an object's text: a literal, or what an expression in brackets asks for.
struct TextPart
{
    enum class Kind
    {
        Literal,
        Date,
        Time,
        Page,
        PageCount,
        Field,
        Sum
    };
    Kind kind = Kind::Literal;
    QString text;   // the literal, or the bracketed source of an expression
    QString column; // Field and Sum
};

struct Frame
{
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    qreal width = 1; // designer pixels

    bool any() const { return left || top || right || bottom; }
};

struct ReportObject
{
    enum class Kind
    {
        Memo,
        Line
    };
    Kind kind = Kind::Memo;
    QString name;
    // Designer pixels (96 per inch); y is relative to the band's top.
    QRectF rect;
    QFont font;
    Frame frame;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = true;
    QString text; // as stored in the template
    QList<TextPart> parts;
};

struct Band
{
    BandKind kind = BandKind::MasterData;
    qreal height = 0; // designer pixels
    QList<ReportObject> objects;
};

class ReportTemplate
{
public:
    // Throws ReportError naming what is wrong.
    static ReportTemplate fromJson(const QByteArray &json);
    // A file or a resource (":/report_templates/receipt.json").
    static ReportTemplate load(const QString &path);

    const QString &name() const { return m_name; }
    // The name field expressions give to the data set ("ADOQuery1").
    const QString &dataSetName() const { return m_dataSetName; }
    // Page size, orientation and margins (millimetres).
    const QPageLayout &pageLayout() const { return m_pageLayout; }
    const QList<Band> &bands() const { return m_bands; }
    // The band of that kind, or null when the template has none.
    const Band *band(BandKind kind) const;

private:
    QString m_name;
    QString m_dataSetName;
    QPageLayout m_pageLayout;
    QList<Band> m_bands; // in BandKind order
};

// Splits a text into literals and bracketed expressions; throws ReportError on an
// expression this engine does not know. dataSetName is the only data set fields may name.
QList<TextPart> parseText(const QString &text, const QString &dataSetName);
