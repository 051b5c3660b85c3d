#pragma once

// Fakes of the platform services, for tests that link tavrel_shell. Nothing here can
// reach the real hot key or power-off.
#include "shell/platform/global_hotkey.h"
#include "shell/platform/power_control.h"

#include <QSet>

class FakeHotkey final : public GlobalHotkey
{
public:
    using GlobalHotkey::GlobalHotkey;
    int claimAltKey(char letter) override
    {
        if (refuse)
            return 0;
        claimedLetter = letter;
        const int id = 7;
        held.insert(id);
        return id;
    }
    void release(int id) override { held.remove(id); }
    // Delivers a key press as the platform would.
    void press(int id) { emit activated(id); }

    bool refuse = false;
    char claimedLetter = 0;
    QSet<int> held;
};

class FakePowerControl final : public PowerControl
{
public:
    bool PowerOff() override
    {
        ++calls;
        return result;
    }
    int calls = 0;
    bool result = true;
};
