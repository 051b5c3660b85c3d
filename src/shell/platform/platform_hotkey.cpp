#include "shell/platform/platform_hotkey.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
#include "shell/platform/win_hotkey.h"
#elif defined(TAVREL_HAVE_X11)
#include "shell/platform/x11_hotkey.h"
#endif

std::unique_ptr<GlobalHotkey> CreatePlatformHotkey()
{
#if defined(Q_OS_WIN)
    return std::make_unique<WinHotkey>();
#else
#if defined(TAVREL_HAVE_X11)
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11Hotkey>();
#endif
    return std::make_unique<NullHotkey>();
#endif
}
