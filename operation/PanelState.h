#pragma once
// What the operator set on the control panel besides the trip: backlight, the two scroll
// bars, the entry page in front, the widened panel and the chosen company. The panel's
// widgets show it and edit it; the board follows its signals; the settings are saved
// from it.
#include "SettingsRecord.h"

#include <QObject>
#include <QStringList>
#include <cstdint>

class PanelState : public QObject {
    Q_OBJECT
  public:
    // The scroll bars' ranges: speed 1-2000, the pause between scrolls 0-3000 ms.
    static constexpr int kSpeedMin = 1, kSpeedMax = 2000;
    static constexpr int kIntervalMin = 0, kIntervalMax = 3000;

    int backlight() const { return backlight_; }
    int scrollSpeed() const { return speed_; }
    int scrollInterval() const { return interval_; }
    // The entry page last double-clicked, which went behind the other: 0 (the list page)
    // leaves the keypad in front, 1 the lists. The settings keep this number.
    int entryPage() const { return page_; }
    bool expanded() const { return expanded_; }
    // The entry of the panel's company list the ticket is drawn for, -1 when none.
    int company() const { return company_; }
    // The ticket plug-in's companies, as the panel's list shows them.
    const QStringList& companies() const { return companies_; }

    // Each setter takes a value in range and reports whether it did; a change signals.
    bool setBacklight(int state);
    bool setScrollSpeed(int v);
    bool setScrollInterval(int v);
    bool setEntryPage(int page);
    void setExpanded(bool on);
    void setCompany(int index);
    // A new list chooses its first company (none when empty).
    void setCompanies(const QStringList& names);

    // The panel's block of the settings file; the window's place and late night are
    // filled by their owners.
    void save(CtrlDataInfo& info) const;
    // Takes the block back; values the scroll bars cannot hold are an overflow error of
    // the load (AppError), as the settings reader reports.
    void restore(const CtrlDataInfo& info);

  Q_SIGNALS:
    void backlightChanged(int state);
    // Either scroll value changed.
    void scrollChanged(int speed, int intervalMs);
    void entryPageChanged(int page);
    void expandedChanged(bool on);
    void companyChanged(int index);
    void companiesChanged(const QStringList& names);

  private:
    int backlight_ = 0;
    int speed_ = kSpeedMin;
    int interval_ = kIntervalMin;
    int page_ = 0;
    bool expanded_ = false;
    int company_ = -1;
    QStringList companies_;
};
