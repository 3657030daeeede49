#include "settings/LockPassword.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QStringList>

namespace marlune {
namespace {

constexpr char kScheme[] = "sha256i";
constexpr int kRounds = 20000;
constexpr int kSaltBytes = 16;

QByteArray Digest(const QByteArray& salt, const QString& password, int rounds) {
    QByteArray digest = QCryptographicHash::hash(salt + password.toUtf8(), QCryptographicHash::Sha256);
    for (int i = 1; i < rounds; ++i)
        digest = QCryptographicHash::hash(salt + digest, QCryptographicHash::Sha256);
    return digest;
}

// Constant time for equal lengths: how much of a guess was right does not show in the time.
bool SameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

QString HashLockPassword(const QString& password) {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    return QStringLiteral("%1$%2$%3$%4")
        .arg(QString::fromLatin1(kScheme))
        .arg(kRounds)
        .arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(Digest(salt, password, kRounds).toHex()));
}

bool IsHashedLockPassword(const QString& stored) {
    return stored.startsWith(QString::fromLatin1(kScheme) + QLatin1Char('$'));
}

bool LockPasswordMatches(const QString& stored, const QString& typed) {
    if (!IsHashedLockPassword(stored))
        return SameBytes(stored.toUtf8(), typed.toUtf8());
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int rounds = parts[1].toInt(&ok);
    if (!ok || rounds < 1 || rounds > 10 * kRounds)
        return false;
    const QByteArray salt = QByteArray::fromHex(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromHex(parts[3].toLatin1());
    return !salt.isEmpty() && SameBytes(Digest(salt, typed, rounds), expected);
}

} // namespace marlune
