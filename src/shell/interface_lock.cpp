#include "shell/interface_lock.h"

#include "common/app_state.h"
#include "plans/settings_file.h"
#include "shell/lock_window.h"
#include "shell/new_password_dialog.h"
#include "shell/unlock_password.h"

#include <QWidget>

InterfaceLock::InterfaceLock(
    QWidget& mainWindow, AppState& state, SettingsFile& settings, MessagePresenter& messages, QObject* parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
    , m_state(state)
    , m_settings(settings)
    , m_messages(messages)
{ }

bool InterfaceLock::ensurePassword()
{
    if (IsUnlockPasswordHash(m_state.UnlockPassword))
        return true;
    NewPasswordDialog dialog(m_messages, &m_mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_state.UnlockPassword = HashUnlockPassword(dialog.password());
    WriteUnlockPassword(m_settings, m_state.UnlockPassword);
    return true;
}

void InterfaceLock::Lock()
{
    if (isLocked() || !ensurePassword())
        return;
    m_mainWindow.hide();
    auto* window = new LockWindow(m_state.UnlockPassword, m_messages, &m_mainWindow);
    m_window = window;
    // Where the main window was, so the user finds the prompt where the program stood.
    window->move(m_mainWindow.geometry().center() - window->rect().center());
    connect(window, &LockWindow::unlocked, this, &InterfaceLock::unlock);
    window->show();
    emit lockedChanged(true);
}

void InterfaceLock::unlock()
{
    LockWindow* window = m_window;
    if (!window)
        return;
    m_window.clear();
    m_mainWindow.show();
    window->hide();
    // Destroyed once its click handler has returned.
    window->deleteLater();
    emit lockedChanged(false);
}

bool InterfaceLock::flipLockWindow()
{
    if (!m_window)
        return false;
    m_window->setVisible(!m_window->isVisible());
    return true;
}
