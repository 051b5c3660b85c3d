#include "plans/time_nodes.h"

#include "common/text_helpers.h"

namespace {

// A typed hour such as 99999999 would otherwise build a text of billions of nodes and
// exhaust memory; nodes past the day never match the clock anyway. This is 69 days of
// one-minute steps.
constexpr qint64 kMaxCandidates = 100000;

QString twoDigits(qint64 value)
{
    QString text = QString::number(value);
    if (text.size() == 1)
        text.prepend(u'0');
    return text;
}

qint64 itemCount(const QString& list)
{
    return CountSeparators(list, QStringLiteral(",")) + (list.isEmpty() ? 0 : 1);
}

} // namespace

QString GenerateTimeNodes(qint64 start, qint64 end, qint64 interval, qint64 filter)
{
    const qint64 n = filter < 0 ? -filter : filter;
    QString result;
    if (interval < 1)
        return result;
    qint64 t = start;
    for (qint64 candidates = 0; candidates < kMaxCandidates; ++candidates) {
        const qint64 hour = t / 60;
        const qint64 minute = t - 60 * hour;
        const QString minuteText = twoDigits(minute);
        if (n == 0 || minute % n != 0) {
            if (!result.isEmpty())
                result += u',';
            result += twoDigits(hour) + u':' + minuteText;
        }
        t += interval;
        if (t > end)
            break;
    }
    return result;
}

qint64 CountPlannedRefreshes(const QString& times, const QString& ids, qint64 perNode, int mode)
{
    const qint64 nodes = itemCount(times);
    if (mode == 1)
        return nodes * itemCount(ids);
    if (mode == 2)
        return nodes * perNode;
    return -1;
}

TimeNodeGeneration GenerateTimeNodesFromInputs(const QString& startHour, const QString& startMinute,
    const QString& endHour, const QString& endMinute, const QString& interval, const QString& filter)
{
    const qint64 start = qint64(NumberFromText(startHour)) * 60 + NumberFromText(startMinute);
    const qint64 end = qint64(NumberFromText(endHour)) * 60 + NumberFromText(endMinute);
    if (start >= end)
        return { {}, QStringLiteral("请正确填写开始时间和结束时间") };
    const qint64 step = NumberFromText(interval);
    if (step < 1)
        return { {}, QStringLiteral("间隔时间不能小于1分钟") };
    return { GenerateTimeNodes(start, end, step, NumberFromText(filter)), {} };
}

QString PlannedRefreshesText(const QString& times, const QString& ids, const QString& perNodeText, int mode)
{
    return QStringLiteral("共需刷新 ")
        + QString::number(CountPlannedRefreshes(times, ids, NumberFromText(perNodeText), mode)) + QStringLiteral(" 次");
}
