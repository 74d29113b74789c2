#include "ReportTemplate.h"

#include <QFile>
#include <QFontInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPageSize>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

ReportError::ReportError(QString text) : m_text(std::move(text)), m_what(m_text.toUtf8()) {}

namespace {

const QList<std::pair<QString, BandKind>> &bandNames()
{
    static const QList<std::pair<QString, BandKind>> names{
        {u"reportTitle"_s, BandKind::ReportTitle},   {u"pageHeader"_s, BandKind::PageHeader},
        {u"masterHeader"_s, BandKind::MasterHeader}, {u"masterData"_s, BandKind::MasterData},
        {u"masterFooter"_s, BandKind::MasterFooter}, {u"reportSummary"_s, BandKind::ReportSummary},
        {u"pageFooter"_s, BandKind::PageFooter},
    };
    return names;
}

// Where a bracket opened at `open` closes, skipping quoted column names and nested brackets;
// -1 when it never closes, and then the bracket is plain text.
qsizetype closingBracket(const QString &text, qsizetype open)
{
    int depth = 0;
    bool quoted = false;
    for (qsizetype i = open; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'[')
            ++depth;
        else if (c == u']' && --depth == 0)
            return i;
    }
    return -1;
}

TextPart expression(const QString &source, const QString &dataSetName)
{
    static const QRegularExpression sum(u"^sum\\s*\\((.*)\\)$"_s,
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression field(u"^([A-Za-z_][A-Za-z0-9_]*)\\s*\\.\\s*(?:\"([^\"]+)\"|(\\w+))$"_s,
                                          QRegularExpression::UseUnicodePropertiesOption);
    const auto fail = [&](const QString &why) {
        return ReportError(u"报表表达式 ["_s + source + u"] "_s + why);
    };

    TextPart part;
    part.text = u"["_s + source + u"]"_s;
    QString body = source.trimmed();
    const QString word = body.toUpper();
    if (word == u"DATE"_s) {
        part.kind = TextPart::Kind::Date;
        return part;
    }
    if (word == u"TIME"_s) {
        part.kind = TextPart::Kind::Time;
        return part;
    }
    if (word == u"PAGE"_s) {
        part.kind = TextPart::Kind::Page;
        return part;
    }
    if (word == u"PAGES"_s) {
        part.kind = TextPart::Kind::PageCount;
        return part;
    }
    part.kind = TextPart::Kind::Field;
    if (const auto m = sum.match(body); m.hasMatch()) {
        part.kind = TextPart::Kind::Sum;
        body = m.captured(1).trimmed();
        // Both spellings are in use: the field bare, or itself in brackets.
        if (body.startsWith(u'[') && body.endsWith(u']'))
            body = body.mid(1, body.size() - 2).trimmed();
    }
    const auto m = field.match(body);
    if (!m.hasMatch())
        throw fail(u"无法识别"_s);
    if (m.captured(1) != dataSetName)
        throw fail(u"引用了未知的数据集 "_s + m.captured(1));
    part.column = m.hasCaptured(2) ? m.captured(2) : m.captured(3);
    return part;
}

QFont fontFrom(const QJsonObject &json, QFont font)
{
    if (json.contains(u"family"_s))
        font.setFamily(json.value(u"family"_s).toString());
    if (json.contains(u"size"_s))
        font.setPointSizeF(json.value(u"size"_s).toDouble());
    if (json.contains(u"bold"_s))
        font.setBold(json.value(u"bold"_s).toBool());
    if (json.contains(u"italic"_s))
        font.setItalic(json.value(u"italic"_s).toBool());
    return font;
}

// Hanzi come from a fallback face; named here, it is a Simplified Chinese one whatever the
// locale, where fontconfig's own choice under a non-Chinese locale draws Japanese forms. The
// face standing in for the template's (Nimbus Sans for Arial) is named too, or the list
// would hand Latin text to the CJK face and its wider figures.
QFont withChineseFallback(QFont font)
{
    QStringList families{font.family()};
    // Without the foundry ("Nimbus Sans [urw]"), which a family list does not match.
    QString standIn = QFontInfo(font).family();
    if (const qsizetype foundry = standIn.indexOf(u" ["_s); foundry > 0)
        standIn.truncate(foundry);
    if (standIn != font.family())
        families << standIn;
    families << u"Noto Sans CJK SC"_s << u"Source Han Sans SC"_s << u"WenQuanYi Micro Hei"_s
             << u"Microsoft YaHei"_s << u"SimSun"_s;
    font.setFamilies(families);
    return font;
}

Frame frameFrom(const QJsonObject &json)
{
    Frame frame;
    frame.width = json.value(u"width"_s).toDouble(1);
    const QJsonValue sides = json.value(u"sides"_s);
    QStringList names;
    if (sides.isString())
        names = sides.toString().split(u',', Qt::SkipEmptyParts);
    else
        for (const QJsonValue &v : sides.toArray())
            names << v.toString();
    for (QString name : names) {
        name = name.trimmed();
        const bool all = name == u"all"_s;
        frame.left |= all || name == u"left"_s;
        frame.top |= all || name == u"top"_s;
        frame.right |= all || name == u"right"_s;
        frame.bottom |= all || name == u"bottom"_s;
    }
    return frame;
}

Qt::Alignment alignmentFrom(const QJsonObject &json)
{
    Qt::Alignment a;
    const QString h = json.value(u"align"_s).toString(u"left"_s);
    a |= h == u"center"_s ? Qt::AlignHCenter : h == u"right"_s ? Qt::AlignRight : Qt::AlignLeft;
    const QString v = json.value(u"valign"_s).toString(u"top"_s);
    a |= v == u"center"_s ? Qt::AlignVCenter : v == u"bottom"_s ? Qt::AlignBottom : Qt::AlignTop;
    return a;
}

QString textFrom(const QJsonValue &value)
{
    if (!value.isArray())
        return value.toString();
    QStringList lines;
    for (const QJsonValue &line : value.toArray())
        lines << line.toString();
    return lines.join(u'\n');
}

ReportObject objectFrom(const QJsonObject &json, qreal bandTop, const QFont &defaultFont,
                        const QString &dataSetName)
{
    ReportObject object;
    object.name = json.value(u"name"_s).toString();
    const QString type = json.value(u"type"_s).toString(u"memo"_s);
    if (type == u"line"_s)
        object.kind = ReportObject::Kind::Line;
    else if (type != u"memo"_s)
        throw ReportError(u"报表对象 "_s + object.name + u" 的类型未知: "_s + type);
    const qreal y = json.value(u"y"_s).toDouble();
    if (y < bandTop)
        throw ReportError(u"报表对象 "_s + object.name + u" 在它的区域之上"_s);
    object.rect = QRectF(json.value(u"x"_s).toDouble(), y - bandTop, json.value(u"w"_s).toDouble(),
                         json.value(u"h"_s).toDouble());
    object.font = withChineseFallback(fontFrom(json.value(u"font"_s).toObject(), defaultFont));
    object.frame = frameFrom(json.value(u"frame"_s).toObject());
    if (object.kind == ReportObject::Kind::Line)
        object.frame.width = json.value(u"width"_s).toDouble(1);
    object.alignment = alignmentFrom(json);
    object.wordWrap = json.value(u"wordWrap"_s).toBool(true);
    object.text = textFrom(json.value(u"text"_s));
    object.parts = parseText(object.text, dataSetName);
    return object;
}

QPageLayout pageLayoutFrom(const QJsonObject &json)
{
    const QString sizeName = json.value(u"size"_s).toString(u"A4"_s);
    QPageSize::PageSizeId id = QPageSize::A4;
    if (sizeName == u"A5"_s)
        id = QPageSize::A5;
    else if (sizeName == u"Letter"_s)
        id = QPageSize::Letter;
    else if (sizeName != u"A4"_s)
        throw ReportError(u"报表纸张未知: "_s + sizeName);
    const auto orientation = json.value(u"orientation"_s).toString() == u"landscape"_s
                                 ? QPageLayout::Landscape
                                 : QPageLayout::Portrait;
    const QJsonArray m = json.value(u"margins"_s).toArray(); // left, top, right, bottom in mm
    const QMarginsF margins(m.at(0).toDouble(), m.at(1).toDouble(), m.at(2).toDouble(), m.at(3).toDouble());
    return QPageLayout(QPageSize(id), orientation, margins, QPageLayout::Millimeter);
}

} // namespace

QList<TextPart> parseText(const QString &text, const QString &dataSetName)
{
    QList<TextPart> parts;
    QString literal;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype close = text.at(i) == u'[' ? closingBracket(text, i) : -1;
        if (close < 0) {
            literal += text.at(i++);
            continue;
        }
        if (!literal.isEmpty())
            parts.append({TextPart::Kind::Literal, std::exchange(literal, {}), {}});
        parts.append(expression(text.mid(i + 1, close - i - 1), dataSetName));
        i = close + 1;
    }
    if (!literal.isEmpty())
        parts.append({TextPart::Kind::Literal, literal, {}});
    return parts;
}

ReportTemplate ReportTemplate::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (!doc.isObject())
        throw ReportError(u"报表模板不是有效的 JSON: "_s + error.errorString());
    const QJsonObject root = doc.object();

    ReportTemplate t;
    t.m_name = root.value(u"name"_s).toString();
    t.m_dataSetName = root.value(u"dataSet"_s).toString();
    t.m_pageLayout = pageLayoutFrom(root.value(u"page"_s).toObject());
    QFont defaultFont(u"Arial"_s);
    defaultFont.setPointSizeF(9);
    // Advances measured at layout must be those drawn later at any resolution.
    defaultFont.setHintingPreference(QFont::PreferNoHinting);
    defaultFont = fontFrom(root.value(u"font"_s).toObject(), defaultFont);

    for (const QJsonValue &value : root.value(u"bands"_s).toArray()) {
        const QJsonObject json = value.toObject();
        const QString kindName = json.value(u"kind"_s).toString();
        const auto known = std::find_if(bandNames().begin(), bandNames().end(),
                                        [&](const auto &pair) { return pair.first == kindName; });
        if (known == bandNames().end())
            throw ReportError(u"报表区域未知: "_s + kindName);
        Band band;
        band.kind = known->second;
        if (t.band(band.kind))
            throw ReportError(u"报表区域重复: "_s + kindName);
        band.height = json.value(u"height"_s).toDouble();
        const qreal top = json.value(u"top"_s).toDouble();
        for (const QJsonValue &object : json.value(u"objects"_s).toArray())
            band.objects.append(objectFrom(object.toObject(), top, defaultFont, t.m_dataSetName));
        t.m_bands.append(band);
    }
    std::sort(t.m_bands.begin(), t.m_bands.end(),
              [](const Band &a, const Band &b) { return a.kind < b.kind; });
    return t;
}

ReportTemplate ReportTemplate::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(u"无法读取报表模板 "_s + path);
    return fromJson(file.readAll());
}

const Band *ReportTemplate::band(BandKind kind) const
{
    for (const Band &b : m_bands) {
        if (b.kind == kind)
            return &b;
    }
    return nullptr;
}
