#pragma once
// The options the dialog offers as groups of option buttons, each button stored as a flag
// (-1 chosen, 0 not), and the one rule for a group whose stored flags do not name exactly
// one choice.
#include "Options.h"

#include <vector>

using ChoiceGroup = std::vector<int16_t Options::*>;

// Every group, its buttons in the dialog's order.
const std::vector<ChoiceGroup>& choiceGroups();

// A group with none or several flags set (a short or older file leaves them 0) takes
// the choice a new settings file makes; groups that name one choice keep their values.
// Returns how many groups were settled.
int settleChoiceGroups(Options& o);
