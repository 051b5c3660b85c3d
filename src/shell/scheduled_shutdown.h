#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

class Clock;
class EngineView;
class MessagePresenter;
class PowerControl;
class QCheckBox;
class QDateTimeEdit;

// "距离开机时间还有 1时2分5秒": the hours are not capped at 23.
QString CountdownText(qint64 secondsLeft);

// What one tick of the shutdown timer does, worked out from what it reads.
struct ShutdownStep
{
    enum class Action {
        Nothing,
        WritePanel, // panel 3 gets panelText (countdown or cancellation)
        RejectMoment, // the moment is past: tell the user, then disarm
        PowerOff, // this is the chosen second
    };
    Action action = Action::Nothing;
    QString panelText;
};

// armed: the check box; moment: the date box; now: the current local time;
// panelText: what panel 3 shows now. Both times count in whole seconds.
ShutdownStep PlanShutdownTick(bool armed, const QDateTime& moment, const QDateTime& now, const QString& panelText);

// The main window's scheduled power-off, driven by its one-second timer. Works the same
// while the window is hidden and while the refresh loop runs.
class ScheduledShutdown : public QObject
{
    Q_OBJECT
public:
    ScheduledShutdown(QCheckBox* armedBox, QDateTimeEdit* momentBox, EngineView& view, Clock& clock,
        MessagePresenter& messages, PowerControl& power, QObject* parent = nullptr);

    void ShutdownTick();

private:
    QPointer<QCheckBox> m_armedBox;
    QPointer<QDateTimeEdit> m_momentBox;
    EngineView& m_view;
    Clock& m_clock;
    MessagePresenter& m_messages;
    PowerControl& m_power;
    // The timer keeps ticking inside the modal message; those ticks wait for it to close,
    // so one message is on the screen, not one per second.
    bool m_messageOpen = false;
};
