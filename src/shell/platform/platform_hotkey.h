#pragma once

#include "shell/platform/global_hotkey.h"

#include <memory>

// The platform's hot key: X11 grabs, Windows RegisterHotKey, or one that never claims
// (Wayland, offscreen) so the feature quietly does nothing.
std::unique_ptr<GlobalHotkey> CreatePlatformHotkey();

class NullHotkey final : public GlobalHotkey
{
public:
    using GlobalHotkey::GlobalHotkey;
    int claimAltKey(char) override { return 0; }
    void release(int) override { }
};
