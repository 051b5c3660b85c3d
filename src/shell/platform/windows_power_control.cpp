#include "shell/platform/system_power_control.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <windows.h>

namespace {

// Forced power-off needs SeShutdownPrivilege enabled in the process token first.
bool EnableShutdownPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok = LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    if (ok) {
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        // AdjustTokenPrivileges succeeds even when the privilege was not granted;
        // only the last error tells.
        ok = GetLastError() == ERROR_SUCCESS;
    }
    CloseHandle(token);
    return ok;
}

class WindowsPowerControl final : public PowerControl
{
public:
    bool PowerOff() override
    {
        if (!EnableShutdownPrivilege())
            return false;
        return ExitWindowsEx(EWX_POWEROFF | EWX_FORCE, 0) != 0;
    }
};

} // namespace

std::unique_ptr<PowerControl> CreateSystemPowerControl()
{
    return std::make_unique<WindowsPowerControl>();
}

#endif
