#include "SqlValue.h"

#include "DateTimeText.h"

#include <QLocale>

using namespace Qt::StringLiterals;

SqlValue SqlValue::text(const QString &value)
{
    SqlValue v;
    v.m_kind = Kind::Text;
    v.m_text = value;
    return v;
}

SqlValue SqlValue::integer(qint64 value)
{
    SqlValue v;
    v.m_kind = Kind::Integer;
    v.m_integer = value;
    return v;
}

SqlValue SqlValue::real(double value)
{
    SqlValue v;
    v.m_kind = Kind::Real;
    v.m_real = value;
    return v;
}

SqlValue SqlValue::money(Money value)
{
    SqlValue v;
    v.m_kind = Kind::Money;
    v.m_integer = value.raw();
    return v;
}

SqlValue SqlValue::boolean(bool value)
{
    SqlValue v;
    v.m_kind = Kind::Boolean;
    v.m_integer = value ? 1 : 0;
    return v;
}

SqlValue SqlValue::date(const QDate &value)
{
    SqlValue v;
    v.m_kind = Kind::Date;
    v.m_date = value;
    return v;
}

SqlValue SqlValue::dateTime(const QDateTime &value)
{
    SqlValue v;
    v.m_kind = Kind::DateTime;
    v.m_dateTime = value;
    return v;
}

QString SqlValue::display(const QString &textQuote, const QString &dateQuote) const
{
    switch (m_kind) {
    case Kind::Null:
        return u"null"_s;
    case Kind::Text:
        return textQuote + m_text + textQuote;
    case Kind::Integer:
        return QString::number(m_integer);
    case Kind::Real:
        return QString::number(m_real, 'g', QLocale::FloatingPointShortest);
    case Kind::Money:
        return moneyValue().toString();
    case Kind::Boolean:
        return m_integer ? u"true"_s : u"false"_s;
    case Kind::Date:
        return dateQuote + DateTimeText::date(m_date) + dateQuote;
    case Kind::DateTime:
        return dateQuote + DateTimeText::dateTime(m_dateTime) + dateQuote;
    }
    return {};
}
