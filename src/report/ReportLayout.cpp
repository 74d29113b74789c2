#include "ReportLayout.h"

#include <QHash>
#include <QImage>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace {

// Room between a text object's frame and its text, in designer pixels.
constexpr qreal GapX = 2;
constexpr qreal GapY = 1;
// Lines are spaced by the proportions of the face templates are drawn with (ascent 0.905 em,
// descent 0.212 em), not by whatever face fills in for it: the fallback CJK faces are much
// taller, and a receipt drawn for one machine must lay out alike on all of them.
constexpr qreal AscentPerEm = 0.905;
constexpr qreal LinePerEm = 0.905 + 0.212;
// Rounding slack when deciding whether a line still fits into its object.
constexpr qreal FitSlack = 0.5;

// Text is measured at the designer's resolution whatever screen the program runs on.
const QPaintDevice *measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        image.setDotsPerMeterX(3780); // 96 per inch
        image.setDotsPerMeterY(3780);
        return image;
    }();
    return &device;
}

qreal emPixels(const QFont &font)
{
    return font.pointSizeF() > 0 ? font.pointSizeF() * 96.0 / 72.0 : qreal(font.pixelSize());
}

struct WrappedLine
{
    QString text;
    qreal width = 0;
};

class Wrapper
{
public:
    QList<WrappedLine> wrap(const QString &text, const QFont &font, qreal width, bool wordWrap)
    {
        if (text.isEmpty())
            return {};
        // The same item names and quantities come back row after row.
        const QString key =
            text + QChar(0) + font.key() + QChar(0) + QString::number(width) + (wordWrap ? u"w"_s : u"n"_s);
        if (const auto cached = m_cache.constFind(key); cached != m_cache.constEnd())
            return *cached;

        QString source = text;
        source.replace(u"\r\n"_s, u"\n"_s);
        source.replace(u'\n', QChar::LineSeparator);
        QTextLayout layout(source, font, measuringDevice());
        QTextOption option;
        option.setWrapMode(wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
        layout.setTextOption(option);
        QList<WrappedLine> lines;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString part = source.mid(line.textStart(), line.textLength());
            while (!part.isEmpty() && (part.back() == QChar::LineSeparator || part.back().isSpace()))
                part.chop(1);
            lines.append({part, line.naturalTextWidth()});
        }
        layout.endLayout();
        m_cache.insert(key, lines);
        return lines;
    }

private:
    QHash<QString, QList<WrappedLine>> m_cache;
};

struct Placement
{
    const Band *band = nullptr;
    int row = -1;
    int page = 0;
    qreal y = 0;
};

// Where each band prints: pages are filled top down, a band that would run into the page
// footer starts a new page, the page header and footer recur on every page.
QList<Placement> paginate(const ReportTemplate &t, int rows, qreal pageHeight, int &pageCount)
{
    QList<Placement> placements;
    const Band *pageHeader = t.band(BandKind::PageHeader);
    const Band *pageFooter = t.band(BandKind::PageFooter);
    const qreal limit = pageHeight - (pageFooter ? pageFooter->height : 0);
    const int first = rows > 0 ? 0 : -1;
    const int last = rows - 1;
    int page = 0;
    qreal y = 0;
    // Nothing but the page header on the page yet: a band too tall for any page prints
    // here, overflowing, rather than asking for page after page.
    bool fresh = true;

    const auto place = [&](const Band *band, int row) {
        placements.append({band, row, page, y});
        y += band->height;
    };
    const auto closePage = [&] {
        if (pageFooter)
            placements.append({pageFooter, last, page, limit});
    };
    const auto put = [&](const Band *band, int row) {
        if (!band)
            return;
        if (!fresh && y + band->height > limit + FitSlack) {
            closePage();
            ++page;
            y = 0;
            if (pageHeader)
                place(pageHeader, first);
        }
        place(band, row);
        fresh = false;
    };

    if (const Band *title = t.band(BandKind::ReportTitle)) {
        place(title, first);
        fresh = false;
    }
    if (pageHeader)
        place(pageHeader, first);
    put(t.band(BandKind::MasterHeader), first);
    if (const Band *data = t.band(BandKind::MasterData)) {
        for (int row = 0; row < rows; ++row)
            put(data, row);
    }
    put(t.band(BandKind::MasterFooter), last);
    put(t.band(BandKind::ReportSummary), last);
    closePage();
    pageCount = page + 1;
    return placements;
}

using Sums = QHash<QString, QString>;

// Every column a [SUM(...)] names, summed exactly over all rows.
Sums columnSums(const ReportTemplate &t, const DataSet &data)
{
    Sums sums;
    for (const Band &band : t.bands()) {
        for (const ReportObject &object : band.objects) {
            for (const TextPart &part : object.parts) {
                if (part.kind != TextPart::Kind::Sum || sums.contains(part.column))
                    continue;
                const int column = data.columnIndex(part.column);
                const ColumnKind kind = data.columns().at(column).kind;
                Money money;
                qint64 whole = 0;
                double factor = 0;
                for (int row = 0; row < data.rowCount(); ++row) {
                    const ReportValue &v = data.value(row, column);
                    if (const auto *m = std::get_if<Money>(&v))
                        money += *m;
                    else if (const auto *i = std::get_if<qint64>(&v))
                        whole += *i;
                    else if (const auto *d = std::get_if<double>(&v))
                        factor += *d;
                    else if (const auto *s = std::get_if<QString>(&v))
                        money += Money::parse(*s).value_or(Money()); // amounts kept as text
                }
                switch (kind) {
                case ColumnKind::Money:
                case ColumnKind::Text:
                    sums.insert(part.column, money.toString());
                    break;
                case ColumnKind::Integer:
                case ColumnKind::RowNumber:
                    sums.insert(part.column, QString::number(whole));
                    break;
                default:
                    sums.insert(part.column, reportText(factor));
                    break;
                }
            }
        }
    }
    return sums;
}

void checkColumns(const ReportTemplate &t, const DataSet &data)
{
    for (const Band &band : t.bands()) {
        for (const ReportObject &object : band.objects) {
            for (const TextPart &part : object.parts) {
                if (part.kind != TextPart::Kind::Field && part.kind != TextPart::Kind::Sum)
                    continue;
                const int column = data.columnIndex(part.column);
                if (column < 0)
                    throw ReportError(u"报表对象 "_s + object.name + u" 引用的字段不存在: "_s + part.column);
                const ColumnKind kind = data.columns().at(column).kind;
                if (part.kind == TextPart::Kind::Sum &&
                    (kind == ColumnKind::DateTime || kind == ColumnKind::Date || kind == ColumnKind::Boolean))
                    throw ReportError(u"报表对象 "_s + object.name + u" 无法合计字段: "_s + part.column);
            }
        }
    }
}

struct Context
{
    const DataSet &data;
    const Sums &sums;
    QDateTime now;
    int pageCount = 1;
};

QString evaluate(const QList<TextPart> &parts, const Context &c, int row, int page)
{
    QString text;
    for (const TextPart &part : parts) {
        switch (part.kind) {
        case TextPart::Kind::Literal:
            text += part.text;
            break;
        case TextPart::Kind::Date:
            text += c.now.toString(u"yyyy-MM-dd"_s);
            break;
        case TextPart::Kind::Time:
            text += c.now.toString(u"hh:mm:ss"_s);
            break;
        case TextPart::Kind::Page:
            text += QString::number(page + 1);
            break;
        case TextPart::Kind::PageCount:
            text += QString::number(c.pageCount);
            break;
        case TextPart::Kind::Field:
            if (row >= 0)
                text += reportText(c.data.value(row, c.data.columnIndex(part.column)));
            break;
        case TextPart::Kind::Sum:
            text += c.sums.value(part.column);
            break;
        }
    }
    return text;
}

LaidOutObject layOut(const ReportObject &object, const Placement &at, const QString &text, Wrapper &wrapper)
{
    LaidOutObject out;
    out.kind = object.kind;
    out.name = object.name;
    out.band = at.band->kind;
    out.row = at.row;
    out.rect = object.rect.translated(0, at.y);
    out.font = object.font;
    out.frame = object.frame;
    if (object.kind == ReportObject::Kind::Line)
        return out;

    out.text = text;
    const qreal em = emPixels(object.font);
    const qreal lineHeight = em * LinePerEm;
    out.ascent = em * AscentPerEm;
    const qreal available = std::max<qreal>(0, out.rect.width() - 2 * GapX);
    const QList<WrappedLine> wrapped = wrapper.wrap(text, object.font, available, object.wordWrap);
    // Lines that do not fit wholly are left out rather than shown cut in half.
    qsizetype fitting = 0;
    while (fitting < wrapped.size() &&
           (fitting == 0 || GapY + (fitting + 1) * lineHeight <= out.rect.height() + FitSlack))
        ++fitting;

    const qreal used = fitting * lineHeight;
    qreal top = out.rect.top() + GapY;
    if (object.alignment & Qt::AlignBottom)
        top = out.rect.bottom() - GapY - used;
    else if (object.alignment & Qt::AlignVCenter)
        top = out.rect.top() + (out.rect.height() - used) / 2;
    for (qsizetype i = 0; i < fitting; ++i) {
        const WrappedLine &line = wrapped.at(i);
        qreal left = out.rect.left() + GapX;
        if (object.alignment & Qt::AlignRight)
            left = out.rect.right() - GapX - line.width;
        else if (object.alignment & Qt::AlignHCenter)
            left = out.rect.left() + (out.rect.width() - line.width) / 2;
        out.lines.append({line.text, QRectF(left, top + i * lineHeight, line.width, lineHeight)});
    }
    return out;
}

} // namespace

QString LaidOutObject::visibleText() const
{
    QStringList texts;
    for (const LaidOutLine &line : lines)
        texts << line.text;
    return texts.join(u'\n');
}

const LaidOutObject *LaidOutPage::object(const QString &name) const
{
    for (const LaidOutObject &o : objects) {
        if (o.name == name)
            return &o;
    }
    return nullptr;
}

QList<const LaidOutObject *> LaidOutPage::objectsNamed(const QString &name) const
{
    QList<const LaidOutObject *> found;
    for (const LaidOutObject &o : objects) {
        if (o.name == name)
            found.append(&o);
    }
    return found;
}

FindHit LaidOutReport::find(const QString &text, const FindHit &after) const
{
    if (text.isEmpty() || pages.isEmpty())
        return {};
    // Objects in reading order, numbered across the pages, so the search can wrap round.
    qsizetype total = 0;
    QList<qsizetype> firstOfPage;
    for (const LaidOutPage &page : pages) {
        firstOfPage.append(total);
        total += page.objects.size();
    }
    const qsizetype start = after.found() ? firstOfPage.at(after.page) + after.object + 1 : 0;
    for (qsizetype step = 0; step < total; ++step) {
        const qsizetype index = (start + step) % total;
        const int page =
            int(std::upper_bound(firstOfPage.begin(), firstOfPage.end(), index) - firstOfPage.begin()) - 1;
        const int object = int(index - firstOfPage.at(page));
        if (pages.at(page).objects.at(object).visibleText().contains(text, Qt::CaseInsensitive))
            return {page, object};
    }
    return {};
}

LaidOutReport layoutReport(const ReportTemplate &reportTemplate, const DataSet &data, const QDateTime &now,
                           const ReportHook &hook)
{
    checkColumns(reportTemplate, data);
    const Sums sums = columnSums(reportTemplate, data);

    LaidOutReport report;
    report.pageLayout = reportTemplate.pageLayout();
    const QRectF inches = report.pageLayout.paintRect(QPageLayout::Inch);
    report.printableSize = inches.size() * 96;

    Context context{data, sums, now};
    const QList<Placement> placements =
        paginate(reportTemplate, data.rowCount(), report.printableSize.height(), context.pageCount);
    report.pages.resize(context.pageCount);

    Wrapper wrapper;
    for (const Placement &at : placements) {
        LaidOutPage &page = report.pages[at.page];
        for (const ReportObject &object : at.band->objects) {
            QString text;
            if (object.kind == ReportObject::Kind::Memo) {
                text = object.text;
                if (hook)
                    hook(object.name, text);
                if (text == object.text)
                    text = evaluate(object.parts, context, at.row, at.page);
            }
            page.objects.append(layOut(object, at, text, wrapper));
        }
    }
    return report;
}
