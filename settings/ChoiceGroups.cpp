#include "ChoiceGroups.h"

#include <algorithm>

const std::vector<ChoiceGroup>& choiceGroups() {
    static const std::vector<ChoiceGroup> groups = {
        {&Options::PanelAuto, &Options::PanelIndividual},
        {&Options::OffBuiltIn, &Options::OffUser},
        {&Options::On1BuiltIn, &Options::On1User},
        {&Options::On2BuiltIn, &Options::On2User},
        {&Options::StepSoundFixed, &Options::StepSoundByColumn},
        {&Options::StepSoundSync, &Options::StepSoundAsync},
        {&Options::PreSoundFixed, &Options::PreSoundByFlag},
        {&Options::PreSoundSync, &Options::PreSoundAsync},
        {&Options::DatePerPrint, &Options::DatePerRoute, &Options::DateFixed},
    };
    return groups;
}

int settleChoiceGroups(Options& o) {
    static const Options defaults;
    int settled = 0;
    for (const ChoiceGroup& g : choiceGroups()) {
        const auto set = std::count_if(g.begin(), g.end(), [&](auto f) { return o.*f != 0; });
        if (set == 1)
            continue;
        for (const auto f : g)
            o.*f = defaults.*f;
        ++settled;
    }
    return settled;
}
