#include "shell/main_window.h"
#include "shell/platform/power_control.h"
#include "shell/scheduled_shutdown.h"
#include "support/app_fixture.h"
#include "support/fake_clock.h"
#include "support/fake_engine_view.h"
#include "support/fake_message_presenter.h"
#include "support/fake_platform.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QTest>
#include <QTimer>
#include <array>

namespace {

const QDateTime Start(QDate(2026, 12, 11), QTime(14, 0, 0));
const QString Rejected = QStringLiteral("请设置正确的关机时间");
const QString Cancelled = QStringLiteral("已经取消定时关机");

} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT

private slots:
    void countdownText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("hour, minutes, seconds") << qint64(3725) << QStringLiteral("距离开机时间还有 1时2分5秒");
        QTest::newRow("under a minute") << qint64(59) << QStringLiteral("距离开机时间还有 0时0分59秒");
        QTest::newRow("whole hour") << qint64(3600) << QStringLiteral("距离开机时间还有 1时0分0秒");
        QTest::newRow("more than a day") << qint64(90061) << QStringLiteral("距离开机时间还有 25时1分1秒");
    }

    void countdownText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, expected);
        QCOMPARE(CountdownText(seconds), expected);
    }

    void planTick_data()
    {
        QTest::addColumn<bool>("armed");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("text");

        using A = ShutdownStep::Action;
        const QString countdown = CountdownText(5);
        QTest::newRow("cleared after a countdown")
            << false << Start << Start.addSecs(5) << countdown << int(A::WritePanel) << Cancelled;
        QTest::newRow("cleared, nothing shown")
            << false << Start << Start.addSecs(5) << QString() << int(A::Nothing) << QString();
        QTest::newRow("cleared, already cancelled")
            << false << Start << Start.addSecs(5) << Cancelled << int(A::Nothing) << QString();
        QTest::newRow("cleared, moment past")
            << false << Start << Start.addSecs(-5) << QString() << int(A::Nothing) << QString();
        QTest::newRow("armed, past") << true << Start << Start.addSecs(-1) << countdown << int(A::RejectMoment)
                                     << QString();
        QTest::newRow("armed, this second") << true << Start << Start << countdown << int(A::PowerOff) << QString();
        QTest::newRow("armed, this second, late in it")
            << true << Start.addMSecs(999) << Start << countdown << int(A::PowerOff) << QString();
        QTest::newRow("armed, next second, late in this one")
            << true << Start.addMSecs(900) << Start.addSecs(1) << QString() << int(A::WritePanel) << CountdownText(1);
        QTest::newRow("armed, ahead") << true << Start << Start.addSecs(3725) << Cancelled << int(A::WritePanel)
                                      << CountdownText(3725);
        QTest::newRow("armed, days ahead") << true << Start << Start.addDays(3) << QString() << int(A::WritePanel)
                                           << QStringLiteral("距离开机时间还有 72时0分0秒");
    }

    void planTick()
    {
        QFETCH(bool, armed);
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, moment);
        QFETCH(QString, panel);
        QFETCH(int, action);
        QFETCH(QString, text);
        const ShutdownStep step = PlanShutdownTick(armed, moment, now, panel);
        QCOMPARE(int(step.action), action);
        QCOMPARE(step.panelText, text);
    }

    void init()
    {
        m_clock.set(Start);
        m_box.setChecked(false);
        m_date.setDateTime(Start);
        m_view = FakeEngineView();
        m_messages = FakeMessagePresenter();
        m_power = FakePowerControl();
        m_power.result = false;
    }

    void countdownFollowsTheClockAndTheDateBox()
    {
        ScheduledShutdown shutdown(&m_box, &m_date, m_view, m_clock, m_messages, m_power);
        m_date.setDateTime(Start.addSecs(3725));
        m_box.setChecked(true);
        shutdown.ShutdownTick();
        QCOMPARE(m_view.panels[3], CountdownText(3725));
        m_clock.advance(1000);
        shutdown.ShutdownTick();
        QCOMPARE(m_view.panels[3], CountdownText(3724));
        // A new moment counts from the next tick on, without asking.
        m_date.setDateTime(Start.addSecs(61));
        shutdown.ShutdownTick();
        QCOMPARE(m_view.panels[3], CountdownText(60));
        QCOMPARE(m_view.panels[0], QString());
    }

    void pastMomentShowsOneMessageThenClears()
    {
        ScheduledShutdown shutdown(&m_box, &m_date, m_view, m_clock, m_messages, m_power);
        m_date.setDateTime(Start.addSecs(2));
        m_box.setChecked(true);
        shutdown.ShutdownTick();
        const QString countdown = m_view.panels[3];

        m_date.setDateTime(Start.addSecs(-10));
        bool checkedWhileOpen = false;
        m_messages.onMessage = [&](const QString&) {
            checkedWhileOpen = m_box.isChecked();
            // The timer goes on while the message is open.
            for (int i = 0; i < 3; ++i) {
                m_clock.advance(1000);
                shutdown.ShutdownTick();
            }
        };
        m_clock.advance(1000);
        shutdown.ShutdownTick();
        QCOMPARE(m_messages.messages, QStringList { Rejected });
        QVERIFY(checkedWhileOpen);
        QVERIFY(!m_box.isChecked());
        QCOMPARE(m_view.panels[3], countdown);
        QCOMPARE(m_power.calls, 0);

        // The next tick turns the stale countdown into the cancellation, and it stays.
        shutdown.ShutdownTick();
        QCOMPARE(m_view.panels[3], Cancelled);
        const int writes = m_view.panelWrites;
        shutdown.ShutdownTick();
        QCOMPARE(m_view.panelWrites, writes);
        QCOMPARE(m_messages.messages.size(), 1);
    }

    void tickAndClearWithinASecondLeavesThePanel()
    {
        ScheduledShutdown shutdown(&m_box, &m_date, m_view, m_clock, m_messages, m_power);
        m_view.panels[3] = QStringLiteral("earlier text");
        m_date.setDateTime(Start.addSecs(100));
        m_box.setChecked(true);
        m_box.setChecked(false);
        shutdown.ShutdownTick();
        QCOMPARE(m_view.panels[3], QStringLiteral("earlier text"));
        QCOMPARE(m_view.panelWrites, 0);
    }

    // Only the tick in the chosen second powers off; when the system refuses, the next
    // tick finds the moment past.
    void powerOffOnceThenRefusalDisarms()
    {
        ScheduledShutdown shutdown(&m_box, &m_date, m_view, m_clock, m_messages, m_power);
        m_date.setDateTime(Start.addSecs(2));
        m_box.setChecked(true);
        for (int i = 0; i < 3; ++i) {
            shutdown.ShutdownTick();
            m_clock.advance(1000);
        }
        QCOMPARE(m_power.calls, 1);
        QCOMPARE(m_view.panels[3], CountdownText(1));
        QVERIFY(m_messages.messages.isEmpty());
        QVERIFY(m_box.isChecked());

        shutdown.ShutdownTick();
        QCOMPARE(m_messages.messages, QStringList { Rejected });
        QVERIFY(!m_box.isChecked());
        QCOMPARE(m_power.calls, 1);
    }

    // A tick that misses the chosen second (the thread was busy) never powers off.
    void missedSecondDoesNotPowerOff()
    {
        ScheduledShutdown shutdown(&m_box, &m_date, m_view, m_clock, m_messages, m_power);
        m_date.setDateTime(Start.addSecs(1));
        m_box.setChecked(true);
        shutdown.ShutdownTick();
        m_clock.advance(2500);
        shutdown.ShutdownTick();
        QCOMPARE(m_power.calls, 0);
        QCOMPARE(m_messages.messages, QStringList { Rejected });
    }

    // The main window's timer drives the countdown for as long as the window exists,
    // shown or hidden.
    void mainWindowTimerCountsWhileHidden()
    {
        AppFixture fixture;
        fixture.clock.set(Start);
        QVERIFY(fixture.app->start());
        MainWindow* window = fixture.app->mainWindow();
        auto* timer = window->findChild<QTimer*>(QStringLiteral("时钟1"));
        QVERIFY(timer);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        auto* date = window->findChild<QDateTimeEdit*>(QStringLiteral("日期框1"));
        auto* box = window->findChild<QCheckBox*>(QStringLiteral("选择框1"));
        QVERIFY(date && box);
        QCOMPARE(date->dateTime(), Start);
        QCOMPARE(date->displayFormat(), QStringLiteral("yyyy/MM/dd HH:mm:ss ddd"));
        QVERIFY(!box->isChecked());

        date->setDateTime(Start.addSecs(3));
        box->setChecked(true);
        window->hide();
        const auto tick = [&] {
            fixture.clock.advance(1000);
            QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        };
        tick();
        QCOMPARE(window->statusPanel(3), CountdownText(2));
        tick();
        QCOMPARE(window->statusPanel(3), CountdownText(1));
        tick();
        QCOMPARE(fixture.power.calls, 1);
        QVERIFY(fixture.messages.messages.isEmpty());
    }

private:
    FakeClock m_clock;
    QCheckBox m_box;
    QDateTimeEdit m_date;
    FakeEngineView m_view;
    FakeMessagePresenter m_messages;
    FakePowerControl m_power;
};

QTEST_MAIN(TestShutdown)
#include "test_shutdown.moc"
