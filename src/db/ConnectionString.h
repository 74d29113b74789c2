#pragma once
// The "Key=Value;..." connection strings kept in system.ini, and what they ask to open.

#include <QMap>
#include <QString>

enum class DbKind { Sqlite, PostgreSql, SqlServer };

class ConnectionString
{
public:
    // Keys compare without case; a value may be quoted ("a;b" or 'a;b') to hold ';'.
    static ConnectionString parse(const QString &text);

    QString value(const QString &key) const;
    bool contains(const QString &key) const;
    const QString &text() const { return m_text; }

    // What the provider names, or nothing when it names no provider this program knows.
    std::optional<DbKind> kind() const;

    // Composes a string back from key/value pairs, quoting values that need it.
    static QString compose(const QList<std::pair<QString, QString>> &pairs);

private:
    QString m_text;
    QMap<QString, QString> m_values; // lower-case key -> value
};
