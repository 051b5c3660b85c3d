#include "common/pumped_delay.h"

#include "common/clock.h"

#include <limits>

void PumpedDelay(Clock& clock, int interval, int unit)
{
    static constexpr qint64 unitMs[] = {1, 1000, 60 * 1000, 60 * 60 * 1000};
    const qint64 scale = (unit >= 0 && unit <= 3) ? unitMs[unit] : 1;
    qint64 ms = qint64(interval) * scale;
    if (ms > std::numeric_limits<int>::max())
        ms = std::numeric_limits<int>::max();
    clock.pumpedWait(ms < 0 ? 0 : int(ms));
}
