#include "PasswordHash.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QStringList>

#include <openssl/evp.h>
#include <new>

using namespace Qt::StringLiterals;

namespace {

constexpr int DefaultIterations = 60000;
constexpr int KeyLength = 32;
const QString Prefix = u"pbkdf2-sha256"_s;

// libcrypto's PBKDF2 runs the 60,000 rounds several times faster than an HMAC object driven
// round by round from here, which the operator feels at every login and member lookup.
QByteArray pbkdf2(const QByteArray &password, const QByteArray &salt, int iterations)
{
    QByteArray key(KeyLength, Qt::Uninitialized);
    const int ok = PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                                     reinterpret_cast<const unsigned char *>(salt.constData()), int(salt.size()),
                                     iterations, EVP_sha256(), KeyLength, reinterpret_cast<unsigned char *>(key.data()));
    // It only fails when the library cannot allocate; an empty key never equals a stored one.
    return ok == 1 ? key : QByteArray();
}

bool constantTimeEqual(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size() || a.isEmpty())
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
    if (key.isEmpty())
        throw std::bad_alloc();
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
