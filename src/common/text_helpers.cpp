#include "common/text_helpers.h"

#include "common/clock.h"

#include <limits>

namespace {

constexpr QChar kIdeographicSpace(0x3000);

bool isTrimmedSpace(QChar c)
{
    return c == u' ' || c == kIdeographicSpace;
}

QString expandQuoteMarker(const QString& marker)
{
    QString out = marker;
    out.replace(QStringLiteral("#引号"), QStringLiteral("\""));
    return out;
}

} // namespace

QString TrimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmedSpace(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmedSpace(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString TextBetween(const QString& text, const QString& startMarker, const QString& endMarker)
{
    const QString start = expandQuoteMarker(startMarker);
    const QString end = expandQuoteMarker(endMarker);
    const qsizetype s = text.indexOf(start, 0, Qt::CaseInsensitive);
    if (s < 0)
        return {};
    const qsizetype from = s + start.size();
    const qsizetype e = text.indexOf(end, from, Qt::CaseInsensitive);
    if (e < 0)
        return {};
    return text.mid(from, e - from);
}

int CountSeparators(const QString& text, const QString& separator)
{
    if (text.isEmpty() || separator.isEmpty())
        return 0;
    int count = 0;
    qsizetype pos = text.indexOf(separator, 0, Qt::CaseInsensitive);
    while (pos >= 0) {
        ++count;
        qsizetype next = pos + 1;
        // Never start a match inside a surrogate pair.
        if (next < text.size() && text.at(next).isLowSurrogate())
            ++next;
        pos = text.indexOf(separator, next, Qt::CaseInsensitive);
    }
    return count;
}

QStringList SplitListingIds(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList pieces = text.split(u',');
    if (text.endsWith(u','))
        pieces.removeLast();
    return pieces;
}

int NumberFromText(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == u' ' || text.at(i) == u'\t' || text.at(i) == u'\r' || text.at(i) == u'\n'))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    while (i < n && text.at(i) >= u'0' && text.at(i) <= u'9') {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > limit)
            value = limit;
        ++i;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

QString DateText(const QDate& date)
{
    return QString::number(date.year()) + u'年' + QString::number(date.month()) + u'月'
        + QString::number(date.day()) + u'日';
}

QString TodayDateText(const Clock& clock)
{
    return DateText(clock.now().date());
}

QString HmsText(qint64 hours, qint64 minutes, qint64 seconds)
{
    return QString::number(hours) + u'时' + QString::number(minutes) + u'分' + QString::number(seconds)
        + u'秒';
}
