// 1,000 sequential listing refreshes against the portal simulator on loopback, made by
// the program's refresher and by one curl process with keep-alive, in the same run.
// Target: the program takes at most 1.5 times curl's wall time.
#include "common/app_state.h"
#include "common/portal_hosts.h"
#include "engine/listing_refresher.h"
#include "http/http_client.h"
#include "plans/plan_store.h"
#include "portal_simulator.h"
#include "support/fake_clock.h"
#include "support/fake_engine_view.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRequests = 1000;
constexpr int kRounds = 5;

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
    FakeEngineView view;
    const PortalHosts hosts { sim.hostPort(), sim.hostPort(), sim.hostPort() };
    ListingRefresher refresher(state, http, store, view, messages, hosts);

    // Both clients start with an open connection.
    refresher.RefreshListing(ids.first());

    QTemporaryDir work;
    const QString configPath = work.filePath(QStringLiteral("urls.txt"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(configPath));
        return 1;
    }
    config.write("silent\ncookie = \"" + cookie.toUtf8() + "\"\n");
    for (int i = -1; i < kRequests; ++i) {
        config.write("url = \"" + RefreshUrl(sim.hostPort(), demo.agentId, ids.at(std::max(i, 0) % ids.size())).toUtf8()
            + "\"\noutput = \"/dev/null\"\n");
    }
    config.close();

    // The machine is shared: rounds alternate between the two clients, and the best and
    // the median round of each are compared.
    std::vector<double> tavrelMs;
    std::vector<double> curlMs;
    std::vector<double> managerMs;
    int refreshed = 0;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kRequests; ++i) {
            if (refresher.RefreshListing(ids.at(i % ids.size())) == QStringLiteral("刷新成功"))
                ++refreshed;
        }
        tavrelMs.push_back(double(timer.nsecsElapsed()) / 1e6);

        // The same requests straight through the manager, without HttpRequest around
        // them: the share of the time that is the network stack's own.
        timer.restart();
        for (int i = 0; i < kRequests; ++i) {
            QNetworkRequest request(QUrl(RefreshUrl(sim.hostPort(), demo.agentId, ids.at(i % ids.size()))));
            QNetworkReply* reply = http.manager().get(request);
            QEventLoop loop;
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            loop.exec();
            reply->readAll();
            delete reply;
        }
        managerMs.push_back(double(timer.nsecsElapsed()) / 1e6);

        const int before = sim.refreshCount(ids.at(1));
        QProcess curl;
        timer.restart();
        curl.start(QStringLiteral("curl"), { QStringLiteral("-K"), configPath });
        const bool ran = curl.waitForFinished(-1) && curl.exitStatus() == QProcess::NormalExit && curl.exitCode() == 0;
        curlMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!ran || sim.refreshCount(ids.at(1)) == before) {
            std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
            return 1;
        }
        std::printf("  round %d: Tavrel %8.1f ms, bare manager %8.1f ms, curl %8.1f ms\n", round + 1, tavrelMs.back(),
            managerMs.back(), curlMs.back());
    }
    if (refreshed != kRequests * kRounds) {
        std::fprintf(stderr, "only %d of %d refreshes were confirmed\n", refreshed, kRequests * kRounds);
        return 1;
    }

    auto best = [](std::vector<double> v) { return *std::min_element(v.begin(), v.end()); };
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("refresh_throughput: %d sequential refreshes on loopback, %d rounds\n", kRequests, kRounds);
    std::printf("  Tavrel RefreshListing: best %8.1f ms (%.3f ms each), median %8.1f ms\n", best(tavrelMs),
        best(tavrelMs) / kRequests, median(tavrelMs));
    std::printf("  bare QNetworkAccessManager GET: best %8.1f ms (%.3f ms each), median %8.1f ms\n", best(managerMs),
        best(managerMs) / kRequests, median(managerMs));
    std::printf("  curl, one process:     best %8.1f ms (%.3f ms each), median %8.1f ms (process start included)\n",
        best(curlMs), best(curlMs) / kRequests, median(curlMs));
    const double ratio = best(tavrelMs) / best(curlMs);
    std::printf("  ratio Tavrel / curl:   best %.2f, median %.2f (target <= 1.50: %s)\n", ratio,
        median(tavrelMs) / median(curlMs), ratio <= 1.5 ? "met" : "missed");
    return 0;
}
