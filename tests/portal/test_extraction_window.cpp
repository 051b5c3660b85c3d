#include "portal_fixture.h"
#include "support/browser_test_main.h"

#include <QLabel>
#include <QTimer>

namespace {

constexpr int PageLoadMs = 20000;

} // namespace

class ExtractionWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PortalFixture> f;
    QStringList sale = PortalSimulator::demoAccount().saleIds;
    QStringList rent = PortalSimulator::demoAccount().rentIds;

    void signIn()
    {
        const QString cookie = f->sim.signInCookie(QStringLiteral("demo"));
        QNetworkCookie c(cookie.section(u'=', 0, 0).toLatin1(), cookie.section(u'=', 1).toLatin1());
        c.setDomain(QStringLiteral("127.0.0.1"));
        c.setPath(QStringLiteral("/"));
        QVERIFY(f->http->cookieJar().insertCookie(c));
    }

    void showList(const QString& url)
    {
        f->window->navigate(url);
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("房源管理")) && f->pageUrl() == url, PageLoadMs);
    }

    // Sets the ticks of the listing boxes with the given values (main world, as a click would).
    void tick(const QStringList& values, bool checked)
    {
        for (const QString& v : values) {
            const QVariant found = f->pageScript(
                QStringLiteral("(function(){var e=document.querySelector('input[name=selectitem][value=\"%1\"]');"
                               "if(!e)return false;e.checked=%2;return true;})()")
                    .arg(v, checked ? QStringLiteral("true") : QStringLiteral("false")));
            QVERIFY2(found.toBool(), qPrintable(v));
        }
    }

    void extract()
    {
        QTest::mouseClick(f->button("按钮提取勾选"), Qt::LeftButton);
    }

    QString status() const
    {
        return f->window->statusPanel(1)->text();
    }

private slots:
    void init()
    {
        f = std::make_unique<PortalFixture>();
        QVERIFY(f->simulatorStarted);
        signIn();
    }

    void cleanup()
    {
        f.reset();
    }

    void collectsAcrossPagesAndLists()
    {
        f->state.CollectedIdText = QStringLiteral("left,over,");
        const QString salePage1 = AgentSaleListUrl(f->hosts);
        f->open(salePage1);
        // A new opening starts from nothing.
        QCOMPARE(f->state.CollectedIdText, QString());
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("房源管理")), PageLoadMs);
        // The header box "checkall" is ticked too: it is no listing.
        f->pageScript(QStringLiteral("document.getElementById('checkall').checked = true; true"));
        tick({sale[0], sale[2]}, true);
        extract();
        QCOMPARE(f->state.CollectedIdText, sale[0] + u',' + sale[2] + u',');
        QCOMPARE(status(), QStringLiteral("本次累积选择 2 条"));

        tick({sale[2]}, false);
        tick({sale[1]}, true);
        extract();
        QCOMPARE(f->state.CollectedIdText, sale[0] + u',' + sale[1] + u',');

        // Page 2 of the sale list: the first page's IDs stay, they are not on this page.
        showList(salePage1 + QStringLiteral("&page=2"));
        tick({sale[20], sale[25]}, true);
        extract();
        QCOMPARE(f->state.CollectedIdText, QStringList({sale[0], sale[1], sale[20], sale[25], {}}).join(u','));
        QCOMPARE(status(), QStringLiteral("本次累积选择 4 条"));
        tick({sale[20]}, false);
        extract();
        QCOMPARE(f->state.CollectedIdText, QStringList({sale[0], sale[1], sale[25], {}}).join(u','));

        // The rent list, opened with its button.
        QTest::mouseClick(f->button("按钮打开出租"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("房源管理"))
                                     && f->pageUrl() == LegacyRentListUrl(f->hosts),
                                 PageLoadMs);
        tick({rent[3]}, true);
        extract();
        QCOMPARE(f->state.CollectedIdText, QStringList({sale[0], sale[1], sale[25], rent[3], {}}).join(u','));
        QCOMPARE(status(), QStringLiteral("本次累积选择 4 条"));

        QTest::mouseClick(f->button("按钮打开出售"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("房源管理"))
                                     && f->pageUrl() == LegacySaleListUrl(f->hosts),
                                 PageLoadMs);

        QTest::mouseClick(f->button("按钮保存提取到"), Qt::LeftButton);
        QVERIFY(!f->window->isVisible());
        QCOMPARE(f->state.CollectedIdText, QStringList({sale[0], sale[1], sale[25], rent[3], {}}).join(u','));
    }

    void pageWithoutBoxesOnlyShowsTheCount()
    {
        f->open(PublicStartUrl(f->hosts));
        QTRY_VERIFY_WITH_TIMEOUT(f->window->startPageChosen(), PageLoadMs);
        QTRY_VERIFY_WITH_TIMEOUT(!f->window->browser()->page()->isLoading(), PageLoadMs);
        extract();
        QCOMPARE(f->state.CollectedIdText, QString());
        QCOMPARE(status(), QStringLiteral("本次累积选择 0 条"));
    }

    void cancelEmptiesTheCollection()
    {
        f->open(AgentSaleListUrl(f->hosts));
        QTRY_VERIFY_WITH_TIMEOUT(f->showing(QStringLiteral("房源管理")), PageLoadMs);
        tick({sale[5]}, true);
        extract();
        QCOMPARE(f->state.CollectedIdText, sale[5] + u',');
        QTest::mouseClick(f->button("按钮取消提取"), Qt::LeftButton);
        QVERIFY(!f->window->isVisible());
        QCOMPARE(f->state.CollectedIdText, QString());
    }

    void openedModallyThroughPortalAccess()
    {
        // What the plan editor does: open at a list page, wait for the window to close.
        f->state.CollectedIdText = QStringLiteral("99,");
        bool saw = false;
        QObject::connect(f->portal.get(), &PortalAccess::loginWindowOpened, f->portal.get(),
                         [&](QDialog* dialog) {
                             auto* w = qobject_cast<LoginExtractWindow*>(dialog);
                             QVERIFY(w);
                             QTimer::singleShot(0, w, [&, w] {
                                 saw = w->isModal() && w->isVisible();
                                 QTRY_VERIFY_WITH_TIMEOUT(w->startPageChosen(), PageLoadMs);
                                 w->findChild<QPushButton*>(QStringLiteral("按钮保存提取到"))->click();
                             });
                         });
        f->portal->OpenLoginExtractWindow(AgentRentListUrl(f->hosts));
        QVERIFY(saw);
        QCOMPARE(f->state.ExtractStartUrl, AgentRentListUrl(f->hosts));
        // Saved right after opening: the opener receives an empty text.
        QCOMPARE(f->state.CollectedIdText, QString());
        QVERIFY(!f->portal->openWindow());
    }
};

TAVREL_BROWSER_TEST_MAIN(ExtractionWindowTest)
#include "test_extraction_window.moc"
