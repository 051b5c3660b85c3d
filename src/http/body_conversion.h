#pragma once

#include <QByteArray>

// The two conversions a caller can ask of a response body; both yield GBK bytes.
QByteArray Utf8ToGbk(const QByteArray& utf8);
// Big5 to GBK, traditional characters mapped to simplified ones (OpenCC's t2s, which
// also gets words such as 乾隆 right).
QByteArray Big5ToSimplifiedGbk(const QByteArray& big5);
