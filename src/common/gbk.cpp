#include "common/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

// Qt 6.4 only knows GBK through ICU and only when the codec is constructed by name.
QByteArray ToGbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QString FromGbk(const QByteArray& bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(bytes);
}

qsizetype GbkByteLength(const QString& text)
{
    return ToGbk(text).size();
}
