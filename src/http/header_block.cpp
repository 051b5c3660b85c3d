#include "http/header_block.h"

#include "common/gbk.h"
#include "common/text_helpers.h"

namespace {

bool has(const QString& block, QLatin1StringView word)
{
    return block.contains(word, Qt::CaseInsensitive);
}

} // namespace

QString DefaultUserAgent()
{
    return QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR "
                          "2.0.50727; .NET CLR 3.0.04506.648; .NET CLR 3.5.21022)");
}

QString RequestUserAgent(const QString& extraHeaders)
{
    if (!has(extraHeaders, QLatin1StringView("User-Agent:")))
        return DefaultUserAgent();
    return TrimSpaces(TextBetween(extraHeaders, QStringLiteral("User-Agent:"), QStringLiteral("\r\n")));
}

QString BuildHeaderBlock(
    const QString& extraHeaders, const QString& url, bool post, const QByteArray& body, const QString& cookies)
{
    QString block = extraHeaders;
    // "Accept-Language" alone counts as having "Accept": the search is a plain substring.
    if (!has(block, QLatin1StringView("Accept")))
        block += QStringLiteral("Accept: image/gif, image/bmp, image/x-xbitmap, image/jpeg, "
                                "image/pjpeg, application/x-shockwave-flash, "
                                "application/vnd.ms-excel, application/vnd.ms-powerpoint, "
                                "application/msword, */*\r\n");
    if (has(block, QLatin1StringView("RefererNo"))) {
        const qsizetype at = block.indexOf(QStringLiteral("RefererNo"));
        if (at >= 0)
            block.remove(at, 9);
    } else if (!has(block, QLatin1StringView("Referer"))) {
        block += QStringLiteral("Referer: ") + url + QStringLiteral("\r\n");
    }
    if (!has(block, QLatin1StringView("Accept-Language")))
        block += QStringLiteral("Accept-Language: zh-cn\r\n");
    if (post && !body.isEmpty()) {
        if (!has(block, QLatin1StringView("Content-Type")))
            block += QStringLiteral("Content-Type: application/x-www-form-urlencoded\r\n");
        if (!has(block, QLatin1StringView("Content-Length")))
            block += QStringLiteral("Content-Length: ") + QString::number(body.size()) + QStringLiteral("\r\n");
    }
    if (!cookies.isEmpty())
        block += QStringLiteral("Cookie: ") + cookies + QStringLiteral("\r\n\r\n");
    return block;
}

QList<QPair<QByteArray, QByteArray>> HeaderLines(const QString& block)
{
    QList<QPair<QByteArray, QByteArray>> lines;
    const QStringList rawLines = block.split(u'\n');
    for (const QString& raw : rawLines) {
        const QString line = raw.endsWith(u'\r') ? raw.chopped(1) : raw;
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        const QString name = line.left(colon).trimmed();
        if (name.isEmpty() || name.contains(u' '))
            continue;
        lines.append({ name.toLatin1(), ToGbk(line.mid(colon + 1).trimmed()) });
    }
    return lines;
}
