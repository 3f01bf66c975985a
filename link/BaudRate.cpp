#include "link/BaudRate.h"

namespace {

struct TRateEntry {
    TBaudRate Rate;
    int32_t Value;
};

constexpr TRateEntry Rates[] = {
    {TBaudRate::br110, 110},       {TBaudRate::br300, 300},       {TBaudRate::br600, 600},
    {TBaudRate::br1200, 1200},     {TBaudRate::br2400, 2400},     {TBaudRate::br4800, 4800},
    {TBaudRate::br9600, 9600},     {TBaudRate::br14400, 14400},   {TBaudRate::br19200, 19200},
    {TBaudRate::br38400, 38400},   {TBaudRate::br56000, 56000},   {TBaudRate::br57600, 57600},
    {TBaudRate::br115200, 115200}, {TBaudRate::br128000, 128000}, {TBaudRate::br256000, 256000},
};

} // namespace

TBaudRate BaudTextToRate(int32_t value)
{
    if (value == 0)
        return TBaudRate::brCustom;
    for (const TRateEntry& entry : Rates)
        if (entry.Value == value)
            return entry.Rate;
    return TBaudRate::br9600;
}

int32_t BaudRateValue(TBaudRate rate)
{
    for (const TRateEntry& entry : Rates)
        if (entry.Rate == rate)
            return entry.Value;
    return CustomBaudRate;
}
