#include "Refusal.h"

using namespace Qt::StringLiterals;

Refusal::Refusal(QString message, QString field)
    : m_message(std::move(message)), m_field(std::move(field)), m_what(m_message.toUtf8())
{
}

UnknownColumnError::UnknownColumnError(const QString &table, const QString &column)
    : Refusal(u"没有这个字段:"_s + column + u"(表 "_s + table + u")"_s), m_column(column)
{
}
