#pragma once

#include "plans/refresh_plan.h"

#include <QDate>
#include <QHash>
#include <QString>

struct AppState;
class Clock;
class EngineView;
class ListingRefresher;
class PlanStore;

// The listings to refresh at a node: every ID in mode "1"; in mode "2" the next `num`
// IDs after `progress`, wrapping to the start; empty for any other mode.
QString SelectBatch(const RefreshPlan& plan);

// "开始操作" and "停止": walks the plans of the main window's list over and over and
// serves each plan once at each of its time nodes of the day.
class RefreshRunLoop
{
public:
    RefreshRunLoop(AppState& state, Clock& clock, PlanStore& store, EngineView& view, ListingRefresher& refresher);
    RefreshRunLoop(const RefreshRunLoop&) = delete;
    RefreshRunLoop& operator=(const RefreshRunLoop&) = delete;

    // Runs on the UI thread until RunFlag drops to 0; events are handled whenever it waits.
    void RunRefreshLoop();
    void Stop();
    // True when the plan has a node at the current minute not yet served today; the
    // node is then recorded as served before anything is refreshed.
    bool MatchTimeNode(const RefreshPlan& plan);
    // "HH:MM:SS", two blanks, the text, CR LF at the end of the operation log.
    void AppendLogLine(const QString& text);

    bool isRunning() const
    {
        return m_running;
    }
    // The main window is going away: from now on the loop leaves the view alone, sends
    // no further request and returns as soon as the request under way has come back.
    void abandon();
    bool isAbandoned() const
    {
        return m_abandoned;
    }

private:
    struct CachedPlan
    {
        RefreshPlan plan;
        // Whether times holds the current node text, worked out once per minute:
        // valid while nodeStamp equals m_nodeStamp.
        qint64 nodeStamp = -1;
        bool hasNode = false;
        // Served at the current node: set once the served-node log has been consulted,
        // so later passes in the same minute skip the lookup.
        qint64 servedStamp = -1;
    };

    CachedPlan* cachedPlan(const QString& nick);
    void refreshPlanCache();
    void updateNodeText();
    bool matchCached(CachedPlan& entry);
    bool markIfDue(const QString& nick, bool hasNode);
    void servePlan(const QString& rowName, const RefreshPlan& plan);
    void countSuccessQuietly(const QString& nick);

    AppState& m_state;
    Clock& m_clock;
    PlanStore& m_store;
    EngineView& m_view;
    ListingRefresher& m_refresher;

    bool m_running = false;
    bool m_abandoned = false;

    // LoadPlan of every row on every pass would cost one query per plan; the plans are
    // read again only when the store reports a change.
    QHash<QString, CachedPlan> m_plans;
    qint64 m_plansVersion = -1;
    bool m_plansLoaded = false;

    // Day text and node text of the minute last looked at.
    QDate m_nodeDate;
    int m_nodeMinuteOfDay = -1;
    QString m_dayText;
    QString m_node;
    qint64 m_nodeStamp = 0;
};
