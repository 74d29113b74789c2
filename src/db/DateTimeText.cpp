#include "DateTimeText.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Written digit by digit: every stored date-time passes through here, and QDateTime::toString
// goes through the locale and calendar machinery for each one.
void putDigits(char16_t *&out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    out += digits;
}

bool plainYear(const QDate &d)
{
    return d.year() >= 1 && d.year() <= 9999;
}

// The number the digits at [from, from + count) of the text spell; -1 when one is no digit.
int digitsAt(QStringView text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

struct Parts
{
    int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
};

// "yyyy-MM-dd hh:mm:ss" read character by character: QDateTime::fromString goes through the
// general format parser, a hundred times slower, and every date-time a grid shows is read here.
std::optional<Parts> canonicalParts(QStringView text)
{
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' || text[13] != u':' ||
        text[16] != u':')
        return std::nullopt;
    Parts p{digitsAt(text, 0, 4),  digitsAt(text, 5, 2),  digitsAt(text, 8, 2),
            digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2)};
    if (p.year < 1 || !QDate::isValid(p.year, p.month, p.day) || !QTime::isValid(p.hour, p.minute, p.second))
        return std::nullopt;
    return p;
}

} // namespace

namespace DateTimeText {

QString dateTime(const QDateTime &value)
{
    if (!value.isValid())
        return {};
    const QDate d = value.date();
    if (!plainYear(d))
        return value.toString(u"yyyy-MM-dd hh:mm:ss"_s);
    const QTime t = value.time();
    char16_t buffer[19];
    char16_t *out = buffer;
    putDigits(out, d.year(), 4);
    *out++ = u'-';
    putDigits(out, d.month(), 2);
    *out++ = u'-';
    putDigits(out, d.day(), 2);
    *out++ = u' ';
    putDigits(out, t.hour(), 2);
    *out++ = u':';
    putDigits(out, t.minute(), 2);
    *out++ = u':';
    putDigits(out, t.second(), 2);
    return QString(reinterpret_cast<const QChar *>(buffer), 19);
}

QString date(const QDate &value)
{
    if (!value.isValid())
        return {};
    if (!plainYear(value))
        return value.toString(u"yyyy-MM-dd"_s);
    char16_t buffer[10];
    char16_t *out = buffer;
    putDigits(out, value.year(), 4);
    *out++ = u'-';
    putDigits(out, value.month(), 2);
    *out++ = u'-';
    putDigits(out, value.day(), 2);
    return QString(reinterpret_cast<const QChar *>(buffer), 10);
}

bool isDateTimeText(QStringView text)
{
    return canonicalParts(text).has_value();
}

QDateTime parseDateTime(const QString &text)
{
    const QString t = text.trimmed();
    if (const std::optional<Parts> p = canonicalParts(t))
        return QDateTime(QDate(p->year, p->month, p->day), QTime(p->hour, p->minute, p->second));
    QDateTime dt = QDateTime::fromString(t, u"yyyy-MM-dd hh:mm:ss"_s);
    if (!dt.isValid())
        dt = QDateTime::fromString(t, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(t, u"yyyy-MM-dd"_s);
        if (d.isValid())
            dt = d.startOfDay();
    }
    return dt;
}

QDate parseDate(const QString &text)
{
    const QString t = text.trimmed();
    const QDate d = QDate::fromString(t.left(10), u"yyyy-MM-dd"_s);
    return d;
}

} // namespace DateTimeText
