// 1,000 sequential listing refreshes against the portal simulator on loopback, made by
// the program's refresher and by one curl process with keep-alive, in the same run.
// Target: the program takes at most 1.5 times curl's wall time.
#include "common/app_state.h"
#include "common/portal_hosts.h"
#include "engine/engine_view.h"
#include "engine/listing_refresher.h"
#include "http/http_client.h"
#include "plans/plan_store.h"
#include "portal_simulator.h"
#include "support/fake_clock.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkCookie>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kRequests = 1000;

class SilentView final : public EngineView
{
public:
    void appendLogText(const QString&) override {}
    void setStatusPanel(int, const QString&) override {}
    QString statusPanel(int) const override { return {}; }
    int planRowCount() const override { return 0; }
    QString planRowName(int) const override { return {}; }
    void ShowPlanToday(const QString&, int) override {}
    void setStartEnabled(bool) override {}
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PortalSimulator sim;
    if (!sim.start()) {
        std::fprintf(stderr, "cannot start the portal simulator\n");
        return 1;
    }
    const PortalAccount demo = PortalSimulator::demoAccount();
    const QString cookie = sim.signInCookie(demo.user);
    QStringList ids = demo.saleIds + demo.rentIds;

    TempDataDir dir;
    FakeClock clock;
    PlanStore store(clock);
    store.OpenPlanStore(dir.databasePath());
    HttpClient http;
    http.cookieJar().setCookiesFromUrl(QNetworkCookie::parseCookies(cookie.toUtf8()), QUrl(sim.baseUrl()));
    AppState state;
    state.AgentId = demo.agentId;
    FakeMessagePresenter messages;
    SilentView view;
    const PortalHosts hosts{sim.hostPort(), sim.hostPort(), sim.hostPort()};
    ListingRefresher refresher(state, http, store, view, messages, hosts);

    // Both clients start with an open connection.
    refresher.RefreshListing(ids.first());

    int refreshed = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRequests; ++i) {
        if (refresher.RefreshListing(ids.at(i % ids.size())) == QStringLiteral("刷新成功"))
            ++refreshed;
    }
    const qint64 tavrelNs = timer.nsecsElapsed();

    QTemporaryDir work;
    const QString configPath = work.filePath(QStringLiteral("urls.txt"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(configPath));
        return 1;
    }
    config.write("silent\ncookie = \"" + cookie.toUtf8() + "\"\n");
    config.write("url = \"" + RefreshUrl(sim.hostPort(), demo.agentId, ids.first()).toUtf8() + "\"\noutput = \"/dev/null\"\n");
    for (int i = 0; i < kRequests; ++i) {
        config.write("url = \"" + RefreshUrl(sim.hostPort(), demo.agentId, ids.at(i % ids.size())).toUtf8()
                     + "\"\noutput = \"/dev/null\"\n");
    }
    config.close();

    const int before = sim.refreshCount(ids.first());
    QProcess curl;
    timer.restart();
    curl.start(QStringLiteral("curl"), {QStringLiteral("-K"), configPath});
    const bool curlRan = curl.waitForFinished(-1) && curl.exitStatus() == QProcess::NormalExit && curl.exitCode() == 0;
    const qint64 curlNs = timer.nsecsElapsed();
    if (!curlRan) {
        std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
        return 1;
    }
    // Counted from the portal's side: the first listing is refreshed once per cycle of ids.
    const int curlOfFirst = sim.refreshCount(ids.first()) - before;

    const double tavrelMs = double(tavrelNs) / 1e6;
    const double curlMs = double(curlNs) / 1e6;
    std::printf("refresh_throughput: %d sequential refreshes on loopback\n", kRequests);
    std::printf("  Tavrel RefreshListing: %9.1f ms  (%.3f ms each, %d confirmed)\n", tavrelMs, tavrelMs / kRequests, refreshed);
    std::printf("  curl, one process:     %9.1f ms  (%.3f ms each, process start included)\n", curlMs, curlMs / kRequests);
    std::printf("  ratio Tavrel / curl:   %9.2f  (target <= 1.50: %s)\n", tavrelMs / curlMs,
                tavrelMs / curlMs <= 1.5 ? "met" : "missed");
    if (refreshed != kRequests || curlOfFirst <= 0) {
        std::fprintf(stderr, "not every request was a confirmed refresh\n");
        return 1;
    }
    return 0;
}
