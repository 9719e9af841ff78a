#pragma once
// The control panel's persisted state, in the order the settings file keeps it.
#include <cstdint>

struct CtrlDataInfo {
    int16_t PanelPage = 0;
    int32_t ScrollSpeedValue = 1;
    int32_t ScrollIntervalValue = 0;
    int16_t LateNightFare = 0;
    int16_t PanelExpand = 0;
    int32_t PanelLeft = 0;
    int32_t PanelTop = 0;
};
