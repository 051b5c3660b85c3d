#include "shell/platform/x11_hotkey.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace {

const quint16 kLockVariants[] = {0, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};
constexpr quint16 kRelevantMods = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

} // namespace

X11Hotkey::X11Hotkey(QObject* parent)
    : GlobalHotkey(parent)
{
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
        m_connection = x11->connection();
        if (m_connection) {
            const xcb_setup_t* setup = xcb_get_setup(m_connection);
            m_root = xcb_setup_roots_iterator(setup).data->root;
        }
    }
    if (m_connection)
        qApp->installNativeEventFilter(this);
}

X11Hotkey::~X11Hotkey()
{
    const QList<int> ids = m_grabs.keys();
    for (int id : ids)
        release(id);
    if (m_connection)
        qApp->removeNativeEventFilter(this);
}

int X11Hotkey::claimAltKey(char letter)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!m_connection || !x11 || !x11->display())
        return 0;
    const KeySym sym = XStringToKeysym(QByteArray(1, char(letter | 0x20)).constData());
    const quint8 keycode = XKeysymToKeycode(x11->display(), sym);
    if (keycode == 0)
        return 0;
    bool ok = true;
    for (quint16 variant : kLockVariants) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 1, m_root, XCB_MOD_MASK_1 | variant,
                                                              keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        // Another client's grab answers BadAccess: the key is taken.
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            free(error);
            ok = false;
        }
    }
    if (!ok) {
        ungrab(keycode);
        return 0;
    }
    const int id = m_nextId++;
    m_grabs.insert(id, Grab{keycode});
    return id;
}

void X11Hotkey::ungrab(quint8 keycode)
{
    for (quint16 variant : kLockVariants)
        xcb_ungrab_key(m_connection, keycode, m_root, XCB_MOD_MASK_1 | variant);
    xcb_flush(m_connection);
}

void X11Hotkey::release(int id)
{
    const auto it = m_grabs.constFind(id);
    if (it == m_grabs.cend() || !m_connection)
        return;
    ungrab(it->keycode);
    m_grabs.erase(it);
}

bool X11Hotkey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
    if ((key->state & kRelevantMods) != XCB_MOD_MASK_1)
        return false;
    for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
        if (it->keycode == key->detail) {
            emit activated(it.key());
            return true;
        }
    }
    return false;
}
