#include "frmOption.h"

#include "ColorCodes.h"
#include "Companion.h"
#include "M_Degit.h"
#include "OptionLists.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

struct OptionPages {
    static void build(frmOption& d, QStackedWidget* pages);
};

frmOption::frmOption(Options& model, CustomColors& customColors, QWidget* parent)
    : QDialog(parent), model_(model), custom_(customColors) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("オプション"));
    setModal(true);
    auto* outer = new QHBoxLayout(this);
    auto* column = new QVBoxLayout;
    const QString captions[6] = {QStringLiteral("運賃データと　放送用データ"),
                                 QStringLiteral("パネルと整理券番号表示"),
                                 QStringLiteral("デジタル部品と情報用数字"),
                                 QStringLiteral("停名の設定"),
                                 QStringLiteral("サウンド"),
                                 QStringLiteral("　　整理券　　　プレビュー")};
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 6; ++i) {
        // Page buttons look like tall push buttons, one of them down, as option buttons do.
        auto* b = add(QStringLiteral("Option1(%1)").arg(i), new QPushButton(captions[i]));
        b->setCheckable(true);
        b->setMinimumSize(210, 44);
        group->addButton(b, i);
        column->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, i] { Option1_Click(i); });
    }
    column->addStretch();
    auto* ok = add(QStringLiteral("Command4"), new QPushButton(QStringLiteral("OK")));
    connect(ok, &QPushButton::clicked, this, &frmOption::Command4_Click);
    column->addWidget(ok);
    outer->addLayout(column);
    pages_ = new QStackedWidget;
    outer->addWidget(pages_, 1);
    OptionPages::build(*this, pages_);
    static_cast<QPushButton*>(controls_.at(QStringLiteral("Option1(0)")))->setChecked(true);
}

QWidget* frmOption::control(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

QLineEdit* frmOption::text(const QString& name, QString Options::*field) {
    auto* e = add(name, new QLineEdit);
    connect(e, &QLineEdit::textChanged, this, [this, field](const QString& t) {
        if (!loading_)
            model_.*field = t;
    });
    loaders_.push_back([this, e, field] { e->setText(model_.*field); });
    return e;
}

QCheckBox* frmOption::check(const QString& name, const QString& caption, int16_t Options::*field) {
    auto* c = add(name, new QCheckBox(caption));
    // While the controls are being filled from the model, the model is not written: a
    // stored 2 must stay 2 although the box can only show ticked.
    connect(c, &QCheckBox::toggled, this, [this, field](bool on) {
        if (!loading_)
            model_.*field = static_cast<int16_t>(on ? 1 : 0);
    });
    loaders_.push_back([this, c, field] { c->setChecked(model_.*field != 0); });
    return c;
}

QRadioButton* frmOption::flag(const QString& name, const QString& caption, int16_t Options::*field,
                              QButtonGroup* group) {
    auto* r = add(name, new QRadioButton(caption));
    group->addButton(r);
    // Option buttons are stored as flags: -1 selected, 0 not.
    connect(r, &QRadioButton::toggled, this, [this, field](bool on) {
        if (!loading_)
            model_.*field = static_cast<int16_t>(on ? -1 : 0);
    });
    loaders_.push_back([this, r, field] {
        if (model_.*field != 0)
            r->setChecked(true);
    });
    return r;
}

QComboBox* frmOption::combo(const QString& name, const QStringList& items,
                            int16_t Options::*field) {
    auto* c = add(name, new QComboBox);
    c->addItems(items);
    connect(c, &QComboBox::currentIndexChanged, this, [this, field](int i) {
        if (!loading_)
            model_.*field = static_cast<int16_t>(i);
    });
    // A stored index past the entries selects nothing, as the list shows it.
    loaders_.push_back([this, c, field] {
        const int i = model_.*field;
        c->setCurrentIndex(i >= 0 && i < c->count() ? i : -1);
    });
    return c;
}

void frmOption::colourButton(QPushButton* b, int32_t bgr) {
    b->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #555;")
                         .arg(QColor::fromRgb(argbFromBgr(static_cast<uint32_t>(bgr))).name()));
    b->setProperty("color", bgr);
}

QPushButton* frmOption::color(const QString& name, int32_t Options::*field) {
    auto* b = add(name, new QPushButton);
    b->setFixedSize(48, 22);
    loaders_.push_back([this, b, field] { colourButton(b, model_.*field); });
    return b;
}

void frmOption::Form_Load() {
    loading_ = true;
    for (const char* n : {"Combo4(0)", "Combo4(1)", "Combo4(2)", "Combo4(3)", "Combo4(4)", "Combo1",
                          "Combo2", "Combo3", "Combo5", "Combo6"})
        static_cast<QComboBox*>(controls_.at(QString::fromLatin1(n)))->setCurrentIndex(0);
    loading_ = false;
    const QDate d = today ? today() : QDate::currentDate();
    model_.FixedDateText = d.toString(QStringLiteral("yyyy/MM/dd"));
    refreshFromModel();
}

void frmOption::refreshFromModel() {
    loading_ = true;
    for (const auto& load : loaders_)
        load();
    Label10->setText(model_.FixedDateText);
    loading_ = false;
    Option3_Click();
    Check1_Click();
    for (int i = 0; i < 4; ++i)
        Check3_Click(i);
    for (const auto& f : afterRefresh)
        f();
    previewColours();
}

void frmOption::SetOptionInfo(const Options& o) {
    model_ = o;
    refreshFromModel();
    reapplyBacklight();
    // A missing or broken plug-in at start is not reported: the path stays, the list
    // stays empty.
    SetPlgin(model_.PluginPath);
}

void frmOption::Option1_Click(int index) {
    page_ = index;
    pages_->setCurrentIndex(index);
    static_cast<QPushButton*>(controls_.at(QStringLiteral("Option1(%1)").arg(index)))
        ->setChecked(true);
}

void frmOption::Option3_Click() {
    const bool individual =
        !static_cast<QRadioButton*>(controls_.at(QStringLiteral("Option3(0)")))->isChecked();
    for (QGroupBox* f : Frame6) {
        f->setEnabled(individual);
        f->setVisible(individual);
    }
}

void frmOption::Option5_Click(int index) {
    Frame2->setCurrentIndex(index);
}

// The frames follow the boxes' values: with the boxes only ever toggled by a click, the
// original's flip of the enabled state comes to the same.
void frmOption::Check1_Click() {
    Frame3->setEnabled(model_.AutoTicketNumbers != 0);
}

void frmOption::Check3_Click(int index) {
    const int16_t Options::*shown[4] = {&Options::ShowStopOrder, &Options::ShowTicketNumber,
                                        &Options::ShowRouteNumber, &Options::ShowDataColumn};
    if (index < 0 || index > 3)
        return;
    const bool on = model_.*shown[index] != 0;
    const QStringList owned[4] = {{QStringLiteral("Combo4(0)"), QStringLiteral("Check3(4)")},
                                  {QStringLiteral("Combo4(1)")},
                                  {QStringLiteral("Combo4(2)")},
                                  {QStringLiteral("Combo4(3)"), QStringLiteral("Combo4(4)")}};
    for (const QString& n : owned[index])
        controls_.at(n)->setEnabled(on);
}

namespace {
// A data folder as the program reads it: a relative one from the current folder (where
// the data files are looked for too), so the file manager and the chooser show the
// folder the route data really comes from.
QString resolvedFolder(const QString& text) {
    return text.trimmed().isEmpty() ? QString() : QFileInfo(text.trimmed()).absoluteFilePath();
}
} // namespace

void frmOption::Command3_Click(int index) {
    auto* box = static_cast<QLineEdit*>(controls_.at(QStringLiteral("Text2(%1)").arg(index)));
    const QString folder = Companion::current().Qv3FolderDlg(
        this, QStringLiteral("フォルダーを選択してください"), resolvedFolder(box->text()));
    if (!folder.isEmpty())
        box->setText(folder);
}

void frmOption::Command10_Click(int index) {
    Companion::current().openFolder(resolvedFolder(
        static_cast<QLineEdit*>(controls_.at(QStringLiteral("Text2(%1)").arg(index)))->text()));
}

void frmOption::cmdSelectSound_Click(int index) {
    const QString f = Companion::current().Qv3FileDlg(
        this,
        {QStringLiteral("Waveサウンド(*.wav)"), QStringLiteral("*.wav"),
         QStringLiteral("MIDIサウンド(*.mid)"), QStringLiteral("*.mid")},
        QStringLiteral("サウンドの選択"));
    if (!f.isEmpty())
        static_cast<QLineEdit*>(controls_.at(QStringLiteral("txtSelectSound(%1)").arg(index)))
            ->setText(f);
}

void frmOption::Command6_Click(int index) {
    const QString f = Companion::current().Qv3FileDlg(
        this,
        {QStringLiteral("ビットマップ(*.bmp)"), QStringLiteral("*.bmp"),
         QStringLiteral("GIF画像(*.gif)"), QStringLiteral("*.gif"),
         QStringLiteral("JPEG画像(*.jpg)"), QStringLiteral("*.jpg")},
        QStringLiteral("パネル画像の選択"));
    if (!f.isEmpty())
        static_cast<QLineEdit*>(controls_.at(QStringLiteral("txtSelectPanel(%1)").arg(index)))
            ->setText(f);
}

bool frmOption::GetBtnColor(QPushButton* button, int32_t& value) {
    int32_t c = button->property("color").toInt();
    if (!Companion::current().Qv3ChooseColor(this, c, custom_))
        return false;
    colourButton(button, c);
    value = c;
    return true;
}

void frmOption::Command5_Click(int index) {
    int32_t Options::*f[3] = {&Options::TicketColorOff, &Options::TicketColorOn1,
                              &Options::TicketColorOn2};
    GetBtnColor(static_cast<QPushButton*>(controls_.at(QStringLiteral("Command5(%1)").arg(index))),
                model_.*f[index]);
}

void frmOption::Command8_Click(int index) {
    int32_t Options::*f[3] = {&Options::DigitBackColor, &Options::DigitUnlitColor,
                              &Options::DigitLitColor};
    GetBtnColor(static_cast<QPushButton*>(controls_.at(QStringLiteral("Command8(%1)").arg(index))),
                model_.*f[index]);
    previewColours();
}

void frmOption::Command9_Click(int index) {
    int32_t Options::*f[3] = {&Options::ChimeiBackColor, &Options::ChimeiForeColor,
                              &Options::TsugiwaColorValue};
    GetBtnColor(static_cast<QPushButton*>(controls_.at(QStringLiteral("Command9(%1)").arg(index))),
                model_.*f[index]);
}

void frmOption::previewColours() {
    M_Degit1->setBackColor(static_cast<uint32_t>(model_.DigitBackColor));
    M_Degit1->setBaseForeColor(static_cast<uint32_t>(model_.DigitUnlitColor));
    M_Degit1->setDegitForeColor(static_cast<uint32_t>(model_.DigitLitColor));
}

void frmOption::Command7_Click() {
    SystemTime t;
    if (!Companion::current().Call_dlg111(this, t))
        return;
    model_.FixedDateText = QStringLiteral("%1/%2/%3")
                               .arg(t.wYear)
                               .arg(t.wMonth, 2, 10, QLatin1Char('0'))
                               .arg(t.wDay, 2, 10, QLatin1Char('0'));
    Label10->setText(model_.FixedDateText);
}

int32_t frmOption::SetPlgin(const QString& path) {
    if (path.isEmpty())
        return 0;
    ticket::PlgInfo info{};
    Companion& c = Companion::current();
    if (c.QV4_GetPlgInfo(path, info) == 0)
        return 0;
    c.QV4_SetPlgComment(path, txtPlginComment);
    const auto mark = [](int32_t flag) {
        return flag == 1 ? QStringLiteral("---> 可能") : QStringLiteral("---> 不可");
    };
    List1->clear();
    List1->addItem(QStringLiteral("日付の印字 ") + mark(info.printsDate));
    List1->addItem(QStringLiteral("時刻の印字 ") + mark(info.printsTime));
    List1->addItem(QStringLiteral("系統番号の印字 ") + mark(info.printsRoute));
    List1->addItem(QStringLiteral("停名の印字 ") + mark(info.printsStop));
    List1->addItem(QStringLiteral("バーコード印字 ") + mark(info.printsBarcode));
    if (info.printsBarcode == 1) {
        List1->addItem(QStringLiteral("バーコード本数 ---> %1").arg(info.barcodeCount));
        List1->addItem(QStringLiteral("バーコード系統方式 ") +
                       (info.routeMethod == 1 ? QStringLiteral("---> 連番式")
                                              : QStringLiteral("---> 系統番号＋往復フラグ")));
        List1->addItem(QStringLiteral("設定可能な系統範囲 ---> 1 ～ %1").arg(info.maxRoute));
        List1->addItem(
            QStringLiteral("停留所認識範囲 ---> %1 ～ %2").arg(info.stopLow).arg(info.stopHigh));
    }
    List1->addItem(QStringLiteral("社名切り替え:") + (info.companyCount >= 1
                                                          ? QStringLiteral("---> 可能")
                                                          : QStringLiteral("---> 不可")));
    setPreviewTwips(info.previewWidth, info.previewHeight);
    if (info.companyCount >= 1)
        setCompanies(c.QV4_CorpList(path));
    return 1;
}

void frmOption::Command1_Click() {
    const QString f = Companion::current().Qv3FileDlg(
        this, {QStringLiteral("整理券プラグイン(*.4SP)"), QStringLiteral("*.4SP")},
        QStringLiteral("プラグインの選択"));
    if (f.isEmpty())
        return;
    setCompanies({});
    if (SetPlgin(f) != 0) {
        static_cast<QLineEdit*>(controls_.at(QStringLiteral("txtSeiriPlgDir")))->setText(f);
        return;
    }
    Companion::current().messageBox(
        this, {QStringLiteral("プラグインロードエラー"),
               QStringLiteral("指定したファイルはプラグインでないか、内容が不正です"),
               MsgIcon::Error, MsgButtons::Ok});
}

void frmOption::Command11_Click() {
    static_cast<QLineEdit*>(controls_.at(QStringLiteral("txtSeiriPlgDir")))->clear();
    List1->clear();
    txtPlginComment->clear();
}

void frmOption::chkUseSeiriPrev_Click() {
    const bool on = model_.UseTicketPreview != 0;
    for (QGroupBox* f : {Frame10, Frame7}) {
        f->setEnabled(on);
        f->setVisible(on);
    }
}

void frmOption::Command4_Click() {
    SetProp();
    accept(); // hides, and tells the panel
}

void frmOption::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!lastPlace_) {
        centreOverPanel();
        settleFirstPlace(20);
        return;
    }
    const QPoint place = *lastPlace_;
    move(place);
    // Once the window manager has framed it again, the frame goes where it was.
    QTimer::singleShot(150, this, [this, place] {
        if (isVisible() && pos() != place)
            move(place);
    });
}

void frmOption::centreOverPanel() {
    const QScreen* s = screen();
    const QRect avail = s ? s->availableGeometry() : QRect();
    QRect over = placeOver();
    if (over.isEmpty())
        over = avail;
    QRect f = frameGeometry();
    f.moveCenter(over.center());
    if (!avail.isEmpty()) {
        f.moveRight(std::min(f.right(), avail.right()));
        f.moveBottom(std::min(f.bottom(), avail.bottom()));
        f.moveLeft(std::max(f.left(), avail.left()));
        f.moveTop(std::max(f.top(), avail.top()));
    }
    move(f.topLeft());
}

void frmOption::settleFirstPlace(int tries) {
    // Where the toolkit first puts a dialog depends on whether the window manager has
    // framed a window yet, which on a busy machine varies from start to start. Once this
    // dialog has its frame (or plainly never gets one), it is centred again for the frame
    // it has, so it opens in the same place every time.
    if (!isVisible())
        return;
    if (tries > 0 && frameGeometry() == geometry()) {
        QTimer::singleShot(300, this, [this, tries] { settleFirstPlace(tries - 1); });
        return;
    }
    centreOverPanel();
}

void frmOption::hideEvent(QHideEvent* e) {
    if (!e->spontaneous())
        lastPlace_ = pos();
    QDialog::hideEvent(e);
}
