#include "common/clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

void SystemClock::pumpedWait(int ms)
{
    if (ms <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
