#pragma once

#include <cstdint>

// The 16 rate settings of the port, in their fixed order. The custom setting runs at the port's
// custom rate, which is 9600 and never changes.
enum class TBaudRate {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400,
    br19200, br38400, br56000, br57600, br115200, br128000, br256000,
};

constexpr int32_t CustomBaudRate = 9600;

// The baud field's value to a rate setting: a listed rate selects itself, 0 the custom setting,
// anything else 9600.
TBaudRate BaudTextToRate(int32_t value);
// The line speed in bits per second that a setting runs at.
int32_t BaudRateValue(TBaudRate rate);
