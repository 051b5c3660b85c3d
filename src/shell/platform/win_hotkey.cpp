#include "shell/platform/win_hotkey.h"

#include <QCoreApplication>

#include <windows.h>

WinHotkey::WinHotkey(QObject* parent)
    : GlobalHotkey(parent)
{
    qApp->installNativeEventFilter(this);
}

WinHotkey::~WinHotkey()
{
    qApp->removeNativeEventFilter(this);
}

int WinHotkey::claimAltKey(char letter)
{
    const int id = m_nextId++;
    const UINT vk = UINT(letter & ~0x20);
    return RegisterHotKey(nullptr, id, MOD_ALT, vk) ? id : 0;
}

void WinHotkey::release(int id)
{
    if (id != 0)
        UnregisterHotKey(nullptr, id);
}

bool WinHotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "windows_generic_MSG")
        return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message != WM_HOTKEY)
        return false;
    emit activated(int(msg->wParam));
    return true;
}
