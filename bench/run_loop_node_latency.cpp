// Latency from the start of a due minute to the portal receiving the first refresh
// request, with 1,000 plans in the store and the due plan last in the list. The clock
// is the real one shifted, so a new due minute can begin every second or so.
#include "common/app_state.h"
#include "common/clock.h"
#include "common/portal_hosts.h"
#include "engine/listing_refresher.h"
#include "engine/run_loop.h"
#include "http/http_client.h"
#include "plans/plan_store.h"
#include "portal_simulator.h"
#include "support/fake_engine_view.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QApplication>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Steady = std::chrono::steady_clock;

// The system clock moved by an offset that the benchmark sets.
class ShiftedClock final : public Clock
{
public:
    QDateTime now() const override
    {
        return QDateTime::currentDateTime().addMSecs(offsetMs.load());
    }
    void pumpedWait(int ms) override
    {
        m_real.pumpedWait(ms);
    }
    std::atomic<qint64> offsetMs { 0 };

private:
    SystemClock m_real;
};

QString node(int minuteOfDay, int hourShift = 0)
{
    return QStringLiteral("%1:%2")
        .arg(minuteOfDay / 60 + hourShift, 2, 10, QLatin1Char('0'))
        .arg(minuteOfDay % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int plans = 1000;
    const int samples = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 40;

    PortalSimulator sim;
    PortalAccount account = PortalSimulator::demoAccount();
    account.saleIds = QStringList { QStringLiteral("7001") };
    sim.setAccounts({ account });
    if (!sim.start()) {
        std::printf("portal simulator did not start\n");
        return 1;
    }

    TempDataDir dir;
    ShiftedClock clock;
    AppState state;
    state.AgentId = account.agentId;
    PlanStore store(clock);
    store.OpenPlanStore(dir.databasePath());
    FakeEngineView view;
    FakeMessagePresenter messages;
    PortalHosts hosts { sim.hostPort(), sim.hostPort(), sim.hostPort() };
    HttpClient http;
    http.cookieJar().setCookiesFromUrl(QNetworkCookie::parseCookies(sim.signInCookie(account.user).toUtf8()),
        QUrl(sim.baseUrl() + QStringLiteral("/")));
    ListingRefresher refresher(state, http, store, view, messages, hosts);
    RefreshRunLoop loop(state, clock, store, view, refresher);

    // 999 plans whose nodes lie past the day, then the one due at every even minute.
    QStringList never;
    QStringList even;
    for (int m = 0; m < 24 * 60; m += 30)
        never.append(node(m, 24));
    for (int m = 0; m < 24 * 60; m += 2)
        even.append(node(m));
    for (int i = 0; i < plans; ++i) {
        RefreshPlan p;
        p.nick = QStringLiteral("方案%1").arg(i);
        p.id = QStringLiteral("7001");
        p.times = i == plans - 1 ? even.join(u',') : never.join(u',');
        p.sort = QStringLiteral("1");
        p.sort1 = QStringLiteral("1");
        store.InsertPlan(p);
        view.addRow(p.nick);
    }

    // Watches the portal from its own thread, so the arrival time does not depend on
    // the UI thread.
    std::atomic<bool> watching { true };
    std::atomic<qint64> arrivals { 0 };
    std::atomic<Steady::rep> lastArrival { 0 };
    std::thread watcher([&] {
        qsizetype seen = 0;
        while (watching.load()) {
            const qsizetype n = sim.requests().size();
            if (n > seen) {
                lastArrival.store(Steady::now().time_since_epoch().count());
                seen = n;
                arrivals.store(n);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    const QDateTime base(QDate(2026, 12, 11), QTime(0, 0));
    QList<double> latencies;
    int sample = 0;
    qint64 expectedArrivals = 0;
    Steady::time_point boundary;
    bool waitingForArrival = false;

    auto startSample = [&] {
        // The next even minute begins 300 to 900 ms from now.
        const int lead = 300 + int(QRandomGenerator::global()->bounded(600));
        const QDateTime due = base.addSecs(qint64(120) * (sample + 1));
        boundary = Steady::now() + std::chrono::milliseconds(lead);
        clock.offsetMs.store(QDateTime::currentDateTime().msecsTo(due) - lead);
        // A retry of the previous node may have reached the portal meanwhile: only a
        // request that arrives after this point belongs to the new node.
        expectedArrivals = arrivals.load() + 1;
        waitingForArrival = true;
    };

    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, &app, [&] {
        if (waitingForArrival && arrivals.load() >= expectedArrivals) {
            const Steady::time_point at { Steady::duration(lastArrival.load()) };
            latencies.append(std::chrono::duration<double, std::milli>(at - boundary).count());
            waitingForArrival = false;
            ++sample;
            if (sample >= samples) {
                loop.Stop();
                return;
            }
        }
        if (!waitingForArrival && Steady::now() > boundary + std::chrono::milliseconds(100))
            startSample();
    });
    driver.start();
    QTimer::singleShot(0, &app, [&] {
        loop.RunRefreshLoop();
        QCoreApplication::quit();
    });
    app.exec();
    watching.store(false);
    watcher.join();

    std::sort(latencies.begin(), latencies.end());
    auto pct
        = [&](int p) { return latencies.at(std::min<qsizetype>(latencies.size() - 1, latencies.size() * p / 100)); };
    std::printf(
        "node latency, %d plans, due plan last in the list, %lld samples\n", plans, qlonglong(latencies.size()));
    std::printf("min %.1f ms  median %.1f ms  p95 %.1f ms  max %.1f ms (target p95 <= 300 ms)\n", latencies.first(),
        pct(50), pct(95), latencies.last());
    return 0;
}
