#include "shell/unlock_password.h"

#include "common/text_helpers.h"
#include "plans/settings_file.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>
#include <cstring>

namespace {

const QString Scheme = QStringLiteral("pbkdf2-sha256");
constexpr int SaltBytes = 16;
constexpr int HashBytes = 32;
// A hand-edited count must not freeze the unlock button.
constexpr int MaxIterations = 10000000;

struct ParsedHash
{
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

bool parse(const QString& stored, ParsedHash& out)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts.at(0) != Scheme)
        return false;
    bool ok = false;
    out.iterations = parts.at(1).toInt(&ok);
    if (!ok || out.iterations < 1 || out.iterations > MaxIterations)
        return false;
    const auto decode = [](const QString& text, QByteArray& bytes) {
        auto result = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        bytes = *result;
        return result.decodingStatus == QByteArray::Base64DecodingStatus::Ok && !bytes.isEmpty();
    };
    return decode(parts.at(2), out.salt) && decode(parts.at(3), out.hash) && out.hash.size() == HashBytes;
}

QByteArray derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(
        QCryptographicHash::Sha256, password.toUtf8(), salt, iterations, HashBytes);
}

bool equalInConstantTime(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return diff == 0;
}

} // namespace

QString UnlockPasswordSection()
{
    return QStringLiteral("界面");
}

QString UnlockPasswordKey()
{
    return QStringLiteral("锁定密码");
}

QString HashUnlockPassword(const QString& password, int iterations)
{
    QByteArray salt(SaltBytes, '\0');
    for (int i = 0; i < SaltBytes; i += 4) {
        const quint32 random = QRandomGenerator::system()->generate();
        std::memcpy(salt.data() + i, &random, sizeof random);
    }
    const QByteArray hash = derive(password, salt, iterations);
    return Scheme + u'$' + QString::number(iterations) + u'$' + QString::fromLatin1(salt.toBase64()) + u'$'
        + QString::fromLatin1(hash.toBase64());
}

bool IsUnlockPasswordHash(const QString& stored)
{
    ParsedHash parsed;
    return parse(stored, parsed);
}

bool UnlockPasswordMatches(const QString& stored, const QString& entry)
{
    const QString typed = TrimSpaces(entry);
    if (stored.isEmpty())
        return typed.isEmpty();
    ParsedHash parsed;
    if (!parse(stored, parsed))
        return false;
    return equalInConstantTime(derive(typed, parsed.salt, parsed.iterations), parsed.hash);
}

QString ReadUnlockPassword(const SettingsFile& settings)
{
    return settings.ReadSetting(UnlockPasswordSection(), UnlockPasswordKey());
}

void WriteUnlockPassword(SettingsFile& settings, const QString& stored)
{
    settings.WriteSetting(UnlockPasswordSection(), UnlockPasswordKey(), stored);
}
