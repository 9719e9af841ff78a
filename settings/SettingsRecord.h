#pragma once
// The settings record: everything that persists between runs, block by block in the order
// the settings file keeps it. The options model holds the options dialog's blocks; each
// window fills and restores its own block through its Get.../Set... pair.
#include "ColorCodes.h"
#include "Limits.h"
#include "Options.h"

#include <array>
#include <cstdint>

// The control panel's persisted state.
struct CtrlDataInfo {
    int16_t PanelPage = 0;
    int32_t ScrollSpeedValue = 1;
    int32_t ScrollIntervalValue = 0;
    int16_t LateNightFare = 0;
    int16_t PanelExpand = 0;
    int32_t PanelLeft = 0;
    int32_t PanelTop = 0;
};

// The board window's position in twips.
struct FormInfo {
    int32_t BoardLeft = 0;
    int32_t BoardTop = 0;
};

// What the operator set on one fare digit by double-clicking it.
struct DegitCell {
    int16_t Shift = 0;
    int16_t ZeroMode = 0;
    int16_t FillZero = 0;
};

struct SettingsRecord {
    Options options;                                        // blocks 1-6
    CtrlDataInfo ctrl;                                      // block 7
    FormInfo form;                                          // block 8
    CustomColors customColors{};                            // block 9
    std::array<DegitCell, limits::kFareCells> degitCells{}; // blocks 10-11
};
