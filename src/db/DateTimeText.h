#pragma once
// The text forms in which the system writes dates and times.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace DateTimeText {

// "yyyy-MM-dd hh:mm:ss", the form of every date-time column.
QString dateTime(const QDateTime &value);
// "yyyy-MM-dd", the form of date columns and of report bounds.
QString date(const QDate &value);
// Reads either form back; an invalid value when the text is neither.
QDateTime parseDateTime(const QString &text);
QDate parseDate(const QString &text);
// True when the text is a valid date-time already written as dateTime() writes it, so that it
// can be shown as it is, without reading it into a QDateTime and writing it again.
bool isDateTimeText(QStringView text);

} // namespace DateTimeText
