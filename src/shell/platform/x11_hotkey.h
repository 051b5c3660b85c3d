#pragma once

#include "shell/platform/global_hotkey.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QList>

struct xcb_connection_t;

// Alt+key grabbed on the X root window. Each claim grabs the key with every
// combination of NumLock and CapsLock, or it would stop working while either is on.
class X11Hotkey final : public GlobalHotkey, public QAbstractNativeEventFilter
{
public:
    explicit X11Hotkey(QObject* parent = nullptr);
    ~X11Hotkey() override;
    int claimAltKey(char letter) override;
    void release(int id) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab
    {
        quint8 keycode = 0;
    };
    void ungrab(quint8 keycode);
    xcb_connection_t* m_connection = nullptr;
    quint32 m_root = 0;
    QHash<int, Grab> m_grabs;
    int m_nextId = 1;
};
