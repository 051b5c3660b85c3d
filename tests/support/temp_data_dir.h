#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary program folder with data/data.mdb made fresh from the schema.
class TempDataDir
{
public:
    // withDatabase false leaves data/ empty.
    explicit TempDataDir(bool withDatabase = true);
    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString dataDir() const { return m_dir.path() + QStringLiteral("/data"); }
    QString databasePath() const { return dataDir() + QStringLiteral("/data.mdb"); }
    QString settingsPath() const { return dataDir() + QStringLiteral("/pz.ini"); }

private:
    QTemporaryDir m_dir;
};
