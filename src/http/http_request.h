#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class HttpClient;

// The optional parameters of HttpRequest. Outputs are written only when a pointer is given.
struct HttpOptions
{
    int method = 0; // 1 = POST, anything else GET
    QString proxy; // http proxy "host:port"; empty = direct
    QString extraHeaders; // header lines, each ending in CR LF
    QByteArray body; // sent with POST only
    QString cookies; // explicit Cookie text; non-empty bypasses the shared store
    std::optional<int> timeoutSeconds; // not given = 60 s; a given 0 ends at the first wake-up
    QString* responseHeaders = nullptr; // raw header block, CR LF line ends
    int conversion = 0; // 1 UTF-8 -> GBK, 2 Big5 -> GBK simplified
    QString* responseCookies = nullptr; // "name=value;" per Set-Cookie
    bool followRedirects = true;
};

// One HTTP exchange, waited for on the calling thread while its events keep being handled.
// Returns the body bytes, the GBK time-out text at the limit, or empty bytes.
//
// The URL gets "http://" in front unless it starts with "http://" or "https://"; an
// empty or all-space URL sends nothing. At the limit the exchange is aborted and its
// late answer is never read. Another handler may start a second request during the
// wait; each call returns its own answer.
QByteArray HttpRequest(HttpClient& client, const QString& url, const HttpOptions& options = {});

// What a request returns at its limit (GBK): it names the time-out parameter "超时返回".
QByteArray HttpTimeoutText();
