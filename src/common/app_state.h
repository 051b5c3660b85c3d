#pragma once

#include "common/fired_node_set.h"

#include <QString>

// The process-wide values through which the windows and the refresh engine hand data
// to each other. One instance is made in main() and passed by reference; nothing here
// is saved, every start begins empty. Only the UI thread touches it.
struct AppState
{
    int RunFlag = 0;
    FiredNodeSet FiredNodeLog;
    QString AgentId;
    QString PlanNameToEdit;
    QString ExtractStartUrl;
    QString CollectedIdText;
    int HideHotkeyId = 0;
    // What the lock window compares against (a salted hash, see the lock).
    QString UnlockPassword;
};
