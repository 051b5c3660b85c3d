#pragma once

#include <QDateTime>

// Every read of the time of day goes through a Clock, and so does every pumped wait,
// so tests can set the minute and skip the waiting.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Waits ms milliseconds while the thread's events keep being handled.
    virtual void pumpedWait(int ms) = 0;
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
    void pumpedWait(int ms) override;
};
