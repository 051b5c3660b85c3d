#pragma once

#include <QString>

// data/pz.ini: a private-profile file in GBK with CR LF lines. Section and key names
// match without regard to case; a missing file, section or key reads empty. Each read
// or write is whole and serialized by one process-wide lock.
class SettingsFile
{
public:
    explicit SettingsFile(const QString& path);
    QString ReadSetting(const QString& section, const QString& key) const;
    // Creates file, section or key as needed; a failed write is ignored.
    void WriteSetting(const QString& section, const QString& key, const QString& value);
    QString path() const { return m_path; }

private:
    QString m_path;
};
