#include "support/fake_clock.h"

#include <QCoreApplication>

FakeClock::FakeClock(const QDateTime& start)
    : m_now(start)
{
}

QDateTime FakeClock::now() const
{
    return m_now;
}

void FakeClock::pumpedWait(int ms)
{
    if (ms > 0) {
        m_now = m_now.addMSecs(ms);
        m_waited += ms;
    }
    QCoreApplication::processEvents();
    if (m_onWait)
        m_onWait();
}
