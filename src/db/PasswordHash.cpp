#include "PasswordHash.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

constexpr int DefaultIterations = 60000;
constexpr int KeyLength = 32;
const QString Prefix = u"pbkdf2-sha256"_s;

QByteArray pbkdf2(const QByteArray &password, const QByteArray &salt, int iterations)
{
    // One 32-byte block is all a SHA-256 key needs.
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt);
    mac.addData(QByteArray("\x00\x00\x00\x01", 4));
    QByteArray u = mac.result();
    QByteArray t = u;
    for (int i = 1; i < iterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (int j = 0; j < KeyLength; ++j)
            t[j] = char(t.at(j) ^ u.at(j));
    }
    return t;
}

bool constantTimeEqual(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return diff == 0;
}

} // namespace

namespace PasswordHash {

QString hash(const QString &password)
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), salt.size() / 4);
    const QByteArray key = pbkdf2(password.toUtf8(), salt, DefaultIterations);
    return Prefix + u'$' + QString::number(DefaultIterations) + u'$' + QString::fromLatin1(salt.toBase64())
           + u'$' + QString::fromLatin1(key.toBase64());
}

bool verify(const QString &password, const QString &stored)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts.at(0) != Prefix)
        return false;
    bool ok = false;
    const int iterations = parts.at(1).toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10'000'000)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts.at(2).toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts.at(3).toLatin1());
    if (salt.isEmpty() || expected.size() != KeyLength)
        return false;
    return constantTimeEqual(pbkdf2(password.toUtf8(), salt, iterations), expected);
}

} // namespace PasswordHash
