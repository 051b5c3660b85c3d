#include "shell/application.h"

#include "common/message_presenter.h"
#include "engine/listing_refresher.h"
#include "engine/run_loop.h"
#include "http/http_client.h"
#include "plans/plan_editor_window.h"
#include "plans/plan_store.h"
#include "plans/settings_file.h"
#include "portal/portal_access.h"
#include "portal/portal_urls.h"
#include "shell/interface_lock.h"
#include "shell/main_window.h"
#include "shell/scheduled_shutdown.h"
#include "shell/unlock_password.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

Application::Application(const AppEnvironment& environment, QObject* parent)
    : QObject(parent)
    , m_env(environment)
    , m_store(std::make_unique<PlanStore>(*environment.clock))
    , m_settings(std::make_unique<SettingsFile>(dataDir() + QStringLiteral("/pz.ini")))
    , m_http(std::make_unique<HttpClient>(dataDir() + QStringLiteral("/cookies.txt")))
    , m_portal(std::make_unique<PortalAccess>(m_state, *m_http, *m_env.messages, *m_settings, m_env.hosts, dataDir()))
{
}

Application::~Application() = default;

QString Application::dataDir() const
{
    return m_env.programDir + QStringLiteral("/data");
}

bool Application::start()
{
    m_mainWindow = std::make_unique<MainWindow>(m_state, *m_store, *m_env.clock, *m_env.messages, *m_env.hotkey);
    if (!m_store->OpenPlanStore(dataDir() + QStringLiteral("/data.mdb"))) {
        m_env.messages->showMessage(QStringLiteral("数据库连接失败"));
        m_mainWindow->closeWithoutConfirmation();
        m_mainWindow.reset();
        return false;
    }
    MainWindow* window = m_mainWindow.get();
    m_refresher = std::make_unique<ListingRefresher>(m_state, *m_http, *m_store, *window, *m_env.messages, m_env.hosts);
    m_runLoop = std::make_unique<RefreshRunLoop>(m_state, *m_env.clock, *m_store, *window, *m_refresher);
    // Closing during a run: the loop lets go of the window, sends nothing more and returns
    // once the request under way has come back; only then does the program end. Ending
    // the event loop earlier would cut that request off mid-wait, and the window must
    // outlive the handler that is still running on it.
    connect(window, &MainWindow::closeAccepted, this, [this] {
        m_runLoop->abandon();
        if (!m_runLoop->isRunning())
            emit finished();
    });
    connect(window->startButton(), &QPushButton::clicked, this, [this] {
        m_runLoop->RunRefreshLoop();
        if (m_runLoop->isAbandoned())
            emit finished();
    });
    connect(window->stopButton(), &QPushButton::clicked, this, [this] { m_runLoop->Stop(); });

    m_shutdown = new ScheduledShutdown(window->shutdownCheck(), window->shutdownDateEdit(), *window, *m_env.clock,
                                       *m_env.messages, *m_env.power, window);
    connect(window->shutdownTimer(), &QTimer::timeout, m_shutdown, &ScheduledShutdown::ShutdownTick);

    m_state.UnlockPassword = ReadUnlockPassword(*m_settings);
    m_lock = new InterfaceLock(*window, m_state, *m_settings, *m_env.messages, window);
    connect(window->lockButton(), &QPushButton::clicked, m_lock, &InterfaceLock::Lock);
    window->setLockWindowProvider([lock = m_lock]() -> QWidget* { return lock->lockWindow(); });

    connect(m_mainWindow->planSettingsButton(), &QPushButton::clicked, this, [this] { openPlanEditor({}); });
    connect(m_mainWindow->loginButton(), &QPushButton::clicked, this, [this] {
        m_portal->OpenLoginExtractWindow(PublicStartUrl(m_env.hosts), m_mainWindow.get());
    });
    connect(m_mainWindow.get(), &MainWindow::editPlanRequested, this, &Application::openPlanEditor);
    m_mainWindow->show();
    return true;
}

void Application::openPlanEditor(const QString& nick)
{
    m_state.PlanNameToEdit = nick;
    PlanEditorWindow* over = nullptr;
    PlanEditorWindow editor(
        m_state, *m_store, *m_settings, *m_env.messages, m_env.hosts,
        [this, &over](const QString& startUrl) { m_portal->OpenLoginExtractWindow(startUrl, over); },
        m_mainWindow.get());
    over = &editor;
    editor.exec();
    m_mainWindow->FillPlanList();
}
