#include "http/persistent_cookie_jar.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

PersistentCookieJar::PersistentCookieJar(const QString& cookieFile, QObject* parent)
    : QNetworkCookieJar(parent)
    , m_file(cookieFile)
{
    // Coalesces the writes of a burst of cookies (a sign-in sets several at once).
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(200);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { save(); });
    load();
}

PersistentCookieJar::~PersistentCookieJar()
{
    if (m_dirty)
        save();
}

QList<QNetworkCookie> PersistentCookieJar::cookies() const
{
    return allCookies();
}

bool PersistentCookieJar::insertCookieQuietly(const QNetworkCookie& cookie)
{
    const bool wasQuiet = m_quiet;
    m_quiet = true;
    const bool inserted = insertCookie(cookie);
    m_quiet = wasQuiet;
    return inserted;
}

bool PersistentCookieJar::deleteCookieQuietly(const QNetworkCookie& cookie)
{
    const bool wasQuiet = m_quiet;
    m_quiet = true;
    const bool deleted = deleteCookie(cookie);
    m_quiet = wasQuiet;
    return deleted;
}

bool PersistentCookieJar::insertCookie(const QNetworkCookie& cookie)
{
    // The base class removes a cookie of the same name, domain and path first (through
    // deleteCookie, which announces it) and treats an expired cookie as a deletion.
    const bool inserted = QNetworkCookieJar::insertCookie(cookie);
    if (inserted) {
        changed();
        if (!m_quiet)
            emit cookieAdded(cookie);
    }
    return inserted;
}

bool PersistentCookieJar::deleteCookie(const QNetworkCookie& cookie)
{
    const bool deleted = QNetworkCookieJar::deleteCookie(cookie);
    if (deleted) {
        changed();
        if (!m_quiet)
            emit cookieRemoved(cookie);
    }
    return deleted;
}

bool PersistentCookieJar::save()
{
    m_saveTimer.stop();
    if (m_file.isEmpty())
        return true;
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    // Written to a new file and renamed, so a crash mid-write keeps the last good copy.
    QSaveFile out(m_file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QList<QNetworkCookie> all = allCookies();
    for (const QNetworkCookie& cookie : all) {
        if (cookie.isSessionCookie() || cookie.expirationDate() <= now)
            continue;
        out.write(cookie.toRawForm(QNetworkCookie::Full));
        out.write("\n");
    }
    if (!out.commit())
        return false;
    m_dirty = false;
    return true;
}

void PersistentCookieJar::load()
{
    if (m_file.isEmpty())
        return;
    QFile in(m_file);
    if (!in.open(QIODevice::ReadOnly))
        return;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<QNetworkCookie> loaded;
    while (!in.atEnd()) {
        const QByteArray line = in.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const QList<QNetworkCookie> parsed = QNetworkCookie::parseCookies(line);
        for (const QNetworkCookie& cookie : parsed) {
            if (cookie.isSessionCookie() || cookie.expirationDate() <= now || cookie.domain().isEmpty())
                continue;
            loaded.append(cookie);
        }
    }
    setAllCookies(loaded);
}

void PersistentCookieJar::changed()
{
    m_dirty = true;
    if (!m_file.isEmpty())
        m_saveTimer.start();
}
