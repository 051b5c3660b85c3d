#pragma once

#include "shell/lock_window.h"

#include <QObject>
#include <QPointer>

class MessagePresenter;
class SettingsFile;
class QWidget;
struct AppState;

// Locking hides the main window behind LockWindow; the program is locked exactly while
// that window exists. The refresh loop and the timers keep running meanwhile.
class InterfaceLock : public QObject
{
    Q_OBJECT
public:
    InterfaceLock(QWidget& mainWindow, AppState& state, SettingsFile& settings, MessagePresenter& messages,
        QObject* parent = nullptr);

    // The click on "锁定界面". Without a usable stored password it first asks for a new
    // one; cancelling that leaves the interface unlocked.
    void Lock();
    bool isLocked() const
    {
        return !m_window.isNull();
    }
    LockWindow* lockWindow() const
    {
        return m_window;
    }
    // The show/hide hot key while locked: flips the lock window and never shows the
    // main window. False when not locked (the hot key then flips the main window).
    bool flipLockWindow();

signals:
    void lockedChanged(bool locked);

private:
    bool ensurePassword();
    void unlock();

    QWidget& m_mainWindow;
    AppState& m_state;
    SettingsFile& m_settings;
    MessagePresenter& m_messages;
    QPointer<LockWindow> m_window;
};
