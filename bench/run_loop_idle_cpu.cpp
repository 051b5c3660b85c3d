// CPU time the running loop takes while no plan is due: 1,000 plans, the real clock,
// a few seconds of real running.
#include "common/app_state.h"
#include "common/clock.h"
#include "common/portal_hosts.h"
#include "engine/listing_refresher.h"
#include "engine/run_loop.h"
#include "http/http_client.h"
#include "plans/plan_store.h"
#include "support/fake_engine_view.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int plans = 1000;
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5;

    TempDataDir dir;
    SystemClock clock;
    AppState state;
    PlanStore store(clock);
    store.OpenPlanStore(dir.databasePath());
    FakeEngineView view;
    FakeMessagePresenter messages;
    PortalHosts hosts;
    HttpClient http;
    ListingRefresher refresher(state, http, store, view, messages, hosts);
    RefreshRunLoop loop(state, clock, store, view, refresher);

    // Nodes past the day: never due, whatever the real time is.
    QStringList nodes;
    for (int m = 0; m < 24 * 60; m += 30)
        nodes.append(QStringLiteral("%1:%2").arg(24 + m / 60).arg(m % 60, 2, 10, QLatin1Char('0')));
    for (int i = 0; i < plans; ++i) {
        RefreshPlan p;
        p.nick = QStringLiteral("方案%1").arg(i);
        p.id = QStringLiteral("50000001,50000002,50000003");
        p.times = nodes.join(u',');
        p.sort = QStringLiteral("1");
        p.sort1 = QStringLiteral("1");
        store.InsertPlan(p);
        view.addRow(p.nick);
    }

    double cpuStart = 0;
    double cpu = 0;
    double elapsed = 0;
    QElapsedTimer wall;
    // Measure from one second in, so loading the plans is not counted.
    QTimer::singleShot(1000, [&] {
        cpuStart = processCpuSeconds();
        wall.start();
    });
    QTimer::singleShot(1000 + seconds * 1000, [&] {
        cpu = processCpuSeconds() - cpuStart;
        elapsed = wall.elapsed() / 1000.0;
        loop.Stop();
    });
    QTimer::singleShot(0, [&] { loop.RunRefreshLoop(); });
    QTimer::singleShot(2000 + seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();

    std::printf("idle run loop, %d plans, SystemClock, %.1f s of running\n", plans, elapsed);
    std::printf("process CPU %.3f s = %.2f %% of one core (target <= 3 %%)\n", cpu, 100.0 * cpu / elapsed);
    return 0;
}
