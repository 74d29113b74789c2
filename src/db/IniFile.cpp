#include "IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

using namespace Qt::StringLiterals;

namespace {

bool isSectionLine(const QString &line, QString *name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'[') || !t.contains(u']'))
        return false;
    if (name)
        *name = t.mid(1, t.indexOf(u']') - 1).trimmed();
    return true;
}

bool keyOf(const QString &line, QString *key, QString *value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#'))
        return false;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return false;
    *key = line.left(eq).trimmed();
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return !key->isEmpty();
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

IniFile::Content IniFile::load() const
{
    Content c;
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return c;
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        // Files written by older tools on a Chinese system are in the local code page.
        QStringDecoder gb("GB18030");
        if (gb.isValid()) {
            text = gb.decode(bytes);
            c.gb18030 = true;
        }
    }
    if (text.contains(u"\r\n"_s))
        c.lineEnd = u"\r\n"_s;
    text.replace(u"\r\n"_s, u"\n"_s);
    c.lines = text.split(u'\n');
    if (!c.lines.isEmpty() && c.lines.back().isEmpty())
        c.lines.removeLast();
    return c;
}

bool IniFile::save(const Content &content) const
{
    QString text = content.lines.join(content.lineEnd) + content.lineEnd;
    QByteArray bytes;
    if (content.gb18030) {
        QStringEncoder gb("GB18030");
        bytes = gb.encode(text);
    } else {
        bytes = text.toUtf8();
    }
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    // The file holds the server's password as the venue typed it: its owner alone reads it.
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    f.setPermissions(ownerOnly);
    f.write(bytes);
    if (!f.commit())
        return false;
    QFile::setPermissions(m_path, ownerOnly);
    return true;
}

QString IniFile::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Content c = load();
    bool inSection = false;
    for (const QString &line : c.lines) {
        QString name;
        if (isSectionLine(line, &name)) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString k, v;
        if (inSection && keyOf(line, &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    }
    return defaultValue;
}

bool IniFile::write(const QString &section, const QString &key, const QString &value)
{
    Content c = load();
    const QString newLine = key + u'=' + value;
    qsizetype sectionStart = -1;
    qsizetype lastInSection = -1; // last non-blank line of the section
    bool inSection = false;
    for (qsizetype i = 0; i < c.lines.size(); ++i) {
        QString name;
        if (isSectionLine(c.lines.at(i), &name)) {
            if (inSection)
                break; // the section ended; the key is not in it
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection) {
                sectionStart = i;
                lastInSection = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!c.lines.at(i).trimmed().isEmpty())
            lastInSection = i;
        QString k;
        if (keyOf(c.lines.at(i), &k, nullptr) && k.compare(key, Qt::CaseInsensitive) == 0) {
            c.lines[i] = newLine;
            return save(c);
        }
    }
    if (sectionStart < 0) {
        if (!c.lines.isEmpty() && !c.lines.back().trimmed().isEmpty())
            c.lines.append(QString());
        c.lines.append(u'[' + section + u']');
        c.lines.append(newLine);
    } else {
        c.lines.insert(lastInSection + 1, newLine);
    }
    return save(c);
}
