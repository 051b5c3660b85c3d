#include "pageauto/document_automation.h"
#include "support/browser_test_main.h"

#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>

namespace {

const QUrl PageUrl(QStringLiteral("http://127.0.0.1/page.html"));

const char* const LoginPage = R"(<html><head><title>登录页</title></head><body><form>
<input type="hidden" name="state" value="h">
<input type="text" name="user" value="alice">
<input type="checkbox" name="remember" checked>
<input type="password" name="pw" value="secret">
</form></body></html>)";

const char* const NamedTwoPage = R"(<html><body>
<input type="text" name="2" value="named-two">
<input type="text" name="other" value="second">
</body></html>)";

const char* const ListPage = R"(<html><head><title>房源</title></head><body><table>
<tr><td><input type="checkbox" name="all" title="全选"></td></tr>
<tr><td><input type="checkbox" name="selectitem" value="101" checked></td></tr>
<tr><td><input type="text" name="q" value="x"></td></tr>
<tr><td><input type="checkbox" name="selectitem" id="row102" value="102"></td></tr>
<tr><td><input type="checkbox" name="selectitem" value="103" checked></td></tr>
</table></body></html>)";

// Page scripts that replace the DOM functions must not blind the reader.
const char* const HostilePage = R"(<html><head><title>改写</title><script>
document.getElementsByTagName = function () { return []; };
Element.prototype.getElementsByTagName = function () { return []; };
Object.defineProperty(document, 'title', { get: function () { return 'fake'; } });
</script></head><body><input type="text" name="user" value="kept"></body></html>)";

} // namespace

class DocumentAutomationTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWebEngineView> m_view;

    void show(const char* html, const QUrl& url = PageUrl)
    {
        QSignalSpy loaded(m_view.get(), &QWebEngineView::loadFinished);
        m_view->setHtml(QString::fromUtf8(html), url);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 20000);
        QVERIFY(loaded.first().first().toBool());
    }

    QVariant mainWorld(const QString& script)
    {
        auto result = std::make_shared<std::optional<QVariant>>();
        m_view->page()->runJavaScript(script, QWebEngineScript::MainWorld,
                                      [result](const QVariant& v) { *result = v; });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(result->has_value(), 10000); }();
        return result->value_or(QVariant());
    }

private slots:
    void init()
    {
        m_view = std::make_unique<QWebEngineView>();
        m_view->resize(640, 480);
        m_view->show();
    }

    void cleanup()
    {
        m_view.reset();
    }

    void withoutDocumentEverythingIsEmpty()
    {
        DocumentAutomation automation;
        QVERIFY(!automation.AttachToBrowserWindow(nullptr));
        QVERIFY(!automation.hasDocument());
        QCOMPARE(automation.DocumentTitle(), QString());
        QCOMPARE(automation.InputBoxValue(QStringLiteral("1")), QString());
        QVERIFY(!automation.SetInputBoxValue(QStringLiteral("1"), QStringLiteral("x")));
        QVERIFY(!automation.IsCheckBoxChecked(QStringLiteral("1")));
        QCOMPARE(automation.CheckBoxCount(), 0);
        QString title = QStringLiteral("old"), name = title, id = title, type = title;
        InputElement element{QStringLiteral("t"), {}, {}, {}, QStringLiteral("v"), true};
        QVERIFY(!automation.CheckBoxInfo(1, &title, &name, &id, &type, &element));
        QCOMPARE(title + name + id + type, QString());
        QCOMPARE(element, InputElement());
    }

    void readsAndFillsInputBoxes()
    {
        show(LoginPage);
        DocumentAutomation automation;
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(automation.DocumentTitle(), QStringLiteral("登录页"));
        QCOMPARE(automation.InputBoxValue(QStringLiteral("1")), QStringLiteral("alice"));
        QCOMPARE(automation.InputBoxValue(QStringLiteral("2")), QStringLiteral("secret"));
        QCOMPARE(automation.InputBoxValue(QStringLiteral("3")), QString());
        QCOMPARE(automation.CheckBoxCount(), 1);

        QVERIFY(automation.SetInputBoxValue(QStringLiteral("1"), QStringLiteral("张三 \"quoted\" \\ '")));
        QVERIFY(automation.SetInputBoxValue(QStringLiteral("pw"), QString()));
        QVERIFY(!automation.SetInputBoxValue(QStringLiteral("3"), QStringLiteral("nowhere")));
        QCOMPARE(mainWorld(QStringLiteral("document.getElementsByName('user')[0].value")).toString(),
                 QStringLiteral("张三 \"quoted\" \\ '"));
        QCOMPARE(automation.InputBoxValue(QStringLiteral("2")), QString());
        QCOMPARE(mainWorld(QStringLiteral("document.getElementsByName('state')[0].value")).toString(),
                 QStringLiteral("h"));
    }

    void inputNamedTwoIsFoundFirst()
    {
        show(NamedTwoPage);
        DocumentAutomation automation;
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(automation.InputBoxValue(QStringLiteral("2")), QStringLiteral("named-two"));
        QCOMPARE(automation.InputBoxValue(QStringLiteral("2"), 1), QStringLiteral("second"));
    }

    void walksCheckBoxes()
    {
        show(ListPage);
        DocumentAutomation automation;
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        const int count = automation.CheckBoxCount();
        QCOMPARE(count, 4);
        QStringList seen;
        for (int i = 1; i <= count; ++i) {
            QString title, name, id, type;
            InputElement element;
            QVERIFY(automation.CheckBoxInfo(i, &title, &name, &id, &type, &element));
            QCOMPARE(type, QStringLiteral("checkbox"));
            QCOMPARE(element.name, name);
            seen << name + u':' + element.value + u':' + id + u':' + title + u':'
                        + (automation.IsCheckBoxChecked(QString::number(i)) ? u'1' : u'0');
        }
        QCOMPARE(seen, QStringList({QStringLiteral("all:on::全选:0"), QStringLiteral("selectitem:101:::1"),
                                    QStringLiteral("selectitem:102:row102::0"),
                                    QStringLiteral("selectitem:103:::1")}));

        QString title = QStringLiteral("old"), name = title, id = title, type = title;
        InputElement element{QStringLiteral("t"), {}, {}, {}, QStringLiteral("v"), true};
        QVERIFY(!automation.CheckBoxInfo(count + 1, &title, &name, &id, &type, &element));
        QCOMPARE(title + name + id + type, QString());
        QCOMPARE(element, InputElement());
        QVERIFY(automation.IsCheckBoxChecked(QStringLiteral("row102")) == false);
        mainWorld(QStringLiteral("document.getElementById('row102').checked = true"));
        QVERIFY(automation.IsCheckBoxChecked(QStringLiteral("row102")));
    }

    void markingShowsRunningNumbers()
    {
        show(ListPage);
        DocumentAutomation automation;
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(automation.CheckBoxCount(true), 4);
        const QString text = mainWorld(QStringLiteral("document.body.innerText")).toString();
        for (int i = 1; i <= 4; ++i)
            QVERIFY2(text.contains(QStringLiteral("[复%1]").arg(i)), qPrintable(text));
        QCOMPARE(automation.CheckBoxCount(), 4);
    }

    void pageScriptsCannotHideTheDocument()
    {
        show(HostilePage);
        DocumentAutomation automation;
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(automation.DocumentTitle(), QStringLiteral("改写"));
        QCOMPARE(automation.InputBoxValue(QStringLiteral("user")), QStringLiteral("kept"));
    }

    void heldDocumentEndsWithItsPage()
    {
        show(LoginPage);
        DocumentAutomation automation;
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        DocumentAutomation copy = automation;
        QCOMPARE(copy.DocumentTitle(), QStringLiteral("登录页"));

        show(ListPage, QUrl(QStringLiteral("http://127.0.0.1/list.html")));
        // The attached page is gone: nothing of the new page is read through it.
        QCOMPARE(automation.DocumentTitle(), QString());
        QCOMPARE(automation.CheckBoxCount(), 0);
        QVERIFY(!automation.SetInputBoxValue(QStringLiteral("1"), QStringLiteral("x")));
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(automation.DocumentTitle(), QStringLiteral("房源"));

        automation.ReleaseDocument();
        QVERIFY(!automation.hasDocument());
        QCOMPARE(automation.DocumentTitle(), QString());
    }

    void pageStillLoadingIsNotTaken()
    {
        show(LoginPage);
        DocumentAutomation automation;
        QSignalSpy loaded(m_view.get(), &QWebEngineView::loadFinished);
        m_view->setHtml(QString::fromUtf8(ListPage), QUrl(QStringLiteral("http://127.0.0.1/list.html")));
        // Until the new page has loaded, the view offers no document to take, not even
        // the old one that is still on show.
        QVERIFY(!automation.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(automation.DocumentTitle(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 20000);
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(automation.DocumentTitle(), QStringLiteral("房源"));
    }

    void lateAnswerIsIgnored()
    {
        show(LoginPage);
        DocumentAutomation impatient(0);
        // With no time to wait, every read gives up before the page can answer.
        QVERIFY(!impatient.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(impatient.DocumentTitle(), QString());
        // Scripts answer in order: once this one is back, the late answers have arrived too.
        DocumentAutomation patient;
        QVERIFY(patient.AttachToBrowserWindow(m_view.get()));
        QCOMPARE(patient.DocumentTitle(), QStringLiteral("登录页"));
        QVERIFY(!impatient.hasDocument());
    }

    void viewDestroyedWhileAttached()
    {
        show(LoginPage);
        DocumentAutomation automation;
        QVERIFY(automation.AttachToBrowserWindow(m_view.get()));
        m_view.reset();
        QCOMPARE(automation.DocumentTitle(), QString());
        QCOMPARE(automation.CheckBoxCount(), 0);
        QVERIFY(!automation.SetInputBoxValue(QStringLiteral("1"), QStringLiteral("x")));
    }
};

TAVREL_BROWSER_TEST_MAIN(DocumentAutomationTest)
#include "test_document_automation.moc"
