#include "support/temp_data_dir.h"

#include <QDir>
#include <QFile>

TempDataDir::TempDataDir(bool withDatabase)
{
    if (!m_dir.isValid())
        return;
    QDir(m_dir.path()).mkpath(QStringLiteral("data"));
    if (withDatabase) {
        const QString target = databasePath();
        QFile::copy(QStringLiteral(TAVREL_DB_TEMPLATE), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
}
