#include "engine/run_loop.h"
#include "http/http_client.h"
#include "plans/plan_store.h"
#include "portal_simulator.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QNetworkCookie>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

namespace {

struct Portal
{
    Portal()
    {
        account.saleIds = QStringList { QStringLiteral("101"), QStringLiteral("102"), QStringLiteral("103") };
        sim.setAccounts({ account });
        sim.start();
    }
    PortalHosts hosts() const
    {
        return { sim.hostPort(), sim.hostPort(), sim.hostPort() };
    }
    QStringList refreshedIds() const
    {
        QStringList ids;
        const QList<PortalRequest> all = sim.requests();
        for (const PortalRequest& r : all) {
            if (r.queryItem(QStringLiteral("action")) == u"refhouse")
                ids.append(r.queryItem(QStringLiteral("houseid")));
        }
        return ids;
    }

    PortalAccount account = PortalSimulator::demoAccount();
    PortalSimulator sim;
};

// The program as main() builds it, signed in to the simulated portal, with one plan.
struct RunningApp
{
    explicit RunningApp(const QString& ids)
        : fixture(true, portal.hosts())
    {
        RefreshPlan p;
        p.nick = QStringLiteral("P");
        p.id = ids;
        p.times = QStringLiteral("08:00");
        p.sort = QStringLiteral("1");
        p.sort1 = QStringLiteral("1");
        {
            PlanStore store(fixture.clock);
            store.OpenPlanStore(fixture.dir.databasePath());
            store.InsertPlan(p);
        }
        started = fixture.app->start();
        window = fixture.app->mainWindow();
        fixture.app->state().AgentId = portal.account.agentId;
        fixture.app->http().cookieJar().setCookiesFromUrl(
            QNetworkCookie::parseCookies(portal.sim.signInCookie(portal.account.user).toUtf8()),
            QUrl(portal.sim.baseUrl() + QStringLiteral("/")));
    }

    Portal portal;
    AppFixture fixture;
    bool started = false;
    QPointer<MainWindow> window;
};

} // namespace

class TestRunControl : public QObject
{
    Q_OBJECT
private slots:
    void startRunsUntilStop();
    void closingDuringRequestEndsProgram();
};

void TestRunControl::startRunsUntilStop()
{
    RunningApp run(QStringLiteral("101"));
    QVERIFY(run.started);
    bool disabledWhileRunning = false;
    run.fixture.clock.setOnWait([&] {
        disabledWhileRunning = !run.window->startButton()->isEnabled();
        if (run.fixture.clock.now() >= QDateTime(QDate(2026, 3, 5), QTime(8, 0, 5)))
            QTest::mouseClick(run.window->stopButton(), Qt::LeftButton);
    });
    QTest::mouseClick(run.window->startButton(), Qt::LeftButton);
    run.fixture.clock.setOnWait({});

    QVERIFY(disabledWhileRunning);
    QCOMPARE(run.portal.refreshedIds(), QStringList { QStringLiteral("101") });
    QVERIFY(run.window->logText().endsWith(QStringLiteral("08:00:00  P 正在刷新\r\n08:00:00  P 101  成功\r\n")));
    QCOMPARE(run.window->statusPanel(1), QStringLiteral("任务已经停止"));
    QCOMPARE(run.window->statusPanel(2), QStringLiteral("今日发布:1"));
    QCOMPARE(run.window->planRowCell(0, 3), QStringLiteral("1"));
    QVERIFY(run.window->startButton()->isEnabled());
    QCOMPARE(run.fixture.app->state().RunFlag, 0);
}

void TestRunControl::closingDuringRequestEndsProgram()
{
    RunningApp run(QStringLiteral("101,102,103"));
    QVERIFY(run.started);
    // As main() does: only the confirmed close ends the event loop.
    QApplication::setQuitOnLastWindowClosed(false);
    connect(run.fixture.app.get(), &Application::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    run.portal.sim.setResponseDelay(300);
    run.fixture.messages.yesAnswer = true;

    QElapsedTimer safety;
    safety.start();
    run.fixture.clock.setOnWait([&] {
        // Only reached when closing failed to end the loop.
        if (safety.elapsed() > 20000)
            run.fixture.app->runLoop()->Stop();
    });
    QString logAtClose;
    QTimer::singleShot(
        0, run.window->startButton(), [&] { QTest::mouseClick(run.window->startButton(), Qt::LeftButton); });
    QTimer::singleShot(100, run.window, [&] {
        run.window->close();
        logAtClose = run.window->logText();
    });
    QTimer::singleShot(30000, qApp, [] { QCoreApplication::exit(1); });
    const int exitCode = QCoreApplication::exec();
    run.fixture.clock.setOnWait({});

    QCOMPARE(exitCode, 0);
    QVERIFY(run.fixture.messages.questions.contains(QStringLiteral("确认要关闭软件吗？")));
    QVERIFY(safety.elapsed() < 20000);
    // The window outlived the handler, was left alone after the close, and nothing was
    // sent after the request that was under way.
    QVERIFY(run.window);
    QVERIFY(!logAtClose.isEmpty());
    QCOMPARE(run.window->logText(), logAtClose);
    QCOMPARE(run.portal.refreshedIds(), QStringList { QStringLiteral("101") });
    QVERIFY(!run.fixture.app->runLoop()->isRunning());
}

QTEST_MAIN(TestRunControl)
#include "test_run_control.moc"
