#pragma once

#include "engine/engine_view.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QFrame;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

struct AppState;
class Clock;
class GlobalHotkey;
class MessagePresenter;
class PlanStore;

// The program's one long-lived window: plan list, operation log, status bar and the
// buttons that start the other features. Controls sit at fixed places and carry their
// Chinese names as object names.
class MainWindow final : public QWidget, public EngineView
{
    Q_OBJECT
public:
    MainWindow(AppState& state, PlanStore& store, Clock& clock, MessagePresenter& messages, GlobalHotkey& hotkey,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    void FillPlanList();

    // EngineView
    void appendLogText(const QString& text) override;
    void setStatusPanel(int panel, const QString& text) override;
    QString statusPanel(int panel) const override;
    int planRowCount() const override;
    QString planRowName(int row) const override;
    void ShowPlanToday(const QString& nick, int count) override;
    void setStartEnabled(bool enabled) override;

    // The operation log as stored text, lines ending in CR LF.
    QString logText() const;
    bool isRowTicked(int row) const;
    void setRowTicked(int row, bool ticked);
    QString planRowCell(int row, int column) const;

    // Closes without asking (the store could not be opened).
    void closeWithoutConfirmation();
    bool closeConfirmed() const { return m_closeConfirmed; }

    // While the returned window exists, the hot key flips it instead of the main window.
    void setLockWindowProvider(std::function<QWidget*()> provider);
    // Flips the visibility as the show/hide hot key does.
    void toggleByHotkey();

    QPushButton* loginButton() const { return m_login; }
    QPushButton* planSettingsButton() const { return m_planSettings; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* stopButton() const { return m_stop; }
    QPushButton* lockButton() const { return m_lock; }
    QDateTimeEdit* shutdownDateEdit() const { return m_shutdownDate; }
    QCheckBox* shutdownCheck() const { return m_shutdownCheck; }
    QTimer* shutdownTimer() const { return m_clockTimer; }
    QTreeWidget* planList() const { return m_list; }
    QMenu* planMenu() const { return m_menu; }

signals:
    // The user confirmed closing; the window is about to close and the program ends.
    void closeAccepted();
    // Double click on the plan list with a selected row.
    void editPlanRequested(const QString& nick);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildMenu();
    void onHotkey(int id);
    void tickAll(Qt::CheckState state);
    void invertTicks();
    void deleteTickedPlans();

    AppState& m_state;
    PlanStore& m_store;
    Clock& m_clock;
    MessagePresenter& m_messages;
    GlobalHotkey& m_hotkey;

    QPushButton* m_login = nullptr;
    QPushButton* m_planSettings = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_lock = nullptr;
    QDateTimeEdit* m_shutdownDate = nullptr;
    QCheckBox* m_shutdownCheck = nullptr;
    QTimer* m_clockTimer = nullptr;
    QPlainTextEdit* m_log = nullptr;
    QFrame* m_statusBar = nullptr;
    QLabel* m_panels[4] = {};
    QGroupBox* m_group = nullptr;
    QTreeWidget* m_list = nullptr;
    QLabel* m_hotkeyLabel = nullptr;
    QMenu* m_menu = nullptr;

    std::function<QWidget*()> m_lockWindowProvider;
    bool m_firstShown = false;
    bool m_closeConfirmed = false;
    bool m_skipConfirmation = false;
    quint64 m_fillGeneration = 0;
};
