#pragma once
// Ticket-number texts for the twelve numbering modes and the leading-zero switch.
#include <QString>
#include <array>
#include <optional>

struct NumberingPlan {
    // Text of label 1 when the mode sets it; nothing leaves label 1's text as it is.
    std::optional<QString> label1Text;
    int label1Points = 14;
    // Texts of labels 2-32 (index 0 is label 2); label 1's number, where the mode
    // numbers it, is label1Text.
    std::array<QString, 31> others;
};

NumberingPlan numberingPlan(int mode, int leadingZero);
QString ticketNumberText(int k, int leadingZero);
