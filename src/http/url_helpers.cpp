#include "http/url_helpers.h"

#include "common/text_helpers.h"

namespace {

QString cutBefore(const QString& text, QChar c)
{
    const qsizetype at = text.indexOf(c);
    return at < 0 ? text : text.left(at);
}

} // namespace

QString UrlHost(const QString& url)
{
    QString host = url;
    host.remove(QStringLiteral("https://"));
    host.remove(QStringLiteral("http://"));
    host = cutBefore(host, u'/');
    host = cutBefore(host, u':');
    return host.toLower();
}

QString UrlPathAndQuery(const QString& url)
{
    const QString host = UrlHost(url);
    const qsizetype hostAt = url.indexOf(host, 0, Qt::CaseInsensitive);
    const qsizetype slash = url.indexOf(u'/', hostAt < 0 ? 0 : hostAt);
    return slash < 0 ? QStringLiteral("/") : url.mid(slash);
}

int UrlPort(const QString& url)
{
    qsizetype authorityStart = 0;
    int defaultPort = 80;
    if (url.startsWith(QStringLiteral("http://"))) {
        authorityStart = 7;
    } else if (url.startsWith(QStringLiteral("https://"))) {
        authorityStart = 8;
        defaultPort = 443;
    } else {
        return 80;
    }
    const QString authority = cutBefore(url.mid(authorityStart), u'/');
    const qsizetype colon = authority.indexOf(u':');
    if (colon < 0)
        return defaultPort;
    const int port = NumberFromText(authority.mid(colon + 1));
    return port > 0 && port <= 65535 ? port : defaultPort;
}

QString TextBeforeFirst(const QString& text, const QString& delimiter)
{
    const qsizetype at = text.indexOf(delimiter);
    return at < 0 ? QString() : text.left(at);
}
