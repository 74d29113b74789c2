#include "DbError.h"

using namespace Qt::StringLiterals;

DbError::DbError(QString message, QString driverText, QString statement)
    : m_message(std::move(message)), m_driverText(std::move(driverText)), m_statement(std::move(statement))
{
    QString all = text();
    if (!m_statement.isEmpty())
        all += u"\n"_s + m_statement;
    m_what = all.toUtf8();
}

QString DbError::text() const
{
    if (m_driverText.trimmed().isEmpty() || m_driverText == m_message)
        return m_message;
    if (m_message.isEmpty())
        return m_driverText;
    return m_message + u"\n"_s + m_driverText;
}
