#pragma once

// Switches the machine off at once, closing applications by force. The result
// (true when the system accepted) is ignored by the caller.
class PowerControl
{
public:
    virtual ~PowerControl() = default;
    virtual bool PowerOff() = 0;
};
