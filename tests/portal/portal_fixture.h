#pragma once

// The login window's world for tests: the portal simulator on 127.0.0.1, a temporary
// program folder, the shared HTTP client and the portal access object.
#include "common/app_state.h"
#include "http/http_client.h"
#include "pageauto/document_automation.h"
#include "plans/settings_file.h"
#include "portal/browser_session.h"
#include "portal/login_extract_window.h"
#include "portal/portal_access.h"
#include "portal/portal_urls.h"
#include "portal_simulator.h"
#include "support/fake_message_presenter.h"
#include "support/temp_data_dir.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <memory>
#include <optional>

struct PortalFixture
{
    PortalFixture()
        : dir(false)
    {
        simulatorStarted = sim.start();
        hosts = {sim.hostPort(), sim.hostPort(), sim.hostPort()};
        startProgram();
    }

    ~PortalFixture()
    {
        window.reset();
        portal.reset();
        http.reset();
    }

    QString cookieFile() const { return dir.dataDir() + QStringLiteral("/cookies.txt"); }

    // A fresh HTTP client and portal access on the saved files, as after a restart.
    void startProgram()
    {
        window.reset();
        portal.reset();
        http.reset();
        http = std::make_unique<HttpClient>(cookieFile());
        portal = std::make_unique<PortalAccess>(state, *http, messages, settings, hosts, dir.dataDir(),
                                                &CreateBrowserSession);
    }

    // Opens the window (not modally, so the test can drive it) as an opener would.
    LoginExtractWindow& open(const QString& startUrl)
    {
        state.ExtractStartUrl = startUrl;
        auto* session = static_cast<BrowserSessionImpl*>(portal->browserSession());
        window = std::make_unique<LoginExtractWindow>(
            LoginWindowServices{*portal, session->automation(), session->profile()});
        window->show();
        return *window;
    }

    QPushButton* button(const char* objectName) const
    {
        return window->findChild<QPushButton*>(QString::fromUtf8(objectName));
    }

    // Runs a script as the page itself would (main world) and returns its answer.
    QVariant pageScript(const QString& script)
    {
        auto result = std::make_shared<std::optional<QVariant>>();
        window->browser()->page()->runJavaScript(script, QWebEngineScript::MainWorld,
                                                 [result](const QVariant& v) { *result = v; });
        if (!QTest::qWaitFor([&] { return result->has_value(); }, 10000))
            return {};
        return result->value_or(QVariant());
    }

    QString pageUrl() const { return window->browser()->url().toString(); }

    // True once the browser shows a fully loaded document titled title.
    bool showing(const QString& title)
    {
        if (window->browser()->page()->isLoading())
            return false;
        return pageScript(QStringLiteral("document.readyState === 'complete' ? document.title : ''")).toString()
            == title;
    }

    QString signInUrl() const { return sim.baseUrl() + PortalSimulator::signInPath(); }

    // Signs in through the browser's own sign-in form.
    void signInInBrowser(const QString& user, const QString& password)
    {
        const QString script = QStringLiteral("document.getElementById('username').value = %1;"
                                              "document.getElementById('password').value = %2;"
                                              "document.forms[0].submit(); true;")
                                   .arg(jsText(user), jsText(password));
        pageScript(script);
    }

    static QString jsText(const QString& text)
    {
        QString out = QStringLiteral("'");
        for (const QChar c : text) {
            if (c == u'\'' || c == u'\\')
                out += u'\\';
            out += c;
        }
        return out + u'\'';
    }

    TempDataDir dir;
    PortalSimulator sim;
    bool simulatorStarted = false;
    PortalHosts hosts;
    AppState state;
    FakeMessagePresenter messages;
    SettingsFile settings{dir.dataDir() + QStringLiteral("/pz.ini")};
    std::unique_ptr<HttpClient> http;
    std::unique_ptr<PortalAccess> portal;
    std::unique_ptr<LoginExtractWindow> window;
};
