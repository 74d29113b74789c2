#include "DateTimeText.h"

using namespace Qt::StringLiterals;

namespace DateTimeText {

QString dateTime(const QDateTime &value)
{
    return value.isValid() ? value.toString(u"yyyy-MM-dd hh:mm:ss"_s) : QString();
}

QString date(const QDate &value)
{
    return value.isValid() ? value.toString(u"yyyy-MM-dd"_s) : QString();
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
