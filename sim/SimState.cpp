#include "sim/SimState.h"

void TSimState::RestoreFactorySettings()
{
    TSimState factory = Factory();
    factory.Identifier = Identifier;
    factory.Firmware = Firmware;
    factory.GpsLevel = GpsLevel;
    factory.GsmLevel = GsmLevel;
    factory.BatteryLevel = BatteryLevel;
    factory.StatusWord = StatusWord;
    *this = factory;
}
