#pragma once

#include "common/app_state.h"
#include "common/portal_hosts.h"

#include <QObject>
#include <QString>

#include <memory>

class Clock;
class GlobalHotkey;
class HttpClient;
class InterfaceLock;
class ListingRefresher;
class MainWindow;
class MessagePresenter;
class PlanStore;
class PortalAccess;
class PowerControl;
class RefreshRunLoop;
class ScheduledShutdown;
class SettingsFile;

// The services a running program is made of. main() fills it with the real ones;
// tests with fakes.
struct AppEnvironment
{
    QString programDir; // data/ lives here
    PortalHosts hosts;
    Clock* clock = nullptr;
    MessagePresenter* messages = nullptr;
    GlobalHotkey* hotkey = nullptr;
    PowerControl* power = nullptr;
};

// The whole program: process-wide state, plan store, main window and the wiring of
// every feature to it.
class Application final : public QObject
{
    Q_OBJECT
public:
    explicit Application(const AppEnvironment& environment, QObject* parent = nullptr);
    ~Application() override;

    // Creates and shows the main window. False when data/data.mdb cannot be opened: the
    // user has been told and the window is gone.
    bool start();

    AppState& state() { return m_state; }
    PlanStore& store() { return *m_store; }
    // data/pz.ini
    SettingsFile& settings() { return *m_settings; }
    // The embedded browser's side of the program: login window and its profile.
    PortalAccess& portal() { return *m_portal; }
    MainWindow* mainWindow() const { return m_mainWindow.get(); }
    InterfaceLock* interfaceLock() const { return m_lock; }
    // "开始操作" / "停止"; made by start().
    RefreshRunLoop* runLoop() const { return m_runLoop.get(); }
    const AppEnvironment& environment() const { return m_env; }
    // The shared network manager and cookie store (data/cookies.txt).
    HttpClient& http() { return *m_http; }
    // Made by start(), with the main window as its view.
    ListingRefresher* refresher() const { return m_refresher.get(); }
    QString dataDir() const;

signals:
    // The main window was closed after the user confirmed; the program should end.
    void finished();

private:
    // Modal over the main window; the plan list is filled again when it closes.
    void openPlanEditor(const QString& nick);

    AppEnvironment m_env;
    AppState m_state;
    std::unique_ptr<PlanStore> m_store;
    std::unique_ptr<SettingsFile> m_settings;
    std::unique_ptr<HttpClient> m_http;
    std::unique_ptr<PortalAccess> m_portal;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<ListingRefresher> m_refresher;
    // Declared after the window it uses, so it goes first.
    std::unique_ptr<RefreshRunLoop> m_runLoop;
    // Both are children of the main window.
    ScheduledShutdown* m_shutdown = nullptr;
    InterfaceLock* m_lock = nullptr;
};
