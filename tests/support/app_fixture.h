#pragma once

// The real program built from fakes in a temporary program folder, for tests that
// link tavrel_shell.
#include "shell/application.h"
#include "support/fake_clock.h"
#include "support/fake_message_presenter.h"
#include "support/fake_platform.h"
#include "support/temp_data_dir.h"

#include <memory>

struct AppFixture
{
    explicit AppFixture(bool withDatabase = true, const PortalHosts& hosts = {})
        : dir(withDatabase)
    {
        env.programDir = dir.root();
        env.hosts = hosts;
        env.clock = &clock;
        env.messages = &messages;
        env.hotkey = &hotkey;
        env.power = &power;
        app = std::make_unique<Application>(env);
    }

    TempDataDir dir;
    FakeClock clock;
    FakeMessagePresenter messages;
    FakeHotkey hotkey;
    FakePowerControl power;
    AppEnvironment env;
    std::unique_ptr<Application> app;
};
