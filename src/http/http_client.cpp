#include "http/http_client.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>

namespace {

QNetworkAccessManager* newManager(PersistentCookieJar* jar, const QNetworkProxy& proxy, QObject* owner)
{
    auto* manager = new QNetworkAccessManager(owner);
    manager->setCookieJar(jar);
    // setCookieJar adopts the jar; the client keeps it so several managers can share it.
    jar->setParent(owner);
    manager->setProxy(proxy);
    return manager;
}

} // namespace

HttpClient::HttpClient(const QString& cookieFile, QObject* parent)
    : QObject(parent)
    , m_jar(new PersistentCookieJar(cookieFile, this))
    // A direct connection unless a request names a proxy: the environment's proxy
    // settings are not the program's.
    , m_manager(newManager(m_jar, QNetworkProxy(QNetworkProxy::NoProxy), this))
{ }

HttpClient::~HttpClient()
{
    qDeleteAll(m_proxyManagers);
    delete m_manager;
    m_jar->save();
}

QNetworkAccessManager& HttpClient::manager()
{
    return *m_manager;
}

PersistentCookieJar& HttpClient::cookieJar()
{
    return *m_jar;
}

void HttpClient::saveCookies()
{
    m_jar->save();
}

QNetworkAccessManager& HttpClient::managerForProxy(const QString& proxy)
{
    QString spec = proxy.trimmed();
    if (spec.isEmpty())
        return *m_manager;
    if (auto it = m_proxyManagers.constFind(spec); it != m_proxyManagers.constEnd())
        return **it;
    QString hostPort = spec;
    if (hostPort.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive))
        hostPort = hostPort.mid(7);
    hostPort = hostPort.section(u'/', 0, 0);
    QString host = hostPort;
    quint16 port = 80;
    const qsizetype colon = hostPort.lastIndexOf(u':');
    if (colon > 0) {
        bool ok = false;
        const uint number = hostPort.mid(colon + 1).toUInt(&ok);
        host = hostPort.left(colon);
        if (ok && number > 0 && number <= 65535)
            port = quint16(number);
    }
    QNetworkAccessManager* manager = newManager(m_jar, QNetworkProxy(QNetworkProxy::HttpProxy, host, port), this);
    m_proxyManagers.insert(spec, manager);
    return *manager;
}
