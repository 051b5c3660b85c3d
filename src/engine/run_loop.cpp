#include "engine/run_loop.h"

#include "common/app_state.h"
#include "common/clock.h"
#include "common/pumped_delay.h"
#include "common/text_helpers.h"
#include "engine/engine_view.h"
#include "engine/listing_refresher.h"
#include "plans/plan_store.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

const QString kRefreshed = QStringLiteral("刷新成功");

// A count box holding 999999999 must not build a batch that exhausts memory; no real
// plan comes near this.
constexpr qint64 kMaxBatchPieces = 100000;

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString SelectBatch(const RefreshPlan& plan)
{
    if (plan.sort == u"1")
        return plan.id;
    if (plan.sort != u"2")
        return {};
    const QStringList pieces = SplitListingIds(plan.id);
    if (pieces.isEmpty())
        return {};
    const qint64 n = qMin<qint64>(NumberFromText(plan.num), kMaxBatchPieces);

    QStringList batch;
    if (!plan.progress.isEmpty()) {
        bool started = false;
        for (const QString& piece : pieces) {
            if (piece == plan.progress) {
                started = true;
                continue;
            }
            if (!started)
                continue;
            batch.append(piece);
            if (batch.size() >= n)
                break;
        }
    }
    // Positions past the end of the list take the first piece.
    const qint64 need = batch.isEmpty() ? n : n - batch.size();
    for (qint64 pos = 0; pos < need; ++pos)
        batch.append(pos < pieces.size() ? pieces.at(pos) : pieces.first());
    return batch.join(u',');
}

RefreshRunLoop::RefreshRunLoop(
    AppState& state, Clock& clock, PlanStore& store, EngineView& view, ListingRefresher& refresher)
    : m_state(state)
    , m_clock(clock)
    , m_store(store)
    , m_view(view)
    , m_refresher(refresher)
{ }

void RefreshRunLoop::Stop()
{
    m_state.RunFlag = 0;
}

void RefreshRunLoop::abandon()
{
    m_abandoned = true;
    m_state.RunFlag = 0;
}

void RefreshRunLoop::AppendLogLine(const QString& text)
{
    if (m_abandoned)
        return;
    const QTime t = m_clock.now().time();
    m_view.appendLogText(twoDigits(t.hour()) + u':' + twoDigits(t.minute()) + u':' + twoDigits(t.second())
        + QStringLiteral("  ") + text + QStringLiteral("\r\n"));
}

void RefreshRunLoop::updateNodeText()
{
    const QDateTime now = m_clock.now();
    const QDate date = now.date();
    const QTime time = now.time();
    const int minuteOfDay = time.hour() * 60 + time.minute();
    if (date == m_nodeDate && minuteOfDay == m_nodeMinuteOfDay)
        return;
    m_nodeDate = date;
    m_nodeMinuteOfDay = minuteOfDay;
    m_dayText = DateText(date);
    m_node = twoDigits(time.hour()) + u':' + twoDigits(time.minute());
    ++m_nodeStamp;
}

bool RefreshRunLoop::markIfDue(const QString& nick, bool hasNode)
{
    // The node test comes first: it is the one that fails for almost every plan, and
    // the served-node lookup needs a key built.
    if (!hasNode)
        return false;
    const QString key = m_dayText + nick + m_node;
    if (m_state.FiredNodeLog.contains(key))
        return false;
    m_state.FiredNodeLog.add(m_dayText, key);
    return true;
}

bool RefreshRunLoop::MatchTimeNode(const RefreshPlan& plan)
{
    updateNodeText();
    return markIfDue(plan.nick, plan.times.contains(m_node));
}

bool RefreshRunLoop::matchCached(CachedPlan& entry)
{
    updateNodeText();
    if (entry.nodeStamp != m_nodeStamp) {
        entry.hasNode = entry.plan.times.contains(m_node);
        entry.nodeStamp = m_nodeStamp;
    }
    if (!entry.hasNode || entry.servedStamp == m_nodeStamp)
        return false;
    entry.servedStamp = m_nodeStamp;
    return markIfDue(entry.plan.nick, true);
}

void RefreshRunLoop::refreshPlanCache()
{
    const qint64 version = m_store.changeCounter();
    if (m_plansLoaded && version == m_plansVersion)
        return;
    m_plans.clear();
    const QList<RefreshPlan> plans = m_store.ListPlans();
    for (const RefreshPlan& plan : plans) {
        // LoadPlan finds the first row of a name and treats a nameless row as missing.
        if (plan.nick.isEmpty() || m_plans.contains(plan.nick))
            continue;
        m_plans.insert(plan.nick, CachedPlan { plan });
    }
    m_plansVersion = version;
    m_plansLoaded = true;
}

RefreshRunLoop::CachedPlan* RefreshRunLoop::cachedPlan(const QString& nick)
{
    // LoadPlan refuses a name with a single quote; it can never be found.
    if (nick.isEmpty() || nick.contains(u'\''))
        return nullptr;
    const auto it = m_plans.find(nick);
    return it == m_plans.end() ? nullptr : &it.value();
}

void RefreshRunLoop::countSuccessQuietly(const QString& nick)
{
    m_store.IncrementDailyTotal();
    m_store.IncrementPlanToday(nick);
}

void RefreshRunLoop::servePlan(const QString& rowName, const RefreshPlan& plan)
{
    const QString& nick = plan.nick;
    AppendLogLine(nick + QStringLiteral(" 符合时间节点"));
    const QString batch = SelectBatch(plan);
    if (batch.isEmpty()) {
        AppendLogLine(nick + QStringLiteral(" 未取到需要刷新的id"));
        return;
    }
    AppendLogLine(nick + QStringLiteral(" 正在刷新"));

    const QStringList pieces = SplitListingIds(batch);
    QString lastTried;
    for (const QString& id : pieces) {
        lastTried = id;
        QString result = m_refresher.RefreshListing(id);
        if (result != kRefreshed && !m_abandoned) {
            PumpedDelay(m_clock, 1, 1);
            if (!m_abandoned)
                result = m_refresher.RefreshListing(id);
        }
        if (m_abandoned) {
            // The window is gone, but a refresh the portal confirmed still counts.
            if (result == kRefreshed)
                countSuccessQuietly(rowName);
            break;
        }
        if (result == kRefreshed) {
            AppendLogLine(nick + u' ' + id + QStringLiteral("  成功"));
            m_refresher.RecordRefreshSuccess(rowName);
        } else {
            AppendLogLine(nick + u' ' + id + QStringLiteral("  ") + result);
        }
    }
    // The text after the last "," (the whole batch without one); when closing cut the
    // batch short, the last listing actually tried, so the rotation skips nothing.
    m_store.SavePlanProgress(nick, m_abandoned ? lastTried : batch.mid(batch.lastIndexOf(u',') + 1));
}

void RefreshRunLoop::RunRefreshLoop()
{
    if (m_running || m_abandoned)
        return;
    m_running = true;
    m_view.setStartEnabled(false);
    // One round of events so the disabled button is drawn before the first pass.
    QCoreApplication::processEvents();
    m_state.RunFlag = 1;

    while (m_state.RunFlag == 1 && !m_abandoned) {
        const int rows = m_view.planRowCount();
        const QTime t = m_clock.now().time();
        m_view.setStatusPanel(1, QStringLiteral("任务执行中 ") + HmsText(t.hour(), t.minute(), t.second()));
        refreshPlanCache();
        for (int row = 0; row < rows; ++row) {
            const QString name = m_view.planRowName(row);
            CachedPlan* entry = cachedPlan(name);
            if (entry && matchCached(*entry)) {
                const RefreshPlan plan = entry->plan;
                servePlan(name, plan);
                // Serving let other handlers run and wrote progress and counts.
                if (!m_abandoned)
                    refreshPlanCache();
            }
            if (m_state.RunFlag == 0 || m_abandoned)
                break;
        }
        if (m_abandoned)
            break;
        PumpedDelay(m_clock, 200);
    }

    if (!m_abandoned) {
        m_view.setStartEnabled(true);
        m_view.setStatusPanel(1, QStringLiteral("任务已经停止"));
    }
    m_running = false;
}
