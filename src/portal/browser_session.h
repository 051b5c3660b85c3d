#pragma once

#include "pageauto/document_automation.h"
#include "portal/browser_host.h"

#include <QPointer>

class BrowserCookieSync;
class LoginExtractWindow;
class QWebEngineProfile;

// The browser side of the program: one persistent named profile under data/browser,
// its cookie store kept in step with the program's jar, the one document automation
// object, and the login window.
class BrowserSessionImpl final : public BrowserSession
{
public:
    explicit BrowserSessionImpl(BrowserHost& host);
    ~BrowserSessionImpl() override;

    void jarCookieAdded(const QNetworkCookie& cookie) override;
    void jarCookieRemoved(const QNetworkCookie& cookie) override;
    void runLoginExtractWindow(QWidget* parent, const std::function<void(QDialog*)>& opened) override;

    QWebEngineProfile& profile() { return *m_profile; }
    DocumentAutomation& automation() { return m_automation; }

private:
    BrowserHost& m_host;
    DocumentAutomation m_automation;
    QWebEngineProfile* m_profile = nullptr;
    BrowserCookieSync* m_cookieSync = nullptr;
};

// Makes the browser side (what the module's entry point returns).
BrowserSession* CreateBrowserSession(BrowserHost& host);
