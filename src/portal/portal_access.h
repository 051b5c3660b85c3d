#pragma once

#include "common/portal_hosts.h"
#include "pageauto/document_automation.h"

#include <QObject>
#include <QPointer>
#include <QString>

struct AppState;
class BrowserCookieSync;
class HttpClient;
class LoginExtractWindow;
class MessagePresenter;
class QWebEngineProfile;
class QWidget;
class SettingsFile;

// The program's way into the portal's pages: owns the embedded browser's profile (made
// at the first opening, so the browser engine is not started before it is needed), the
// document automation object, and opens the login window.
class PortalAccess : public QObject
{
    Q_OBJECT
public:
    // dataDir: the program's data/ folder, where the browser keeps its storage.
    PortalAccess(AppState& state, HttpClient& http, MessagePresenter& messages, SettingsFile& settings,
                 const PortalHosts& hosts, const QString& dataDir, QObject* parent = nullptr);
    ~PortalAccess() override;

    // Sets ExtractStartUrl and shows "登录提取" modally over parent; returns when it has
    // closed. CollectedIdText then holds what "保存提取" handed on (empty otherwise).
    void OpenLoginExtractWindow(const QString& startUrl, QWidget* parent = nullptr);

    // The persistent browser profile, made on first use.
    QWebEngineProfile& browserProfile();
    bool browserStarted() const { return m_profile != nullptr; }
    DocumentAutomation& automation() { return m_automation; }
    const PortalHosts& hosts() const { return m_hosts; }
    // The window while it is open (for the program's tests), else null.
    LoginExtractWindow* openWindow() const;

signals:
    // Emitted when an opened window is about to run modally.
    void loginWindowOpened(LoginExtractWindow* window);

private:
    AppState& m_state;
    HttpClient& m_http;
    MessagePresenter& m_messages;
    SettingsFile& m_settings;
    PortalHosts m_hosts;
    QString m_dataDir;
    DocumentAutomation m_automation;
    QWebEngineProfile* m_profile = nullptr;
    BrowserCookieSync* m_cookieSync = nullptr;
    QPointer<LoginExtractWindow> m_window;
};
