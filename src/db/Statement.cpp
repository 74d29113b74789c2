#include "Statement.h"

#include "Refusal.h"
#include "Schema.h"

using namespace Qt::StringLiterals;

Statement &Statement::sql(const QString &text)
{
    if (!m_parts.isEmpty() && m_parts.back().hole < 0)
        m_parts.back().text += text;
    else
        m_parts.append(Part{text, -1});
    return *this;
}

Statement &Statement::value(const SqlValue &value)
{
    m_parts.append(Part{QString(), m_values.size()});
    m_values.append(value);
    return *this;
}

Statement &Statement::column(const QString &table, const QString &name)
{
    const QString trimmed = name.trimmed();
    const ColumnDef *col = Schema::column(table, trimmed);
    if (!col)
        throw UnknownColumnError(table, trimmed);
    return sql(quoteIdentifier(col->name));
}

Statement &Statement::append(const Statement &other)
{
    for (const Part &p : other.m_parts) {
        if (p.hole < 0)
            sql(p.text);
        else
            value(other.m_values.at(p.hole));
    }
    return *this;
}

Statement Statement::insert(const QString &table, const QList<std::pair<QString, SqlValue>> &values)
{
    Statement st;
    QStringList names;
    for (const auto &[name, v] : values)
        names.append(quoteIdentifier(name));
    st.sql(u"insert into "_s + quoteIdentifier(table) + u" ("_s + names.join(u", "_s) + u") values ("_s);
    bool first = true;
    for (const auto &[name, v] : values) {
        if (!first)
            st.sql(u", "_s);
        first = false;
        st.value(v);
    }
    st.sql(u")"_s);
    return st;
}

Statement Statement::update(const QString &table, const QList<std::pair<QString, SqlValue>> &values,
                            const QString &keyColumn, const SqlValue &key)
{
    Statement st(u"update "_s + quoteIdentifier(table) + u" set "_s);
    bool first = true;
    for (const auto &[name, v] : values) {
        st.sql((first ? QString() : u", "_s) + quoteIdentifier(name) + u" = "_s);
        st.value(v);
        first = false;
    }
    st.sql(u" where "_s + quoteIdentifier(keyColumn) + u" = "_s);
    st.value(key);
    return st;
}

Statement Statement::remove(const QString &table, const QString &keyColumn, const SqlValue &key)
{
    Statement st(u"delete from "_s + quoteIdentifier(table) + u" where "_s + quoteIdentifier(keyColumn) + u" = "_s);
    st.value(key);
    return st;
}

QString Statement::preparedText() const
{
    QString out;
    for (const Part &p : m_parts)
        out += p.hole < 0 ? p.text : u"?"_s;
    return out;
}

QString Statement::display(const QString &textQuote, const QString &dateQuote) const
{
    QString out;
    for (const Part &p : m_parts)
        out += p.hole < 0 ? p.text : m_values.at(p.hole).display(textQuote, dateQuote);
    return out;
}

QString quoteIdentifier(const QString &name)
{
    // Quoted names keep their case, and PostgreSQL folds the unquoted ones the tables were
    // created with ("ID" is id there); so only a keyword or an unusual name is quoted.
    bool plain = !name.isEmpty() && !name.front().isDigit() && name.compare(u"add"_s, Qt::CaseInsensitive) != 0;
    for (QChar c : name)
        plain = plain && (c.isLetterOrNumber() || c == u'_');
    if (plain)
        return name;
    QString escaped = name;
    escaped.replace(u'"', u"\"\""_s);
    return u'"' + escaped + u'"';
}
