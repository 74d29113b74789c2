#pragma once
// system.ini: a sectioned "key=value" file read and written like a private-profile file.
// Sections and keys compare without case, the value is the rest of the line, a missing
// file or key reads as the default, and every write reaches the file at once.

#include <QString>
#include <QStringList>

class IniFile
{
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }
    QString read(const QString &section, const QString &key, const QString &defaultValue = QStringLiteral("0")) const;
    // Returns false when the file could not be written.
    bool write(const QString &section, const QString &key, const QString &value);

private:
    struct Content
    {
        QStringList lines;
        QString lineEnd = QStringLiteral("\n");
        bool gb18030 = false;
    };
    Content load() const;
    bool save(const Content &content) const;

    QString m_path;
};
