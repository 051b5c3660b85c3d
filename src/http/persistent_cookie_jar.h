#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QString>
#include <QTimer>

// The program's shared cookie store. Persistent cookies (those with an expiry date) are
// kept in a file, as a browser keeps them; session cookies end with the program.
//
// Keeping the embedded browser's store in step: every cookie the jar gains or loses is
// announced by cookieAdded / cookieRemoved (a replaced cookie is announced as removed,
// then added). Cookies that come from the browser go in through insertCookieQuietly /
// deleteCookieQuietly, which announce nothing, so nothing is echoed back to the browser;
// such a cookie must carry its domain and path (as the browser reports them), since it
// is stored as it is.
// cookies() is the whole content, for filling a freshly created browser profile.
class PersistentCookieJar : public QNetworkCookieJar
{
    Q_OBJECT
public:
    // An empty file name keeps everything in memory only.
    explicit PersistentCookieJar(const QString& cookieFile, QObject* parent = nullptr);
    ~PersistentCookieJar() override;

    QList<QNetworkCookie> cookies() const;
    bool insertCookieQuietly(const QNetworkCookie& cookie);
    bool deleteCookieQuietly(const QNetworkCookie& cookie);

    bool insertCookie(const QNetworkCookie& cookie) override;
    bool deleteCookie(const QNetworkCookie& cookie) override;

    // Writes the persistent cookies now; changes are also written shortly after they
    // happen and on destruction. False when the file cannot be written.
    bool save();
    const QString& fileName() const
    {
        return m_file;
    }

signals:
    void cookieAdded(const QNetworkCookie& cookie);
    void cookieRemoved(const QNetworkCookie& cookie);

private:
    void load();
    void changed();

    QString m_file;
    QTimer m_saveTimer;
    bool m_quiet = false;
    bool m_dirty = false;
};
