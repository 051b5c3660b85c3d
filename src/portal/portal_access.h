#pragma once

#include "common/portal_hosts.h"
#include "portal/browser_host.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

struct AppState;
class HttpClient;
class MessagePresenter;
class QDialog;
class QLibrary;
class QWidget;
class SettingsFile;

// The program's way into the portal's pages. The embedded browser and the login window
// live in the browser module, which is loaded at the first opening: until then the
// browser engine is neither loaded nor started.
class PortalAccess : public QObject, public BrowserHost
{
    Q_OBJECT
public:
    // dataDir: the program's data/ folder, where the browser keeps its storage.
    // factory: makes the browser side; without one the browser module is loaded.
    PortalAccess(AppState& state, HttpClient& http, MessagePresenter& messages, SettingsFile& settings,
                 const PortalHosts& hosts, const QString& dataDir, BrowserSessionFactory factory = nullptr,
                 QObject* parent = nullptr);
    ~PortalAccess() override;

    // Sets ExtractStartUrl and shows "登录提取" modally over parent; returns when it has
    // closed. CollectedIdText then holds what "保存提取" handed on (empty otherwise).
    void OpenLoginExtractWindow(const QString& startUrl, QWidget* parent = nullptr);

    // The browser side, made (and the module loaded) on first use; null when the module
    // cannot be loaded.
    BrowserSession* browserSession();
    bool browserStarted() const { return m_session != nullptr; }
    // The window while it is open, else null.
    QDialog* openWindow() const;

    // BrowserHost
    AppState& state() override { return m_state; }
    const PortalHosts& hosts() const override { return m_hosts; }
    QString dataDir() const override { return m_dataDir; }
    QByteArray httpGet(const QString& url) override;
    QString readSetting(const QString& section, const QString& key) override;
    void writeSetting(const QString& section, const QString& key, const QString& value) override;
    void showMessage(const QString& text) override;
    QList<QNetworkCookie> jarCookies() override;
    void insertJarCookieQuietly(const QNetworkCookie& cookie) override;
    void deleteJarCookieQuietly(const QNetworkCookie& cookie) override;

signals:
    // An opened window is about to run modally.
    void loginWindowOpened(QDialog* window);

private:
    BrowserSessionFactory loadModule();

    AppState& m_state;
    HttpClient& m_http;
    MessagePresenter& m_messages;
    SettingsFile& m_settings;
    PortalHosts m_hosts;
    QString m_dataDir;
    BrowserSessionFactory m_factory;
    std::unique_ptr<QLibrary> m_module;
    std::unique_ptr<BrowserSession> m_session;
    QPointer<QDialog> m_window;
};
