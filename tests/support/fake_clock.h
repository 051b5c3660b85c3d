#pragma once

#include "common/clock.h"

#include <functional>

// A clock that stands still until told to move. pumpedWait advances it by the wait and
// handles pending events once, so loops that wait run at full speed.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(const QDateTime& start = QDateTime(QDate(2026, 3, 5), QTime(8, 0)));
    QDateTime now() const override;
    void pumpedWait(int ms) override;

    void set(const QDateTime& t) { m_now = t; }
    void advance(qint64 ms) { m_now = m_now.addMSecs(ms); }
    qint64 totalWaitedMs() const { return m_waited; }
    // Runs after every pumpedWait, with the clock already advanced: tests use it to
    // step the scenario (stop a loop, move to the next minute).
    void setOnWait(std::function<void()> hook) { m_onWait = std::move(hook); }

private:
    QDateTime m_now;
    qint64 m_waited = 0;
    std::function<void()> m_onWait;
};
