#include "DateTimeText.h"

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

QDateTime parseDateTime(const QString &text)
{
    const QString t = text.trimmed();
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
