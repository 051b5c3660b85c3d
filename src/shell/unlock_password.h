#pragma once

#include <QString>

class SettingsFile;

// The lock password is kept in pz.ini as a salted PBKDF2 hash, never as itself:
// "pbkdf2-sha256$<iterations>$<salt, base64>$<hash, base64>".
// Deleting the key resets it; the next lock then asks for a new one.
QString UnlockPasswordSection(); // "界面"
QString UnlockPasswordKey(); // "锁定密码"

constexpr int UnlockPasswordIterations = 100000;

QString HashUnlockPassword(const QString& password, int iterations = UnlockPasswordIterations);
// True for a value HashUnlockPassword could have made.
bool IsUnlockPasswordHash(const QString& stored);
// The entry with its blanks trimmed (TrimSpaces) against the stored hash, case-sensitive.
// An empty stored value is matched by an empty entry, an unreadable one by nothing.
bool UnlockPasswordMatches(const QString& stored, const QString& entry);

QString ReadUnlockPassword(const SettingsFile& settings);
void WriteUnlockPassword(SettingsFile& settings, const QString& stored);
