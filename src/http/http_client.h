#pragma once

#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkCookieJar;

// The program's one network access manager and its cookie store, shared by every
// HttpRequest and kept in step with the embedded browser. Persistent cookies are saved
// in cookieFile (under data/) and loaded again at the next start.
class HttpClient : public QObject
{
    Q_OBJECT
public:
    explicit HttpClient(const QString& cookieFile = {}, QObject* parent = nullptr);
    ~HttpClient() override;

    QNetworkAccessManager& manager();
    QNetworkCookieJar& cookieJar();
    // Writes the persistent cookies now (also done on destruction).
    void saveCookies();
};
