#pragma once

#include <QString>

// One row of table data: a named refresh plan. Every field is text; a NULL reads empty.
struct RefreshPlan
{
    QString nick;     // plan name, the key of every statement
    QString id;       // listing IDs joined by ","
    QString times;    // time nodes HH:MM joined by ","
    QString sort;     // "1" every listing at each node, "2" batch rotation
    QString num;      // listings per node in batch rotation, as typed
    QString interval; // always empty: the editor does not keep its interval
    QString progress; // last listing ID of the latest batch
    QString sort1;    // "1" sale, "2" rent
    QString numall;   // planned refreshes per day
    QString today;    // successes on day date1
    QString date1;    // the day that today counts

    bool operator==(const RefreshPlan&) const = default;
};
