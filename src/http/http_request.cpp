#include "http/http_request.h"

#include "common/gbk.h"
#include "common/text_helpers.h"
#include "http/body_conversion.h"
#include "http/header_block.h"
#include "http/http_client.h"
#include "http/url_helpers.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <limits>

namespace {

// The object goes out as the program's own (GBK) bytes; only what cannot stand in a
// request line is escaped, existing escapes stay as written.
QByteArray encodeObject(const QString& object)
{
    const QByteArray raw = ToGbk(object);
    QByteArray out;
    out.reserve(raw.size());
    static const char hex[] = "0123456789ABCDEF";
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

// Status line and every header line, CR LF after each; a header that came several
// times (Set-Cookie) gives one line per value.
QString rawHeaderBlock(const QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    QString block = QStringLiteral("HTTP/1.1 ") + QString::number(status);
    if (!reason.isEmpty())
        block += u' ' + reason;
    block += QStringLiteral("\r\n");
    const QList<QNetworkReply::RawHeaderPair>& pairs = reply.rawHeaderPairs();
    for (const auto& [name, value] : pairs) {
        const QList<QByteArray> values = value.split('\n');
        for (const QByteArray& one : values)
            block += QString::fromLatin1(name) + QStringLiteral(": ") + FromGbk(one) + QStringLiteral("\r\n");
    }
    block += QStringLiteral("\r\n");
    return block;
}

QString collectCookies(const QString& headerBlock, QList<QByteArray>* setCookieValues)
{
    QString collected;
    if (!headerBlock.contains(QStringLiteral("Set-Cookie: "), Qt::CaseInsensitive))
        return collected;
    const QStringList lines = headerBlock.split(QStringLiteral("\r\n"));
    for (const QString& line : lines) {
        if (!line.contains(QStringLiteral("Set-Cookie: "), Qt::CaseInsensitive))
            continue;
        const QString cookie = line.mid(12);
        // A cookie without attributes has no ";": it is still a cookie.
        const QString pair = cookie.contains(u';') ? TextBeforeFirst(cookie, QStringLiteral(";")) : cookie;
        collected += pair + u';';
        setCookieValues->append(ToGbk(cookie));
    }
    return collected;
}

int limitMilliseconds(const std::optional<int>& timeoutSeconds)
{
    if (!timeoutSeconds)
        return 60000;
    const qint64 ms = qint64(*timeoutSeconds) * 1000;
    return int(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max()));
}

void clearOutputs(const HttpOptions& options)
{
    if (options.responseHeaders)
        options.responseHeaders->clear();
    if (options.responseCookies)
        options.responseCookies->clear();
}

} // namespace

QByteArray HttpTimeoutText()
{
    return ToGbk(QStringLiteral(
        "超时返回，指定网站不能访问，或者你的网络出现问题，你可以把参数中的＂超时返回＂的值设置长一些。"));
}

QByteArray HttpRequest(HttpClient& client, const QString& givenUrl, const HttpOptions& options)
{
    if (TrimSpaces(givenUrl).isEmpty())
        return {};
    QString url = givenUrl;
    if (!url.startsWith(QStringLiteral("http://")) && !url.startsWith(QStringLiteral("https://")))
        url.prepend(QStringLiteral("http://"));

    const bool post = options.method == 1;
    const bool secure = url.startsWith(QStringLiteral("https://"));
    const QString host = UrlHost(url);
    const QByteArray target = (secure ? QByteArrayLiteral("https://") : QByteArrayLiteral("http://")) + host.toUtf8()
        + ':' + QByteArray::number(UrlPort(url)) + encodeObject(UrlPathAndQuery(url));
    const QUrl requestUrl = QUrl::fromEncoded(target, QUrl::TolerantMode);
    if (host.isEmpty() || !requestUrl.isValid()) {
        clearOutputs(options);
        return {};
    }

    QNetworkRequest request(requestUrl);
    request.setHeader(QNetworkRequest::UserAgentHeader, RequestUserAgent(options.extraHeaders));
    const QString block = BuildHeaderBlock(options.extraHeaders, url, post, options.body, options.cookies);
    const QList<QPair<QByteArray, QByteArray>> lines = HeaderLines(block);
    for (const auto& [name, value] : lines) {
        // The length and the host always follow the request actually sent.
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0 || name.compare("Host", Qt::CaseInsensitive) == 0)
            continue;
        request.setRawHeader(name, value);
    }
    const bool explicitCookies = !TrimSpaces(options.cookies).isEmpty();
    if (explicitCookies) {
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
        options.followRedirects ? QNetworkRequest::NoLessSafeRedirectPolicy : QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    // The proxy is for http only, as the proxy list "http=" + proxy says.
    QNetworkAccessManager& manager = client.managerForProxy(secure ? QString() : options.proxy);
    const int limitMs = limitMilliseconds(options.timeoutSeconds);
    QElapsedTimer elapsed;
    elapsed.start();
    QPointer<QNetworkReply> reply = post ? manager.post(request, options.body) : manager.get(request);

    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    // A coarse timer may fire a little early; the limit is measured, not guessed.
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(reply.data(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    // Window events keep being handled; a handler may even start another request here.
    bool programEnding = false;
    while (reply && !reply->isFinished() && elapsed.elapsed() < limitMs) {
        limit.start(int(limitMs - elapsed.elapsed()));
        // Once the program is told to exit, every event loop returns at once (-1): waiting
        // on would only spin, so the request is given up.
        if (loop.exec() != 0) {
            programEnding = true;
            break;
        }
    }
    if (programEnding) {
        clearOutputs(options);
        if (reply) {
            QObject::disconnect(reply.data(), nullptr, &loop, nullptr);
            reply->abort();
            delete reply.data();
        }
        return {};
    }

    // Reaching the limit is a time-out even when the answer has just come in.
    const bool timedOut = elapsed.elapsed() >= limitMs;
    if (!reply)
        return timedOut ? HttpTimeoutText() : QByteArray();
    if (timedOut) {
        QObject::disconnect(reply.data(), nullptr, &loop, nullptr);
        reply->abort();
        delete reply.data();
        return HttpTimeoutText();
    }

    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    QByteArray body = reply->readAll();
    QString headers;
    QString cookies;
    if (answered) {
        headers = rawHeaderBlock(*reply);
        QList<QByteArray> setCookies;
        cookies = collectCookies(headers, &setCookies);
        // Requests with explicit cookies leave the store to us: the response's cookies
        // still go into it, for the request's host.
        if (explicitCookies) {
            const QUrl origin(QStringLiteral("http://") + host);
            for (const QByteArray& line : setCookies)
                client.cookieJar().setCookiesFromUrl(QNetworkCookie::parseCookies(line), origin);
        }
    }
    delete reply.data();

    if (options.responseHeaders)
        *options.responseHeaders = headers;
    if (options.responseCookies)
        *options.responseCookies = cookies;
    if (options.conversion == 1)
        return Utf8ToGbk(body);
    if (options.conversion == 2)
        return Big5ToSimplifiedGbk(body);
    return body;
}
