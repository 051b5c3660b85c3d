#pragma once

#include <QString>

// What the refresh engine needs of the main window. The main window implements it;
// tests use a plain fake, so the engine is tested without a window.
class EngineView
{
public:
    virtual ~EngineView() = default;
    // Appends raw text (the caller formats the line) to the operation log.
    virtual void appendLogText(const QString& text) = 0;
    // Status bar panel 0..3.
    virtual void setStatusPanel(int panel, const QString& text) = 0;
    virtual QString statusPanel(int panel) const = 0;
    virtual int planRowCount() const = 0;
    // Column 1 (方案名) of a row; empty when the row does not exist.
    virtual QString planRowName(int row) const = 0;
    // Writes count into column 3 (已刷新) of the first row named nick, if any.
    virtual void ShowPlanToday(const QString& nick, int count) = 0;
    virtual void setStartEnabled(bool enabled) = 0;
};
