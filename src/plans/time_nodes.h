#pragma once

#include <QString>

// Time nodes of a plan: "HH:MM" joined by ",", generated from a span of the day.

// Nodes start, start + interval, ... up to end (minutes since midnight). A node whose
// minute is a multiple of filter is left out (0 means no filter, a negative filter
// counts as its absolute value). May be empty.
QString GenerateTimeNodes(qint64 start, qint64 end, qint64 interval, qint64 filter);

// Listing refreshes per day: nodes × IDs in mode 1, nodes × perNode in mode 2, -1 for
// any other mode. Items are counted by their "," separators, so an empty item and a
// trailing "," each count as one.
qint64 CountPlannedRefreshes(const QString& times, const QString& ids, qint64 perNode, int mode);

// The "生成时间节点" button: the box texts as typed. Either nodes is the new content of
// the time-node box, or message is what to show and the box stays as it is.
struct TimeNodeGeneration
{
    QString nodes;
    QString message;
};
TimeNodeGeneration GenerateTimeNodesFromInputs(const QString& startHour, const QString& startMinute,
    const QString& endHour, const QString& endMinute, const QString& interval, const QString& filter);

// The "查看刷新次数" button: "共需刷新 N 次" for the editor's texts as they stand.
QString PlannedRefreshesText(const QString& times, const QString& ids, const QString& perNodeText, int mode);
