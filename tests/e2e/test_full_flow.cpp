// The whole product on the portal simulator: sign in inside the embedded browser, pick
// listings on two pages of the sale list, save a plan with generated nodes, start the
// run and let the fake clock pass over the nodes.
#include "plans/plan_editor_window.h"
#include "plans/plan_store.h"
#include "plans/settings_file.h"
#include "portal_simulator.h"
#include "shell/main_window.h"
#include "support/app_fixture.h"
#include "support/browser_test_main.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int kPageTimeoutMs = 30000;

// Polls until a modal window of type T is the active one and ready, then runs step on
// it. The step runs nested inside the opener's wait, as the user's next actions would;
// it must not start inside a wait of the window itself, which could then not end.
template<typename T>
void whenModal(
    std::function<void(T*)> step, std::function<bool(T*)> ready = [](T*) { return true; })
{
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, step, ready] {
        auto* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window || !ready(window))
            return;
        poll->stop();
        poll->deleteLater();
        step(window);
    });
    poll->start();
}

// The login window comes from the browser module; the test knows it by its title and
// its browser control, as a user would.
QWebEnginePage* browserPage(QDialog* window)
{
    auto* view = window->findChild<QWebEngineView*>(QStringLiteral("互联网浏览器1"));
    return view ? view->page() : nullptr;
}

// The window has made its sign-in check and sent the browser to its first page.
bool loginWindowReady(QDialog* window)
{
    if (window->windowTitle() != u"登录提取")
        return false;
    QWebEnginePage* page = browserPage(window);
    return page && !page->url().isEmpty();
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kPageTimeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

QVariant runScript(QWebEnginePage* page, const QString& script)
{
    // The answer may come after the wait has given up; it must not land on a dead local.
    auto answer = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [answer](const QVariant& value) { *answer = value; });
    waitUntil([&] { return answer->has_value(); }, 10000);
    return answer->value_or(QVariant());
}

// True once the page at a URL containing urlPart has loaded with at least minBoxes
// listing check boxes.
bool waitForPage(QWebEnginePage* page, const QString& urlPart, int minBoxes = 0)
{
    const QString script = QStringLiteral("document.readyState == 'complete' && location.href.indexOf('%1') >= 0 && "
                                          "document.getElementsByName('selectitem').length >= %2")
                               .arg(urlPart)
                               .arg(minBoxes);
    return waitUntil([&] { return runScript(page, script).toBool(); });
}

void click(QWidget* window, const char* name)
{
    auto* button = window->findChild<QAbstractButton*>(QString::fromUtf8(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Ticks the listing boxes at the given positions of the page and returns their IDs.
QStringList tick(QWebEnginePage* page, const QList<int>& positions)
{
    QStringList ids;
    for (int i : positions) {
        ids.append(runScript(page,
            QStringLiteral("var box = document.getElementsByName('selectitem')[%1];"
                           "box.checked = true; box.value")
                .arg(i))
                       .toString());
    }
    return ids;
}

} // namespace

class TestFullFlow : public QObject
{
    Q_OBJECT

private slots:
    void signInPickSaveAndRun();
};

void TestFullFlow::signInPickSaveAndRun()
{
    PortalSimulator portal;
    QVERIFY(portal.start());
    const QString host = portal.hostPort();
    AppFixture f(true, PortalHosts { host, host, host });
    f.clock.set(QDateTime(QDate(2026, 12, 11), QTime(8, 0)));
    QVERIFY(f.app->start());
    MainWindow* main = f.app->mainWindow();
    SettingsFile settings(f.dir.settingsPath());
    settings.WriteSetting(QStringLiteral("Domora网"), QStringLiteral("user"), QStringLiteral("earlier"));
    settings.WriteSetting(QStringLiteral("Domora网"), QStringLiteral("pass"), QStringLiteral("old"));

    // 1. "登录网站": sign in on the portal's own page, then "我已登录".
    QString signInError = QStringLiteral("the login window did not open");
    whenModal<QDialog>(
        [&](QDialog* window) {
            QWebEnginePage* page = browserPage(window);
            const auto fail = [&](const char* what) {
                signInError = QString::fromUtf8(what) + QStringLiteral(" at ") + page->url().toString() + u' '
                    + runScript(page, QStringLiteral("document.title")).toString();
                click(window, "按钮取消提取");
            };
            if (!waitUntil([&] {
                    return runScript(page, QStringLiteral("document.title")).toString() == u"Domora网 经纪人之家";
                }))
                return fail("the public start page did not show");
            runScript(page, QStringLiteral("document.querySelector('a[href=\"/login.aspx\"]').click(); true"));
            if (!waitUntil([&] {
                    return runScript(page, QStringLiteral("document.readyState == 'complete' && document.title"))
                               .toString()
                        == u"Domora帮登录";
                }))
                return fail("the sign-in page did not show");
            // The window fills in the account remembered from an earlier run; type over it.
            if (!waitUntil([&] {
                    return runScript(page, QStringLiteral("document.getElementById('username').value")).toString()
                        == u"earlier";
                }))
                return fail("the remembered account was not filled in");
            runScript(page,
                QStringLiteral("document.getElementById('username').value = 'demo';"
                               "document.getElementById('password').value = 'demo123'; true"));
            if (!waitUntil([&] {
                    return settings.ReadSetting(QStringLiteral("Domora网"), QStringLiteral("user")) == u"demo";
                }))
                return fail("the typed account was not remembered");
            runScript(page, QStringLiteral("document.forms[0].submit(); true"));
            if (!waitForPage(page, QStringLiteral("/magent/default.aspx")))
                return fail("the back office did not show after signing in");
            signInError.clear();
            click(window, "按钮我已登录");
        },
        loginWindowReady);
    QTest::mouseClick(main->loginButton(), Qt::LeftButton);
    QVERIFY2(signInError.isEmpty(), qPrintable(signInError));
    QCOMPARE(f.messages.messages.value(0), QStringLiteral("登录状态 检测正常！"));
    QCOMPARE(f.app->state().AgentId, PortalSimulator::demoAccount().agentId);
    QCOMPARE(settings.ReadSetting(QStringLiteral("Domora网"), QStringLiteral("pass")), QStringLiteral("demo123"));

    // 2. "方案设置": pick listings on two pages of the sale list, generate the nodes of
    // the coming two minutes and save a fixed-point plan.
    QStringList picked;
    QString pickError = QStringLiteral("the login window did not open from the editor");
    QString editorError = QStringLiteral("the plan editor did not open");
    whenModal<PlanEditorWindow>([&](PlanEditorWindow* editor) {
        editorError.clear();
        editor->findChild<QLineEdit*>(QStringLiteral("编辑框方案名称"))->setText(QStringLiteral("早间"));
        whenModal<QDialog>(
            [&](QDialog* window) {
                QWebEnginePage* page = browserPage(window);
                const auto fail = [&](const char* what) {
                    pickError = QString::fromUtf8(what);
                    click(window, "按钮取消提取");
                };
                if (!waitForPage(page, QStringLiteral("businesstype=cs"), 20))
                    return fail("the sale list did not show");
                picked += tick(page, { 0, 3 });
                click(window, "按钮提取勾选");
                runScript(
                    page, QStringLiteral("Array.from(document.links).find(a => a.textContent == '2').click(); true"));
                if (!waitForPage(page, QStringLiteral("page=2"), 1))
                    return fail("page 2 of the sale list did not show");
                picked += tick(page, { 1 });
                click(window, "按钮提取勾选");
                pickError.clear();
                click(window, "按钮保存提取到");
            },
            loginWindowReady);
        click(editor, "按钮1");
        QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("编辑框时1")), QStringLiteral("8"));
        QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("编辑框分1")), QStringLiteral("1"));
        QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("编辑框时2")), QStringLiteral("8"));
        QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("编辑框分2")), QStringLiteral("2"));
        QTest::keyClicks(editor->findChild<QLineEdit*>(QStringLiteral("编辑框间隔")), QStringLiteral("1"));
        click(editor, "按钮生成时间节点");
        click(editor, "单选框定点刷新");
        click(editor, "按钮保存方案");
        editor->close();
    });
    QTest::mouseClick(main->planSettingsButton(), Qt::LeftButton);
    QVERIFY2(editorError.isEmpty(), qPrintable(editorError));
    QVERIFY2(pickError.isEmpty(), qPrintable(pickError));
    QCOMPARE(picked.size(), 3);
    QCOMPARE(f.app->state().CollectedIdText, picked.join(u',') + u',');
    QCOMPARE(f.messages.messages.value(1), QStringLiteral("保存成功"));

    const RefreshPlan saved = f.app->store().LoadPlan(QStringLiteral("早间"));
    QCOMPARE(saved.id, picked.join(u','));
    QCOMPARE(saved.times, QStringLiteral("08:01,08:02"));
    QCOMPARE(saved.sort, QStringLiteral("1"));
    QCOMPARE(saved.sort1, QStringLiteral("1"));
    QCOMPARE(saved.numall, QStringLiteral("6"));
    QCOMPARE(main->planRowCount(), 1);
    QCOMPARE(main->planRowName(0), QStringLiteral("早间"));
    QCOMPARE(main->planRowCell(0, 2), QStringLiteral("6"));

    // 3. "开始操作": the clock passes over both nodes, then the user stops the run.
    portal.clearRequests();
    const QDateTime end(QDate(2026, 12, 11), QTime(8, 3));
    f.clock.setOnWait([&] {
        if (f.clock.now() >= end && main->stopButton()->isEnabled())
            QTest::mouseClick(main->stopButton(), Qt::LeftButton);
    });
    QTest::mouseClick(main->startButton(), Qt::LeftButton);
    f.clock.setOnWait({});
    QVERIFY(main->startButton()->isEnabled());
    QCOMPARE(main->statusPanel(1), QStringLiteral("任务已经停止"));

    for (const QString& id : std::as_const(picked))
        QCOMPARE(portal.refreshCount(id), 2);
    int refreshRequests = 0;
    const QList<PortalRequest> requests = portal.requests();
    for (const PortalRequest& request : requests) {
        if (request.path.compare(QStringLiteral("/Magent/House/HouseListAction.aspx"), Qt::CaseInsensitive) == 0)
            ++refreshRequests;
    }
    QCOMPARE(refreshRequests, 6);

    // Each line starts with the fake clock's HH:MM:SS.
    const QString log = main->logText();
    const auto linesAt = [&log](const QString& minute, const QString& text) {
        const QRegularExpression line(QStringLiteral("^") + minute + QStringLiteral(":\\d\\d  ")
                + QRegularExpression::escape(text) + QStringLiteral("\r$"),
            QRegularExpression::MultilineOption);
        int count = 0;
        for (QRegularExpressionMatchIterator it = line.globalMatch(log); it.hasNext(); it.next())
            ++count;
        return count;
    };
    for (const QString& minute : { QStringLiteral("08:01"), QStringLiteral("08:02") }) {
        QVERIFY2(linesAt(minute, QStringLiteral("早间 符合时间节点")) == 1, qPrintable(log));
        QVERIFY2(linesAt(minute, QStringLiteral("早间 正在刷新")) == 1, qPrintable(log));
        for (const QString& id : std::as_const(picked))
            QVERIFY2(linesAt(minute, QStringLiteral("早间 ") + id + QStringLiteral("  成功")) == 1, qPrintable(log));
    }
    QCOMPARE(log.count(QStringLiteral("符合时间节点")), 2);
    QCOMPARE(log.count(QStringLiteral("  成功\r\n")), 6);

    QCOMPARE(main->planRowCell(0, 3), QStringLiteral("6"));
    QCOMPARE(main->statusPanel(2), QStringLiteral("今日发布:6"));
    const RefreshPlan counted = f.app->store().LoadPlan(QStringLiteral("早间"));
    QCOMPARE(counted.today, QStringLiteral("6"));
    QCOMPARE(counted.date1, QStringLiteral("2026年12月11日"));
    QCOMPARE(counted.progress, picked.last());
    QCOMPARE(f.app->store().ReadDailyTotal(), 6);
    QCOMPARE(f.messages.messages.size(), 2);
}

TAVREL_BROWSER_TEST_MAIN(TestFullFlow)
#include "test_full_flow.moc"
