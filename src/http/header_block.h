#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The User-Agent sent when the extra headers name none.
QString DefaultUserAgent();

// The agent of a request: the extra headers' own "User-Agent:" value when they carry
// one, else DefaultUserAgent().
QString RequestUserAgent(const QString& extraHeaders);

// The header block of a request, CR LF line ends: the caller's extra headers first, then
// the defaults each one missing (Accept, Referer = the URL itself unless "RefererNo"
// asks for none, Accept-Language; for a POST with a body Content-Type and
// Content-Length), then the explicit Cookie line.
QString BuildHeaderBlock(
    const QString& extraHeaders, const QString& url, bool post, const QByteArray& body, const QString& cookies);

// The header lines of a block as name/value pairs, in order. Lines without a name
// (blank lines, text without ":") carry no header and are skipped.
QList<QPair<QByteArray, QByteArray>> HeaderLines(const QString& block);
