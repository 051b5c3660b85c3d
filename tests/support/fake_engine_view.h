#pragma once

// The main window as the refresh engine sees it, without a window: the operation log,
// the four status panels, the plan list (方案名 and 已刷新 columns) and the start button.
// Out-of-range panels and rows behave as in the main window: ignored on write, empty on read.
#include "engine/engine_view.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class FakeEngineView final : public EngineView
{
public:
    struct PlanRow
    {
        QString name; // 方案名
        QString today; // 已刷新, as the cell shows it
    };

    void appendLogText(const QString& text) override
    {
        touch();
        log += text;
    }
    void setStatusPanel(int panel, const QString& text) override
    {
        touch();
        ++panelWrites;
        if (panel >= 0 && panel < int(panels.size()))
            panels[std::size_t(panel)] = text;
    }
    QString statusPanel(int panel) const override
    {
        touch();
        return panel >= 0 && panel < int(panels.size()) ? panels[std::size_t(panel)] : QString();
    }
    int planRowCount() const override
    {
        touch();
        return int(rows.size());
    }
    QString planRowName(int row) const override
    {
        touch();
        return row >= 0 && row < rows.size() ? rows.at(row).name : QString();
    }
    void ShowPlanToday(const QString& nick, int count) override
    {
        touch();
        for (PlanRow& row : rows) {
            if (row.name == nick) {
                row.today = QString::number(count);
                return;
            }
        }
    }
    void setStartEnabled(bool enabled) override
    {
        touch();
        startEnabled = enabled;
    }

    // Appends a row, as the window does for a plan it lists.
    void addRow(const QString& name, const QString& today = QStringLiteral("0"))
    {
        rows.append(PlanRow { name, today });
    }
    // Refills the list with the given names, each showing 0.
    void setRowNames(const QStringList& names)
    {
        rows.clear();
        for (const QString& name : names)
            addRow(name);
    }
    // The count shown in the first row named nick; -1 when no row has that name.
    int todayOf(const QString& nick) const
    {
        for (const PlanRow& row : rows) {
            if (row.name == nick)
                return row.today.toInt();
        }
        return -1;
    }

    QString log;
    std::array<QString, 4> panels;
    QList<PlanRow> rows;
    bool startEnabled = true;
    // Every setStatusPanel call, whatever the panel.
    int panelWrites = 0;
    // Set when the window is closed: every later call is a fault, and is counted.
    bool closed = false;
    mutable int touchesAfterClose = 0;

private:
    void touch() const
    {
        if (closed)
            ++touchesAfterClose;
    }
};
