#include "common/gbk.h"
#include "http/http_request.h"
#include "portal_fixture.h"
#include "support/browser_test_main.h"

#include <QGroupBox>
#include <QLabel>
#include <QStatusBar>

namespace {

constexpr int PageLoadMs = 20000;

} // namespace

class LoginWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PortalFixture> f;

    // Waits for count more watcher passes than have run so far.
    void waitPasses(int count)
    {
        const int target = f->window->watcherPasses() + count;
        QTRY_VERIFY_WITH_TIMEOUT(f->window->watcherPasses() >= target, 10000);
    }

    QString boxValue(const char* id)
    {
        return f->pageScript(QStringLiteral("document.getElementById('%1').value").arg(QLatin1String(id))).toString();
    }

    void signInThroughBrowser()
    {
        f->open(f->signInUrl());
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("Domora帮登录")), PageLoadMs);
        f->signInInBrowser(QStringLiteral("demo"), QStringLiteral("demo123"));
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("经纪人后台")), PageLoadMs);
    }

private slots:
    void init()
    {
        f = std::make_unique<PortalFixture>();
        QVERIFY(f->simulatorStarted);
    }

    void cleanup()
    {
        f.reset();
    }

    void layoutAndResize()
    {
        LoginExtractWindow& w = f->open(f->signInUrl());
        QCOMPARE(w.windowTitle(), QStringLiteral("登录提取"));
        QCOMPARE(w.size(), QSize(808, 562));
        auto* group = w.findChild<QGroupBox*>(QStringLiteral("分组框1"));
        QVERIFY(group);
        struct Expected
        {
            const char* name;
            const char* caption;
            QRect place;
        };
        const Expected buttons[] = {
            {"按钮我已登录", "我已登录", {6, 10, 80, 32}},  {"按钮提取勾选", "提取勾选", {129, 10, 80, 32}},
            {"按钮保存提取到", "保存提取", {253, 10, 80, 32}}, {"按钮打开出售", "打开出售", {461, 11, 80, 32}},
            {"按钮打开出租", "打开出租", {560, 11, 80, 32}},  {"按钮取消提取", "取消", {660, 10, 80, 32}},
        };
        for (const Expected& e : buttons) {
            QPushButton* b = f->button(e.name);
            QVERIFY2(b, e.name);
            QCOMPARE(b->parentWidget(), group);
            QCOMPARE(b->text(), QString::fromUtf8(e.caption));
            QCOMPARE(b->geometry(), e.place);
        }
        // The initial size already follows the resize rule.
        QCOMPARE(w.browser()->objectName(), QStringLiteral("互联网浏览器1"));
        QCOMPARE(w.browser()->geometry(), QRect(1, 48, 798, 462));
        QCOMPARE(group->geometry(), QRect(24, -6, 746, 49));
        auto* bar = w.findChild<QStatusBar*>(QStringLiteral("状态条1"));
        QVERIFY(bar);
        QCOMPARE(w.statusPanel(0)->text(), QStringLiteral("状态栏"));
        QCOMPARE(w.statusPanel(0)->width(), 50);
        QCOMPARE(w.statusPanel(1)->text(), QString());
        QCOMPARE(w.statusPanel(1)->width(), 260);

        w.resize(1000, 700);
        QCOMPARE(w.browser()->geometry(), QRect(1, 48, 990, 600));
        QCOMPARE(group->pos(), QPoint(120, -6));
        QCOMPARE(bar->geometry().bottom(), 699);
    }

    void closeBoxAndEscapeAreRefused()
    {
        LoginExtractWindow& w = f->open(f->signInUrl());
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
    }

    void firstShownChoosesTheStartPage_data()
    {
        QTest::addColumn<bool>("fromMainWindow");
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<QString>("expectedPath");
        QTest::newRow("main window, signed out") << true << false << "/";
        QTest::newRow("main window, still signed in") << true << true << "/magent/house/houselist.aspx";
        QTest::newRow("plan editor, signed out") << false << false << "/magent/house/houselist.aspx";
        QTest::newRow("plan editor, signed in") << false << true << "/magent/house/houselist.aspx";
    }

    void firstShownChoosesTheStartPage()
    {
        QFETCH(bool, fromMainWindow);
        QFETCH(bool, signedIn);
        QFETCH(QString, expectedPath);
        if (signedIn) {
            // The portal still knows the agent from an earlier run: the saved cookie.
            const QString cookie = f->sim.signInCookie(QStringLiteral("demo"));
            QNetworkCookie saved(cookie.section(u'=', 0, 0).toLatin1(), cookie.section(u'=', 1).toLatin1());
            saved.setDomain(QStringLiteral("127.0.0.1"));
            saved.setPath(QStringLiteral("/"));
            saved.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
            QVERIFY(f->http->cookieJar().insertCookie(saved));
        }
        const QString start = fromMainWindow ? PublicStartUrl(f->hosts) : AgentRentListUrl(f->hosts);
        f->sim.clearRequests();
        LoginExtractWindow& w = f->open(start);
        QTRY_VERIFY_WITH_TIMEOUT(w.startPageChosen(), PageLoadMs);
        QTRY_VERIFY_WITH_TIMEOUT(!w.browser()->page()->isLoading() && w.browser()->url().isValid(), PageLoadMs);

        // The check of the legacy sale list is made whoever opened the window.
        const QList<PortalRequest> requests = f->sim.requests();
        QVERIFY(!requests.isEmpty());
        QCOMPARE(requests.first().path, QStringLiteral("/magent/house/houselist.aspx"));
        QCOMPARE(requests.first().queryItem(QStringLiteral("businesstype")), QStringLiteral("cs"));

        const QUrl shown = w.browser()->url();
        QCOMPARE(shown.path(), expectedPath);
        if (!fromMainWindow)
            QCOMPARE(shown.toString(), start);
        else if (signedIn)
            QCOMPARE(shown.toString(), LegacySaleListUrl(f->hosts));
    }

    void signInPageFilledOnceFromSettings()
    {
        f->settings.WriteSetting(QStringLiteral("Domora网"), QStringLiteral("user"), QStringLiteral("demo"));
        f->settings.WriteSetting(QStringLiteral("Domora网"), QStringLiteral("pass"), QStringLiteral("demo123"));
        f->open(f->signInUrl());
        QTRY_COMPARE_WITH_TIMEOUT(boxValue("username"), QStringLiteral("demo"), PageLoadMs);
        QCOMPARE(boxValue("password"), QStringLiteral("demo123"));

        // Cleared by the agent, or shown again: never filled a second time.
        f->pageScript(QStringLiteral("document.getElementById('username').value = '';"
                                     "document.getElementById('password').value = ''; true"));
        waitPasses(2);
        QCOMPARE(boxValue("username"), QString());
        f->window->navigate(f->signInUrl());
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("Domora帮登录")), PageLoadMs);
        waitPasses(2);
        QCOMPARE(boxValue("username"), QString());
        QCOMPARE(boxValue("password"), QString());
        // Empty boxes are not remembered over the stored account.
        QCOMPARE(f->settings.ReadSetting(QStringLiteral("Domora网"), QStringLiteral("user")), QStringLiteral("demo"));
    }

    void typedSignInIsRemembered_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("stored");
        QTest::newRow("10 characters") << "agent7" << "pw34567890" << true;
        QTest::newRow("20 bytes") << "agent7" << "abcdefghij0123456789" << true;
        QTest::newRow("21 bytes") << "agent7" << "abcdefghij0123456789x" << false;
        QTest::newRow("10 Chinese characters are 20 bytes") << "经纪人" << "一二三四五六七八九十" << true;
        QTest::newRow("11 Chinese characters are 22 bytes") << "经纪人" << "一二三四五六七八九十百" << false;
        QTest::newRow("no password") << "agent7" << "" << false;
        QTest::newRow("no user name") << "" << "pw34567890" << false;
    }

    void typedSignInIsRemembered()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, stored);
        LoginExtractWindow& w = f->open(f->signInUrl());
        QCOMPARE(w.findChild<QTimer*>()->interval(), 500);
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("Domora帮登录")), PageLoadMs);
        waitPasses(1);
        // The empty settings filled the boxes with nothing.
        QCOMPARE(boxValue("username"), QString());
        f->pageScript(QStringLiteral("document.getElementById('username').value = %1;"
                                     "document.getElementById('password').value = %2; true")
                          .arg(PortalFixture::jsText(user), PortalFixture::jsText(password)));
        // Two passes of 500 ms: the values are in pz.ini within a second.
        waitPasses(2);
        const QString section = QStringLiteral("Domora网");
        QCOMPARE(f->settings.ReadSetting(section, QStringLiteral("user")), stored ? user : QString());
        QCOMPARE(f->settings.ReadSetting(section, QStringLiteral("pass")), stored ? password : QString());
        if (stored) {
            QFile file(f->settings.path());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains(ToGbk(password)));
        }
    }

    void loginCheckAfterSignInCapturesAgentId()
    {
        signInThroughBrowser();
        f->state.AgentId = QStringLiteral("stale");
        QTest::mouseClick(f->button("按钮我已登录"), Qt::LeftButton);
        QCOMPARE(f->state.AgentId, QStringLiteral("80001"));
        QCOMPARE(f->messages.messages, QStringList{QStringLiteral("登录状态 检测正常！")});
        QVERIFY(!f->window->isVisible());
        QCOMPARE(f->window->result(), int(QDialog::Accepted));
    }

    void loginCheckWithoutSignInKeepsWindow()
    {
        f->open(f->signInUrl());
        QTRY_VERIFY_WITH_TIMEOUT(f->window->startPageChosen(), PageLoadMs);
        f->state.AgentId = QStringLiteral("stale");
        QTest::mouseClick(f->button("按钮我已登录"), Qt::LeftButton);
        QCOMPARE(f->state.AgentId, QString());
        QCOMPARE(f->messages.messages, QStringList{QStringLiteral("程序未检测到登录状态")});
        QVERIFY(f->window->isVisible());
    }

    void browserSignInCarriedByProgramRequests()
    {
        signInThroughBrowser();
        const QString refreshUrl = f->sim.baseUrl()
            + QStringLiteral("/Magent/House/HouseListAction.aspx?action=refhouse&houseid=%1&agentid=80001")
                  .arg(PortalSimulator::demoAccount().saleIds.first());
        QVERIFY(FromGbk(HttpRequest(*f->http, refreshUrl)).contains(QStringLiteral("刷新成功")));

        // Restart: a new client and browser profile from what was saved.
        f->startProgram();
        f->sim.clearRequests();
        QVERIFY(FromGbk(HttpRequest(*f->http, refreshUrl)).contains(QStringLiteral("刷新成功")));
        // ... and the browser is still signed in, though its store kept nothing itself.
        f->open(AgentSaleListUrl(f->hosts));
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("房源管理")), PageLoadMs);
    }

    void programSignInReachesBrowser()
    {
        // A cookie set on an answer to the program's own request.
        HttpOptions post;
        post.method = 1;
        post.body = QByteArrayLiteral("username=demo&password=demo123");
        post.followRedirects = false;
        HttpRequest(*f->http, f->signInUrl(), post);
        f->open(AgentSaleListUrl(f->hosts));
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("房源管理")), PageLoadMs);

        // Signing out in the browser takes the cookies out of the program's jar as well.
        f->window->navigate(f->sim.baseUrl() + QStringLiteral("/magent/logout.aspx"));
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("Domora网 经纪人之家")), PageLoadMs);
        QTRY_VERIFY_WITH_TIMEOUT(
            FromGbk(HttpRequest(*f->http, AgentTopFrameUrl(f->hosts))).contains(QStringLiteral("请先登录！")),
            PageLoadMs);
    }
};

TAVREL_BROWSER_TEST_MAIN(LoginWindowTest)
#include "test_login_window.moc"
