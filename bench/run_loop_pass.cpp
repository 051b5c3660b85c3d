// Cost of one pass of the run loop when no plan is due, over growing numbers of plans,
// and whether it grows with the nodes already served today.
#include "common/app_state.h"
#include "common/portal_hosts.h"
#include "engine/listing_refresher.h"
#include "engine/run_loop.h"
#include "http/http_client.h"
#include "plans/plan_store.h"
#include "support/fake_clock.h"
#include "support/fake_engine_view.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>

namespace {

// Every half hour of the day: 48 nodes.
QString halfHourNodes()
{
    QStringList nodes;
    for (int m = 0; m < 24 * 60; m += 30)
        nodes.append(QStringLiteral("%1:%2").arg(m / 60, 2, 10, QLatin1Char('0')).arg(m % 60, 2, 10, QLatin1Char('0')));
    return nodes.join(u',');
}

struct Figures
{
    double medianMs;
    double p90Ms;
};

// Runs passes with the clock standing at `at` and returns the time between passes.
Figures measurePasses(RefreshRunLoop& loop, FakeClock& clock, const QDateTime& at, int passes)
{
    QList<qint64> samples;
    QElapsedTimer timer;
    int seen = 0;
    clock.set(at);
    clock.setOnWait([&] {
        // Hold the minute still so every pass sees the same (not due) node.
        clock.set(at);
        if (seen > 0)
            samples.append(timer.nsecsElapsed());
        ++seen;
        if (seen > passes)
            loop.Stop();
        timer.start();
    });
    loop.RunRefreshLoop();
    clock.setOnWait({});
    std::sort(samples.begin(), samples.end());
    return { samples.at(samples.size() / 2) / 1e6, samples.at(samples.size() * 9 / 10) / 1e6 };
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::printf("run loop pass with no due node (plans of 48 nodes, 20 IDs each)\n");
    std::printf("%8s  %-34s %10s %10s %12s\n", "plans", "case", "median ms", "p90 ms", "served keys");
    const QString nodes = halfHourNodes();
    for (int count : { 10, 100, 1000, 10000 }) {
        TempDataDir dir;
        FakeClock clock(QDateTime(QDate(2026, 12, 11), QTime(0, 0)));
        AppState state;
        PlanStore store(clock);
        store.OpenPlanStore(dir.databasePath());
        FakeEngineView view;
        FakeMessagePresenter messages;
        PortalHosts hosts;
        HttpClient http;
        ListingRefresher refresher(state, http, store, view, messages, hosts);
        RefreshRunLoop loop(state, clock, store, view, refresher);

        QStringList ids;
        for (int i = 0; i < 20; ++i)
            ids.append(QString::number(50000000 + i));
        for (int i = 0; i < count; ++i) {
            RefreshPlan p;
            p.nick = QStringLiteral("方案%1").arg(i);
            p.id = ids.join(u',');
            p.times = nodes;
            p.sort = QStringLiteral("2");
            p.num = QStringLiteral("5");
            p.sort1 = QStringLiteral("1");
            store.InsertPlan(p);
            view.addRow(p.nick);
        }
        const QDate day(2026, 12, 11);
        const int passes = count >= 10000 ? 40 : 200;

        // Early in the day, nothing served yet; 08:10 is no node.
        Figures f = measurePasses(loop, clock, QDateTime(day, QTime(8, 10)), passes);
        std::printf("%8d  %-34s %10.3f %10.3f %12lld\n", count, "08:10, nothing served", f.medianMs, f.p90Ms,
            qlonglong(state.FiredNodeLog.size()));

        // Every plan served at each of its 45 nodes up to 22:00.
        const QString dayText = QStringLiteral("2026年12月11日");
        for (int i = 0; i < count; ++i) {
            for (int m = 0; m <= 22 * 60; m += 30) {
                const QString node
                    = QStringLiteral("%1:%2").arg(m / 60, 2, 10, QLatin1Char('0')).arg(m % 60, 2, 10, QLatin1Char('0'));
                state.FiredNodeLog.add(dayText, dayText + QStringLiteral("方案%1").arg(i) + node);
            }
        }
        f = measurePasses(loop, clock, QDateTime(day, QTime(22, 10)), passes);
        std::printf("%8d  %-34s %10.3f %10.3f %12lld\n", count, "22:10, 45 nodes served per plan", f.medianMs, f.p90Ms,
            qlonglong(state.FiredNodeLog.size()));

        // The minute of a node every plan has already been served at.
        f = measurePasses(loop, clock, QDateTime(day, QTime(22, 0, 30)), passes);
        std::printf("%8d  %-34s %10.3f %10.3f %12lld\n", count, "22:00, node already served", f.medianMs, f.p90Ms,
            qlonglong(state.FiredNodeLog.size()));
    }
    std::printf("target: median <= 5 ms at 1,000 plans\n");
    return 0;
}
