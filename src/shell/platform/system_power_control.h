#pragma once

#include "shell/platform/power_control.h"

#include <memory>

// The machine's own power-off: systemd-logind on Linux, ExitWindowsEx on Windows.
// Only main() makes one; tests use a fake.
std::unique_ptr<PowerControl> CreateSystemPowerControl();
