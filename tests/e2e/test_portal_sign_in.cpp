// The whole program with the browser module loaded as the programs load it: sign in
// inside the login window, confirm with "我已登录", refresh a listing with the browser's
// sign-in, and again after a restart of the program.
#include "engine/listing_refresher.h"
#include "portal/portal_access.h"
#include "portal_simulator.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"
#include "support/browser_test_main.h"

#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int PageLoadMs = 20000;

QVariant pageScript(QWebEngineView* view, const QString& script)
{
    auto result = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, QWebEngineScript::MainWorld, [result](const QVariant& v) { *result = v; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, 10000))
        return {};
    return result->value_or(QVariant());
}

bool showing(QWebEngineView* view, const QString& title)
{
    return !view->page()->isLoading()
        && pageScript(view, QStringLiteral("document.readyState === 'complete' ? document.title : ''")).toString()
        == title;
}

} // namespace

class PortalSignInTest : public QObject
{
    Q_OBJECT

private:
    PortalSimulator m_sim;
    std::unique_ptr<TempDataDir> m_dir;
    std::unique_ptr<AppFixture> m_program;

    PortalHosts hosts() const { return {m_sim.hostPort(), m_sim.hostPort(), m_sim.hostPort()}; }

    // Presses "登录网站" and runs scenario in the modal login window.
    void withLoginWindow(const std::function<void(QDialog*, QWebEngineView*)>& scenario)
    {
        bool ran = false;
        Application& app = *m_program->app;
        auto connection = connect(&app.portal(), &PortalAccess::loginWindowOpened, this, [&](QDialog* window) {
            QTimer::singleShot(0, window, [&, window] {
                scenario(window, window->findChild<QWebEngineView*>(QStringLiteral("互联网浏览器1")));
                ran = true;
                // A scenario that failed leaves the window open: take it away.
                if (window->isVisible())
                    window->findChild<QPushButton*>(QStringLiteral("按钮取消提取"))->click();
            });
        });
        app.mainWindow()->loginButton()->click();
        disconnect(connection);
        QVERIFY(ran);
    }

    // The program started on the program folder that the test keeps across restarts.
    void startProgram()
    {
        m_program.reset();
        if (!m_dir)
            m_dir = std::make_unique<TempDataDir>();
        // The fakes of a fixture, on the program folder that outlives each start.
        m_program = std::make_unique<AppFixture>(true, hosts());
        m_program->app.reset();
        m_program->env.programDir = m_dir->root();
        m_program->app = std::make_unique<Application>(m_program->env);
        QVERIFY(m_program->app->start());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_sim.start());
    }

    void signInThenRefreshAcrossRestart()
    {
        startProgram();
        QVERIFY(!m_program->app->portal().browserStarted());
        withLoginWindow([&](QDialog* window, QWebEngineView* view) {
            QVERIFY(view);
            // Signed out: the public start page.
            QTRY_VERIFY_WITH_TIMEOUT(showing(view, QStringLiteral("Domora网 经纪人之家")), PageLoadMs);
            view->load(QUrl(m_sim.baseUrl() + PortalSimulator::signInPath()));
            QTRY_VERIFY_WITH_TIMEOUT(showing(view, QStringLiteral("Domora帮登录")), PageLoadMs);
            pageScript(view, QStringLiteral("document.getElementById('username').value = 'demo';"
                                            "document.getElementById('password').value = 'demo123';"
                                            "document.forms[0].submit(); true"));
            QTRY_VERIFY_WITH_TIMEOUT(showing(view, QStringLiteral("经纪人后台")), PageLoadMs);
            window->findChild<QPushButton*>(QStringLiteral("按钮我已登录"))->click();
            QVERIFY(!window->isVisible());
        });
        Application& first = *m_program->app;
        QCOMPARE(m_program->messages.messages, QStringList{QStringLiteral("登录状态 检测正常！")});
        QCOMPARE(first.state().AgentId, QStringLiteral("80001"));
        const QString listing = PortalSimulator::demoAccount().saleIds.at(3);
        QCOMPARE(first.refresher()->RefreshListing(listing), QStringLiteral("刷新成功"));

        // A new start: nothing but the saved files. The check finds the agent signed in.
        startProgram();
        QCOMPARE(m_program->app->state().AgentId, QString());
        withLoginWindow([&](QDialog* window, QWebEngineView* view) {
            QTRY_VERIFY_WITH_TIMEOUT(showing(view, QStringLiteral("房源管理")), PageLoadMs);
            window->findChild<QPushButton*>(QStringLiteral("按钮我已登录"))->click();
            QVERIFY(!window->isVisible());
        });
        QCOMPARE(m_program->app->state().AgentId, QStringLiteral("80001"));
        QCOMPARE(m_program->app->refresher()->RefreshListing(listing), QStringLiteral("刷新成功"));
        QCOMPARE(m_sim.refreshCount(listing), 2);
    }

    void cleanupTestCase()
    {
        m_program.reset();
        m_dir.reset();
    }
};

TAVREL_BROWSER_TEST_MAIN(PortalSignInTest)
#include "test_portal_sign_in.moc"
