#include "shell/application.h"

#include "common/message_presenter.h"
#include "plans/plan_store.h"
#include "shell/main_window.h"

Application::Application(const AppEnvironment& environment, QObject* parent)
    : QObject(parent)
    , m_env(environment)
    , m_store(std::make_unique<PlanStore>(*environment.clock))
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
    connect(m_mainWindow.get(), &MainWindow::closeAccepted, this, &Application::finished);
    m_mainWindow->show();
    return true;
}
