#pragma once
// Salted password hashes (PBKDF2 with HMAC-SHA256) for operators and members.
// Stored as "pbkdf2-sha256$iterations$salt$hash" (base64), so the cost can grow later.

#include <QString>

namespace PasswordHash {

QString hash(const QString &password);
// True when the password is the one the stored hash was made from.
bool verify(const QString &password, const QString &stored);

} // namespace PasswordHash
