#pragma once

#include "http/persistent_cookie_jar.h"

#include <QHash>
#include <QObject>
#include <QString>

class QNetworkAccessManager;

// The program's one network access manager and its cookie store, shared by every
// HttpRequest and kept in step with the embedded browser (see PersistentCookieJar for
// the signals and the quiet insertion that the browser side uses). Persistent cookies
// are saved in cookieFile (under data/) and loaded again at the next start.
class HttpClient : public QObject
{
    Q_OBJECT
public:
    explicit HttpClient(const QString& cookieFile = {}, QObject* parent = nullptr);
    ~HttpClient() override;

    QNetworkAccessManager& manager();
    PersistentCookieJar& cookieJar();
    // Writes the persistent cookies now (also done shortly after every change and on
    // destruction).
    void saveCookies();

    // The manager for requests through an http proxy "host:port" (an empty proxy gives
    // manager()). Each proxy gets its own manager, sharing the one cookie jar.
    QNetworkAccessManager& managerForProxy(const QString& proxy);

private:
    PersistentCookieJar* m_jar;
    QNetworkAccessManager* m_manager;
    QHash<QString, QNetworkAccessManager*> m_proxyManagers;
};
