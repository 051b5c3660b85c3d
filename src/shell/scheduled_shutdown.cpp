#include "shell/scheduled_shutdown.h"

#include "common/clock.h"
#include "common/message_presenter.h"
#include "common/text_helpers.h"
#include "engine/engine_view.h"
#include "shell/platform/power_control.h"

#include <QCheckBox>
#include <QDateTimeEdit>

namespace {

constexpr int CountdownPanel = 3;

} // namespace

QString CountdownText(qint64 secondsLeft)
{
    const qint64 hours = secondsLeft / 3600;
    const qint64 minutes = (secondsLeft - 3600 * hours) / 60;
    const qint64 seconds = secondsLeft - 3600 * hours - 60 * minutes;
    return QStringLiteral("距离开机时间还有 ") + HmsText(hours, minutes, seconds);
}

ShutdownStep PlanShutdownTick(bool armed, const QDateTime& moment, const QDateTime& now, const QString& panelText)
{
    if (!armed) {
        // Only the countdown holds "开机时间": a cancellation is reported only after
        // a countdown was shown.
        if (panelText.contains(QStringLiteral("开机时间")))
            return { ShutdownStep::Action::WritePanel, QStringLiteral("已经取消定时关机") };
        return {};
    }
    const qint64 secondsLeft = moment.toSecsSinceEpoch() - now.toSecsSinceEpoch();
    if (secondsLeft < 0)
        return { ShutdownStep::Action::RejectMoment, QString() };
    if (secondsLeft == 0)
        return { ShutdownStep::Action::PowerOff, QString() };
    return { ShutdownStep::Action::WritePanel, CountdownText(secondsLeft) };
}

ScheduledShutdown::ScheduledShutdown(QCheckBox* armedBox, QDateTimeEdit* momentBox, EngineView& view, Clock& clock,
    MessagePresenter& messages, PowerControl& power, QObject* parent)
    : QObject(parent)
    , m_armedBox(armedBox)
    , m_momentBox(momentBox)
    , m_view(view)
    , m_clock(clock)
    , m_messages(messages)
    , m_power(power)
{ }

void ScheduledShutdown::ShutdownTick()
{
    if (m_messageOpen || !m_armedBox || !m_momentBox)
        return;
    const ShutdownStep step = PlanShutdownTick(
        m_armedBox->isChecked(), m_momentBox->dateTime(), m_clock.now(), m_view.statusPanel(CountdownPanel));
    switch (step.action) {
    case ShutdownStep::Action::Nothing:
        break;
    case ShutdownStep::Action::WritePanel:
        m_view.setStatusPanel(CountdownPanel, step.panelText);
        break;
    case ShutdownStep::Action::RejectMoment: {
        m_messageOpen = true;
        m_messages.showMessage(QStringLiteral("请设置正确的关机时间"));
        m_messageOpen = false;
        if (m_armedBox)
            m_armedBox->setChecked(false);
        break;
    }
    case ShutdownStep::Action::PowerOff:
        // A refusal is not reported: a second later the moment is past, and the next
        // tick says so and disarms.
        m_power.PowerOff();
        break;
    }
}
