#include "PanelState.h"

#include "AppError.h"

#include <limits>

bool PanelState::setBacklight(int state) {
    if (state < 0 || state > 2)
        return false;
    // Choosing the state already shown applies it again (the options dialog relies on it).
    backlight_ = state;
    Q_EMIT backlightChanged(state);
    return true;
}

bool PanelState::setScrollSpeed(int v) {
    if (v < kSpeedMin || v > kSpeedMax)
        return false;
    if (v != speed_) {
        speed_ = v;
        Q_EMIT scrollChanged(speed_, interval_);
    }
    return true;
}

bool PanelState::setScrollInterval(int v) {
    if (v < kIntervalMin || v > kIntervalMax)
        return false;
    if (v != interval_) {
        interval_ = v;
        Q_EMIT scrollChanged(speed_, interval_);
    }
    return true;
}

bool PanelState::setEntryPage(int page) {
    if (page != 0 && page != 1)
        return false;
    page_ = page;
    Q_EMIT entryPageChanged(page);
    return true;
}

void PanelState::setExpanded(bool on) {
    if (on == expanded_)
        return;
    expanded_ = on;
    Q_EMIT expandedChanged(on);
}

void PanelState::setCompany(int index) {
    if (index == company_)
        return;
    company_ = index;
    Q_EMIT companyChanged(index);
}

void PanelState::setCompanies(const QStringList& names) {
    companies_ = names;
    Q_EMIT companiesChanged(names);
    company_ = -2; // whatever was chosen, the new list's choice is news
    setCompany(names.isEmpty() ? -1 : 0);
}

void PanelState::save(CtrlDataInfo& info) const {
    info.ScrollSpeedValue = speed_;
    info.ScrollIntervalValue = interval_;
    info.PanelPage = static_cast<int16_t>(page_);
    info.PanelExpand = expanded_ ? 1 : 0;
}

void PanelState::restore(const CtrlDataInfo& info) {
    // The scroll bars hold 16-bit values: anything wider is an error of the load.
    for (const int32_t v : {info.ScrollSpeedValue, info.ScrollIntervalValue})
        if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
            throw AppError(ErrNo::Overflow);
    // A scroll bar clamps what lies outside its range, as the panel always did.
    setScrollSpeed(std::clamp(static_cast<int>(info.ScrollSpeedValue), kSpeedMin, kSpeedMax));
    setScrollInterval(
        std::clamp(static_cast<int>(info.ScrollIntervalValue), kIntervalMin, kIntervalMax));
    // The page a file names is brought to the front; any other value leaves the page.
    page_ = info.PanelPage;
    Q_EMIT entryPageChanged(page_);
    setExpanded(info.PanelExpand != 0);
}
