#pragma once

#include "common/portal_hosts.h"

#include <QDialog>
#include <QLineEdit>
#include <QString>
#include <functional>

struct AppState;
class MessagePresenter;
class PlanStore;
class SettingsFile;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The ID box's text followed by the newly collected IDs: each ID once, trimmed, in
// first-seen order, joined by "," without blanks. Whole IDs compare, so 100 and 1001
// differ; with nothing collected the box text is only tidied.
QString MergeCollectedIds(const QString& boxText, const QString& collected);

// A small box of the time calculator. Typing, pasting and dropping let only digits,
// "-" and control characters through; text set by the program is taken as it is.
// A box given a wrap bound also steps with the up and down arrows (wrapping only at
// exactly 0 and the bound), hands the focus to its neighbours with left and right,
// and selects its whole text on focus and on a left-button release.
class NumberBox final : public QLineEdit
{
    Q_OBJECT

public:
    explicit NumberBox(QWidget* parent = nullptr);

    void setProgramText(const QString& text);
    void setWrapBound(int bound)
    {
        m_wrapBound = bound;
    }
    void setNeighbours(NumberBox* left, NumberBox* right);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void step(int delta);

    int m_wrapBound = 0;
    NumberBox* m_left = nullptr;
    NumberBox* m_right = nullptr;
};

// "刷新方案设置": creates or changes one refresh plan. Shown modally over the main
// window; the opener refills its plan list when exec() returns.
class PlanEditorWindow final : public QDialog
{
    Q_OBJECT

public:
    // Opens the portal window on startUrl and returns when it has closed, leaving the
    // picked IDs in AppState::CollectedIdText.
    using ListingPicker = std::function<void(const QString& startUrl)>;

    PlanEditorWindow(AppState& state, PlanStore& store, SettingsFile& settings, MessagePresenter& messages,
        const PortalHosts& hosts, ListingPicker pickListings, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void loadCalculatorSettings();
    void loadPlanToEdit();
    void pickListings();
    void savePlan();
    void generateTimeNodes();
    void showRefreshCount();
    int selectedMode() const;

    AppState& m_state;
    PlanStore& m_store;
    SettingsFile& m_settings;
    MessagePresenter& m_messages;
    PortalHosts m_hosts;
    ListingPicker m_pickListings;
    bool m_firstShowDone = false;

    QLineEdit* m_nameBox = nullptr;
    QRadioButton* m_sale = nullptr;
    QRadioButton* m_rent = nullptr;
    QPlainTextEdit* m_idBox = nullptr;
    QPushButton* m_pickButton = nullptr;
    QPlainTextEdit* m_timesBox = nullptr;
    NumberBox* m_startHour = nullptr;
    NumberBox* m_startMinute = nullptr;
    NumberBox* m_endHour = nullptr;
    NumberBox* m_endMinute = nullptr;
    NumberBox* m_intervalBox = nullptr;
    NumberBox* m_countBox = nullptr;
    NumberBox* m_filterBox = nullptr;
    QPushButton* m_generateButton = nullptr;
    QPushButton* m_countButton = nullptr;
    QRadioButton* m_fixedPoint = nullptr;
    QRadioButton* m_batchRotation = nullptr;
    QPushButton* m_saveButton = nullptr;
    QLabel* m_hint = nullptr;
};
