#pragma once

#include <QString>

// The host of a URL: every "https://" and then every "http://" removed, cut before the
// first "/" and then before the first ":", lower-cased.
QString UrlHost(const QString& url);

// From the first "/" at or after the host to the end; "/" when there is none.
QString UrlPathAndQuery(const QString& url);

// The port named in the authority, else 80 for http:// (and anything else) and 443 for
// https://. A port that is not a valid number counts as not named.
int UrlPort(const QString& url);

// The text before the first delimiter; empty when the delimiter does not occur.
QString TextBeforeFirst(const QString& text, const QString& delimiter);
