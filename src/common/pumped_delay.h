#pragma once

class Clock;

// Waits interval × unit while the window keeps handling events: unit 0 is a
// millisecond, 1 a second, 2 a minute, 3 an hour; other units count as 0.
void PumpedDelay(Clock& clock, int interval, int unit = 0);
