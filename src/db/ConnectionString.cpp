#include "ConnectionString.h"

using namespace Qt::StringLiterals;

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString cs;
    cs.m_text = text;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        // key up to '='
        const qsizetype eq = text.indexOf(u'=', i);
        const qsizetype semi = text.indexOf(u';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // a part without '=' carries no setting; skip it
            if (semi < 0)
                break;
            i = semi + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).trimmed().toLower();
        i = eq + 1;
        while (i < n && text.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && (text.at(i) == u'"' || text.at(i) == u'\'')) {
            // A quoted value may hold ';'; a doubled quote stands for one.
            const QChar quote = text.at(i++);
            while (i < n) {
                if (text.at(i) == quote) {
                    if (i + 1 < n && text.at(i + 1) == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text.at(i++);
            }
            const qsizetype next = text.indexOf(u';', i);
            i = next < 0 ? n : next + 1;
        } else {
            const qsizetype next = text.indexOf(u';', i);
            value = text.mid(i, (next < 0 ? n : next) - i).trimmed();
            i = next < 0 ? n : next + 1;
        }
        if (!key.isEmpty())
            cs.m_values.insert(key, value);
    }
    return cs;
}

QString ConnectionString::value(const QString &key) const
{
    return m_values.value(key.toLower());
}

bool ConnectionString::contains(const QString &key) const
{
    return m_values.contains(key.toLower());
}

std::optional<DbKind> ConnectionString::kind() const
{
    const QString provider = value(u"Provider"_s).trimmed();
    if (provider.compare(u"SQLite"_s, Qt::CaseInsensitive) == 0
        || provider.startsWith(u"Microsoft.Jet.OLEDB"_s, Qt::CaseInsensitive))
        return DbKind::Sqlite;
    if (provider.compare(u"PostgreSQL"_s, Qt::CaseInsensitive) == 0)
        return DbKind::PostgreSql;
    if (provider.startsWith(u"SQLOLEDB"_s, Qt::CaseInsensitive))
        return DbKind::SqlServer;
    return std::nullopt;
}

QString ConnectionString::compose(const QList<std::pair<QString, QString>> &pairs)
{
    QString out;
    for (const auto &[key, value] : pairs) {
        QString v = value;
        if (v.contains(u';') || v.contains(u'"') || v.contains(u'\'')
            || (!v.isEmpty() && (v.front().isSpace() || v.back().isSpace()))) {
            v.replace(u'"', u"\"\""_s);
            v = u'"' + v + u'"';
        }
        out += key + u'=' + v + u';';
    }
    return out;
}
