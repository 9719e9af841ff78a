#pragma once
// The options dialog "オプション": six pages of controls, each bound to one field of the
// options model and writing every change into it at once (there is no cancel). OK applies
// the options to the board; closing only hides the dialog.
#include "ColorCodes.h"
#include "Options.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <array>
#include <functional>
#include <map>
#include <optional>

class M_Degit;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

class frmOption : public QDialog {
    Q_OBJECT
  public:
    frmOption(Options& model, CustomColors& customColors, QWidget* parent = nullptr);

    // Lists filled, first entries chosen, today's date as the fixed date.
    void Form_Load();
    void SetOptionInfo(const Options& o);
    void GetOptionInfo(Options& o) const { o = model_; }
    // Every control shows the model's value again.
    void refreshFromModel();

    void Option1_Click(int index);
    void Option3_Click();
    void Option5_Click(int index);
    void Check1_Click();
    void Check3_Click(int index);
    void Command3_Click(int index);
    void Command10_Click(int index);
    void cmdSelectSound_Click(int index);
    void Command6_Click(int index);
    void Command5_Click(int index);
    void Command8_Click(int index);
    void Command9_Click(int index);
    void Command7_Click();
    void Command4_Click();
    // Ticket plug-in: load its description (non-zero on success), choose, remove, and
    // switch the preview.
    int32_t SetPlgin(const QString& path);
    void Command1_Click();
    void Command11_Click();
    void chkUseSeiriPrev_Click();
    bool GetBtnColor(QPushButton* button, int32_t& value);

    // The OK button's apply step (SetProp) and the backlight re-applied after a restore.
    std::function<void()> SetProp = [] {};
    std::function<void()> reapplyBacklight = [] {};
    std::function<QDate()> today;
    // The panel's side of a plug-in: its company list and the preview box's size (twips).
    std::function<void(const QStringList&)> setCompanies = [](const QStringList&) {};
    std::function<void(int, int)> setPreviewTwips = [](int, int) {};
    // The open-data import dialog, from the fare data page.
    std::function<void()> openRouteImport = [] {};
    // The frame the dialog first opens centred over (the panel's); empty for the screen.
    std::function<QRect()> placeOver = [] { return QRect(); };

    // Every control by its name ("Text2(0)", "Option3(1)", "Command8(2)", ...).
    QWidget* control(const QString& name) const;
    const std::map<QString, QWidget*>& controls() const { return controls_; }
    int page() const { return page_; }
    M_Degit* M_Degit1 = nullptr;
    // The ticket page's frames, its plug-in's notes and capability lines.
    QGroupBox* Frame10 = nullptr;
    QGroupBox* Frame7 = nullptr;
    QListWidget* List1 = nullptr;
    QPlainTextEdit* txtPlginComment = nullptr;

  protected:
    // The dialog opens again where it was closed, frame and all, as the window manager
    // framed it (it would otherwise creep by the frame each time it is shown).
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    std::optional<QPoint> lastPlace_;
    void centreOverPanel();
    void settleFirstPlace(int tries);
    friend struct OptionPages;
    template <class W> W* add(const QString& name, W* w);
    QLineEdit* text(const QString& name, QString Options::*field);
    QCheckBox* check(const QString& name, const QString& caption, int16_t Options::*field);
    QRadioButton* flag(const QString& name, const QString& caption, int16_t Options::*field,
                       QButtonGroup* group);
    QComboBox* combo(const QString& name, const QStringList& items, int16_t Options::*field);
    QPushButton* color(const QString& name, int32_t Options::*field);
    void colourButton(QPushButton* b, int32_t bgr);
    void previewColours();

    Options& model_;
    CustomColors& custom_;
    std::map<QString, QWidget*> controls_;
    std::vector<std::function<void()>> loaders_;     // model -> control, one per bound control
    std::vector<std::function<void()>> afterRefresh; // states that follow the controls
    QStackedWidget* pages_ = nullptr;
    std::array<QGroupBox*, 3> Frame6{};
    QGroupBox* Frame3 = nullptr;
    QStackedWidget* Frame2 = nullptr;
    QLabel* Label10 = nullptr;
    int page_ = 0;
    bool loading_ = false;
};

template <class W> W* frmOption::add(const QString& name, W* w) {
    w->setObjectName(name);
    controls_[name] = w;
    return w;
}
