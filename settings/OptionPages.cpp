// The six pages of the options dialog, control by control, in the order the operator
// reads them. Each control is bound to its settings field by the dialog's helpers.
#include "M_Degit.h"
#include "OptionLists.h"
#include "frmOption.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QLabel* note(const QString& text) {
    auto* l = new QLabel(text);
    l->setWordWrap(true);
    l->setStyleSheet(QStringLiteral("color: #404040;"));
    return l;
}

QGroupBox* frame(const QString& caption, QLayout* inner) {
    auto* g = new QGroupBox(caption);
    g->setLayout(inner);
    return g;
}

} // namespace

struct OptionPages {
    static void build(frmOption& d, QStackedWidget* pages);

    // A path box with its "..." button calling `pick(index)`.
    static QWidget* pathRow(frmOption& d, const QString& box, const QString& button,
                            QString Options::*field, std::function<void()> pick) {
        auto* w = new QWidget;
        auto* row = new QHBoxLayout(w);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(d.text(box, field), 1);
        auto* b = d.add(button, new QPushButton(QStringLiteral("...")));
        b->setFixedWidth(32);
        QObject::connect(b, &QPushButton::clicked, &d, pick);
        row->addWidget(b);
        return w;
    }

    static QWidget* page0(frmOption& d) {
        auto* g = new QVBoxLayout;
        const QString captions[2] = {QStringLiteral("運賃データ(*.hy3)のあるフォルダー："),
                                     QStringLiteral("放送用データ(*****Tp.csv)のあるフォルダー：")};
        QString Options::*fields[2] = {&Options::FareDataFolder, &Options::BroadcastDataFolder};
        const QString open[2] = {QStringLiteral("上記運賃データの場所をエクスプローラで開く"),
                                 QStringLiteral("上記放送用データの場所をエクスプローラで開く")};
        for (int i = 0; i < 2; ++i) {
            g->addWidget(new QLabel(captions[i]));
            g->addWidget(pathRow(d, QStringLiteral("Text2(%1)").arg(i),
                                 QStringLiteral("Command3(%1)").arg(i), fields[i],
                                 [&d, i] { d.Command3_Click(i); }));
            auto* b = d.add(QStringLiteral("Command10(%1)").arg(i), new QPushButton(open[i]));
            QObject::connect(b, &QPushButton::clicked, &d, [&d, i] { d.Command10_Click(i); });
            g->addWidget(b, 0, Qt::AlignLeft);
            if (i == 0) {
                auto* gtfs = d.add(QStringLiteral("cmdRouteImport"),
                                   new QPushButton(QStringLiteral("路線データの取り込み（GTFS-JP）...")));
                QObject::connect(gtfs, &QPushButton::clicked, &d, [&d] { d.openRouteImport(); });
                g->addWidget(gtfs, 0, Qt::AlignLeft);
            }
            g->addSpacing(12);
        }
        g->addWidget(d.check(QStringLiteral("chkRemote"), QStringLiteral("外部制御を有効にする"),
                             &Options::RemoteControl));
        g->addWidget(d.check(
            QStringLiteral("chkRemoteLan"),
            QStringLiteral("ネットワークの他の機器からも接続を受け付ける（トークンが必要）"),
            &Options::RemoteLan));
        g->addWidget(d.check(QStringLiteral("chkRemoteQuit"),
                             QStringLiteral("リモートからの終了を許可"), &Options::RemoteQuit));
        g->addWidget(d.check(QStringLiteral("chkTapeFollowsSection"),
                             QStringLiteral("放送を区間に合わせる（系統設定のとき、始める停留所の放送の次から）"),
                             &Options::TapeFollowsSection));
        auto* distance = new QHBoxLayout;
        distance->addWidget(new QLabel(QStringLiteral("次の停留所の手前")));
        auto* metres = d.add(QStringLiteral("spnAnnounceDistance"), new QSpinBox);
        metres->setRange(10, 5000);
        metres->setSuffix(QStringLiteral(" m"));
        QObject::connect(metres, &QSpinBox::valueChanged, &d, [&d](int v) {
            if (!d.loading_)
                d.model_.AnnounceDistanceM = v;
        });
        d.loaders_.push_back([&d, metres] { metres->setValue(d.model_.AnnounceDistanceM); });
        distance->addWidget(metres);
        distance->addWidget(new QLabel(QStringLiteral("で放送する（テレメトリに従うとき）")));
        distance->addStretch();
        g->addLayout(distance);
        g->addStretch();
        return frame(QStringLiteral("運賃データと放送用データ"), g);
    }

    static QWidget* page1(frmOption& d) {
        auto* g = new QVBoxLayout;
        auto* c1 = d.check(QStringLiteral("Check1"), QStringLiteral("整理券番号自動表示機能を使用"),
                           &Options::AutoTicketNumbers);
        QObject::connect(c1, &QCheckBox::toggled, &d, [&d] { d.Check1_Click(); });
        g->addWidget(c1);
        auto* f3 = new QGridLayout;
        f3->addWidget(new QLabel(QStringLiteral("整理券番号のバックライトカラー(文字色)")), 0, 0, 1,
                      6);
        const QString states[3] = {QStringLiteral("OFF："), QStringLiteral("ON1："),
                                   QStringLiteral("ON2：")};
        int32_t Options::*colours[3] = {&Options::TicketColorOff, &Options::TicketColorOn1,
                                        &Options::TicketColorOn2};
        for (int i = 0; i < 3; ++i) {
            f3->addWidget(new QLabel(states[i]), 1, 2 * i, Qt::AlignRight);
            auto* b = d.color(QStringLiteral("Command5(%1)").arg(i), colours[i]);
            QObject::connect(b, &QPushButton::clicked, &d, [&d, i] { d.Command5_Click(i); });
            f3->addWidget(b, 1, 2 * i + 1);
        }
        f3->addWidget(d.combo(QStringLiteral("Combo2"), optionlists::numberingModes(),
                              &Options::NumberingMode),
                      2, 0, 1, 6);
        f3->addWidget(d.check(QStringLiteral("Check2"),
                              QStringLiteral("数字が1桁の番号は頭に0を付け足す"),
                              &Options::LeadingZero),
                      3, 0, 1, 6);
        d.Frame3 = frame(QStringLiteral("整理券番号表示設定"), f3);
        g->addWidget(d.Frame3);
        g->addWidget(note(QStringLiteral("※ユーザーパネルに直接番号をデザインしている場合には上記チ"
                                         "ェックをOFFにしてください。")));

        auto* panel = new QVBoxLayout;
        auto* mode = new QButtonGroup(&d);
        auto* auto0 = d.flag(QStringLiteral("Option3(0)"),
                             QStringLiteral("内蔵しているパネルを自動で割り当てる"),
                             &Options::PanelAuto, mode);
        auto* indiv = d.flag(QStringLiteral("Option3(1)"), QStringLiteral("個別に設定する"),
                             &Options::PanelIndividual, mode);
        panel->addWidget(auto0);
        panel->addWidget(indiv);
        // Per state: built-in / user option buttons, the file and its "..." button.
        const struct {
            const char16_t* caption;
            int builtIn, user;
            int16_t Options::*builtInField;
            int16_t Options::*userField;
            QString Options::*file;
        } rows[3] = {
            {u"バックライトOFF時の画像：", 7, 6, &Options::OffBuiltIn, &Options::OffUser,
             &Options::OffImageFile},
            {u"ON1の画像：", 3, 2, &Options::On1BuiltIn, &Options::On1User, &Options::On1ImageFile},
            {u"ON2の画像：", 4, 5, &Options::On2BuiltIn, &Options::On2User,
             &Options::On2ImageFile}};
        for (int i = 0; i < 3; ++i) {
            auto* grid = new QGridLayout;
            auto* group = new QButtonGroup(&d);
            grid->addWidget(d.flag(QStringLiteral("Option3(%1)").arg(rows[i].builtIn),
                                   QStringLiteral("内蔵"), rows[i].builtInField, group),
                            0, 0);
            grid->addWidget(d.flag(QStringLiteral("Option3(%1)").arg(rows[i].user),
                                   QStringLiteral("ユーザーパネル"), rows[i].userField, group),
                            0, 1);
            grid->addWidget(pathRow(d, QStringLiteral("txtSelectPanel(%1)").arg(i),
                                    QStringLiteral("Command6(%1)").arg(i), rows[i].file,
                                    [&d, i] { d.Command6_Click(i); }),
                            1, 0, 1, 2);
            d.Frame6[static_cast<size_t>(i)] = frame(QString::fromUtf16(rows[i].caption), grid);
            d.Frame6[static_cast<size_t>(i)]->setObjectName(QStringLiteral("Frame6(%1)").arg(i));
            panel->addWidget(d.Frame6[static_cast<size_t>(i)]);
        }
        for (const char* n : {"Option3(0)", "Option3(1)", "Option3(2)", "Option3(3)", "Option3(4)",
                              "Option3(5)", "Option3(6)", "Option3(7)"})
            QObject::connect(static_cast<QRadioButton*>(d.control(QString::fromLatin1(n))),
                             &QRadioButton::toggled, &d, [&d] { d.Option3_Click(); });
        g->addWidget(frame(QStringLiteral("本体パネル"), panel));
        g->addWidget(
            note(QStringLiteral("※ユーザーパネルには、現在の機種に対応の画像をご使用ください。大き"
                                "いパネルの場合、はみ出た部分（右・下）が切り取られます。"
                                "逆に小さいパネルの場合は左上から表示され、余白部分はグレーになりま"
                                "すのでご注意ください。")));
        g->addStretch();
        return frame(QStringLiteral("パネルと整理券番号表示"), g);
    }

    static QWidget* page2(frmOption& d) {
        auto* g = new QVBoxLayout;
        auto* colours = new QGridLayout;
        const QString caps[3] = {QStringLiteral("背景色："), QStringLiteral("未発光時の文字色："),
                                 QStringLiteral("発光時の文字色：")};
        int32_t Options::*fields[3] = {&Options::DigitBackColor, &Options::DigitUnlitColor,
                                       &Options::DigitLitColor};
        for (int i = 0; i < 3; ++i) {
            colours->addWidget(new QLabel(caps[i]), i, 0, Qt::AlignRight);
            auto* b = d.color(QStringLiteral("Command8(%1)").arg(i), fields[i]);
            QObject::connect(b, &QPushButton::clicked, &d, [&d, i] { d.Command8_Click(i); });
            colours->addWidget(b, i, 1);
        }
        colours->addWidget(new QLabel(QStringLiteral("プレビュー")), 0, 2, Qt::AlignCenter);
        d.M_Degit1 = d.add(QStringLiteral("M_Degit1"), new M_Degit);
        d.M_Degit1->setKeta(3);
        d.M_Degit1->setDegitSize(0);
        d.M_Degit1->setValue(230.0);
        colours->addWidget(d.M_Degit1, 1, 2, 2, 1, Qt::AlignCenter);
        g->addWidget(
            frame(QStringLiteral(
                      "デジタル部品の背景色と文字色（時計つきの場合はこの部分も同色となります）"),
                  colours));

        auto* info = new QGridLayout;
        auto row = [&](int r, int check, const QString& before, const QString& after, int cellCombo,
                       int16_t Options::*shown, int16_t Options::*cell) {
            auto* c = d.check(QStringLiteral("Check3(%1)").arg(check), before, shown);
            QObject::connect(c, &QCheckBox::toggled, &d, [&d, check] { d.Check3_Click(check); });
            info->addWidget(c, r, 0);
            info->addWidget(
                d.combo(QStringLiteral("Combo4(%1)").arg(cellCombo), optionlists::cells(), cell), r,
                3);
            info->addWidget(new QLabel(after), r, 4);
        };
        row(0, 0, QStringLiteral("停留所の順番（区間・個数）を、"),
            QStringLiteral("コマ目に表示する。"), 0, &Options::ShowStopOrder,
            &Options::StopOrderCell);
        info->addWidget(d.check(QStringLiteral("Check3(4)"), QStringLiteral("0から数える"),
                                &Options::StopOrderFromZero),
                        1, 0);
        row(2, 1, QStringLiteral("整理券番号を、"), QStringLiteral("コマ目に表示する。"), 1,
            &Options::ShowTicketNumber, &Options::TicketNumberCell);
        row(3, 2, QStringLiteral("系統番号を、"), QStringLiteral("コマ目に表示する。"), 2,
            &Options::ShowRouteNumber, &Options::RouteNumberCell);
        row(4, 3, QStringLiteral("データの"), QStringLiteral("コマ目に表示する。"), 3,
            &Options::ShowDataColumn, &Options::DataColumnCell);
        info->addWidget(
            d.combo(QStringLiteral("Combo4(4)"), optionlists::columns(), &Options::DataColumn), 4,
            1);
        info->addWidget(new QLabel(QStringLiteral("列目の値を、")), 4, 2);
        g->addWidget(frame(QStringLiteral("情報用数字"), info));
        g->addWidget(note(QStringLiteral(
            "デジタル数字の桁ずらし、ゼロ埋めの設定は各部品をダブルクリックして設定してください。"
            "また、これら情報用数字は運賃の表示よりも優先されます。")));
        g->addStretch();
        return frame(QStringLiteral("デジタル部品と情報用数字"), g);
    }

    static QWidget* page3(frmOption& d) {
        auto* g = new QVBoxLayout;
        auto* name = new QGridLayout;
        const QString caps[2] = {QStringLiteral("背景色："), QStringLiteral("文字色：")};
        int32_t Options::*fields[3] = {&Options::ChimeiBackColor, &Options::ChimeiForeColor,
                                       &Options::TsugiwaColorValue};
        for (int i = 0; i < 2; ++i) {
            name->addWidget(new QLabel(caps[i]), 0, 2 * i, Qt::AlignRight);
            auto* b = d.color(QStringLiteral("Command9(%1)").arg(i), fields[i]);
            QObject::connect(b, &QPushButton::clicked, &d, [&d, i] { d.Command9_Click(i); });
            name->addWidget(b, 0, 2 * i + 1);
        }
        name->addWidget(new QLabel(QStringLiteral("フォントオプション：")), 1, 0, 1, 2);
        name->addWidget(
            d.combo(QStringLiteral("Combo3"), optionlists::chimeiFonts(), &Options::ChimeiFont), 1,
            2, 1, 3);
        name->addWidget(d.check(QStringLiteral("Check4"),
                                QStringLiteral("太字（表示の不具合はサポート対象外）"),
                                &Options::ChimeiBold),
                        2, 0, 1, 5);
        g->addWidget(frame(QStringLiteral("停名部分の設定"), name));
        auto* t = new QGridLayout;
        t->addWidget(new QLabel(QStringLiteral("「次は」表示オプション：")), 0, 0);
        t->addWidget(d.combo(QStringLiteral("Combo6"), optionlists::tsugiwaDisplays(),
                             &Options::TsugiwaDisplay),
                     0, 1);
        t->addWidget(new QLabel(QStringLiteral("フォントオプション：")), 1, 0);
        t->addWidget(
            d.combo(QStringLiteral("Combo5"), optionlists::tsugiwaFonts(), &Options::TsugiwaFont),
            1, 1);
        t->addWidget(d.check(QStringLiteral("Check5"),
                             QStringLiteral("太字（表示の不具合はサポート対象外）"),
                             &Options::TsugiwaBoldFlag),
                     2, 0, 1, 2);
        t->addWidget(new QLabel(QStringLiteral("「次は」の文字色：")), 3, 0, Qt::AlignRight);
        auto* b = d.color(QStringLiteral("Command9(2)"), fields[2]);
        QObject::connect(b, &QPushButton::clicked, &d, [&d] { d.Command9_Click(2); });
        t->addWidget(b, 3, 1, Qt::AlignLeft);
        g->addWidget(
            frame(QStringLiteral("「次は」の表示設定(データの最初は「次は」は表示されません)"), t));
        auto* led = new QGridLayout;
        led->addWidget(
            d.check(QStringLiteral("chkLed"),
                    QStringLiteral("LED表示（丸いLEDで表示し、消えているLEDも薄く見せる）"),
                    &Options::LedDisplay),
            0, 0, 1, 2);
        led->addWidget(
            d.check(QStringLiteral("chkLedGlow"), QStringLiteral("光のにじみ"), &Options::LedGlow),
            1, 0, 1, 2);
        led->addWidget(new QLabel(QStringLiteral("LEDの色：")), 2, 0, Qt::AlignRight);
        led->addWidget(
            d.combo(QStringLiteral("cmbLedColor"), optionlists::ledColors(), &Options::LedColor), 2,
            1, Qt::AlignLeft);
        g->addWidget(frame(QStringLiteral("LED表示"), led));
        g->addStretch();
        return frame(QStringLiteral("停名の設定"), g);
    }

    static QGridLayout* soundRow(frmOption& d, QGridLayout* grid, int row, const QString& caption,
                                 int index, QString Options::*field) {
        grid->addWidget(new QLabel(caption), row, 0);
        grid->addWidget(pathRow(d, QStringLiteral("txtSelectSound(%1)").arg(index),
                                QStringLiteral("cmdSelectSound(%1)").arg(index), field,
                                [&d, index] { d.cmdSelectSound_Click(index); }),
                        row, 1);
        return grid;
    }

    static QWidget* soundFrame(frmOption& d, bool pre) {
        auto* grid = new QGridLayout;
        auto* which = new QButtonGroup(&d);
        const int fixedBtn = pre ? 2 : 0, byBtn = pre ? 3 : 1;
        grid->addWidget(d.flag(QStringLiteral("Option2(%1)").arg(fixedBtn),
                               QStringLiteral("常に右記のサウンドを鳴らす"),
                               pre ? &Options::PreSoundFixed : &Options::StepSoundFixed, which),
                        0, 0);
        grid->addWidget(pathRow(d, QStringLiteral("txtSelectSound(%1)").arg(pre ? 3 : 7),
                                QStringLiteral("cmdSelectSound(%1)").arg(pre ? 3 : 7),
                                pre ? &Options::PreSoundFile : &Options::StepSoundFile,
                                [&d, pre] { d.cmdSelectSound_Click(pre ? 3 : 7); }),
                        0, 1);
        auto* by =
            d.flag(QStringLiteral("Option2(%1)").arg(byBtn),
                   pre ? QStringLiteral("放送データ(*.Tp.csv)"
                                        "内のフラグから判断して、以下の指定したサウンドを鳴らす（フ"
                                        "ラグの内容が1～3以外の場合はサウンドは鳴りません）")
                       : QStringLiteral(
                             "運賃データ(*.hy3)"
                             "の特定の列のデータから判断して、以下の指定したサウンドを鳴らす（指定"
                             "した列のデータの内容が1～3以外の場合はサウンドは鳴りません）"),
                   pre ? &Options::PreSoundByFlag : &Options::StepSoundByColumn, which);
        // A caption this long wraps beside its button, as the original's option buttons do.
        auto* byRow = new QHBoxLayout;
        auto* byText = new QLabel(by->text());
        byText->setWordWrap(true);
        by->setText(QString());
        by->setAccessibleName(byText->text());
        byRow->addWidget(by, 0, Qt::AlignTop);
        byRow->addWidget(byText, 1);
        grid->addLayout(byRow, 1, 0, 1, 2);
        if (!pre) {
            grid->addWidget(new QLabel(QStringLiteral("列：")), 2, 0, Qt::AlignRight);
            grid->addWidget(d.combo(QStringLiteral("Combo1"), optionlists::columns(),
                                    &Options::StepSoundColumn),
                            2, 1, Qt::AlignLeft);
        }
        QString Options::*files[3] = {pre ? &Options::PreSound1 : &Options::StepSound1,
                                      pre ? &Options::PreSound2 : &Options::StepSound2,
                                      pre ? &Options::PreSound3 : &Options::StepSound3};
        for (int k = 0; k < 3; ++k)
            soundRow(d, grid, 3 + k, QStringLiteral("「%1」の場合").arg(k + 1), (pre ? 4 : 8) + k,
                     files[k]);
        auto* play = new QButtonGroup(&d);
        auto* mode = new QVBoxLayout;
        mode->addWidget(
            d.flag(QStringLiteral("Option%1(0)").arg(pre ? 7 : 6),
                   pre ? QStringLiteral("同期再生(サウンドが完全に再生された後で放送開始)")
                       : QStringLiteral("同期再生(サウンドが完全に再生された後で運賃切り替え)"),
                   pre ? &Options::PreSoundSync : &Options::StepSoundSync, play));
        mode->addWidget(
            d.flag(QStringLiteral("Option%1(1)").arg(pre ? 7 : 6),
                   pre ? QStringLiteral("非同期再生(サウンドを再生しながら放送開始)")
                       : QStringLiteral("非同期再生(サウンドを再生しながら運賃切り替え)"),
                   pre ? &Options::PreSoundAsync : &Options::StepSoundAsync, play));
        grid->addWidget(frame(QStringLiteral("再生方法"), mode), 6, 0, 1, 2);
        grid->setRowStretch(7, 1);
        return frame(pre ? QStringLiteral("放送前のサウンド：※音声合成放送機能が有効でない場合は以"
                                          "下の設定は意味を持ちません。")
                         : QStringLiteral("送り・戻し時のサウンド"),
                     grid);
    }

    static QWidget* page4(frmOption& d) {
        auto* g = new QVBoxLayout;
        auto* top = new QGridLayout;
        soundRow(d, top, 0, QStringLiteral("系統設定時のサウンド："), 0, &Options::RouteSetSound);
        soundRow(d, top, 1, QStringLiteral("リセット時のサウンド："), 1, &Options::ResetSound);
        g->addLayout(top);
        auto* switcher = new QHBoxLayout;
        auto* which = new QButtonGroup(&d);
        const QString caps[2] = {QStringLiteral("放送前のサウンド..."),
                                 QStringLiteral("送り・戻し時のサウンド...")};
        for (int i = 0; i < 2; ++i) {
            auto* r = d.add(QStringLiteral("Option5(%1)").arg(i), new QRadioButton(caps[i]));
            which->addButton(r);
            QObject::connect(r, &QRadioButton::clicked, &d, [&d, i] { d.Option5_Click(i); });
            switcher->addWidget(r);
        }
        static_cast<QRadioButton*>(d.control(QStringLiteral("Option5(0)")))->setChecked(true);
        g->addLayout(switcher);
        d.Frame2 = new QStackedWidget;
        d.Frame2->addWidget(soundFrame(d, true));
        d.Frame2->addWidget(soundFrame(d, false));
        g->addWidget(d.Frame2);
        g->addWidget(note(QStringLiteral("「放送前のサウンド」再生時は、停名のスクロールが停止する"
                                         "ことがありますので、あらかじめご了承ください。")));
        return frame(
            QStringLiteral("サウンド（鳴らさなくてもいい項目にはファイル名を入れないで下さい）"),
            g);
    }

    static QWidget* page5(frmOption& d) {
        auto* g = new QVBoxLayout;
        auto* use =
            d.check(QStringLiteral("chkUseSeiriPrev"),
                    QStringLiteral("整理券プレビュー機能を使用する"), &Options::UseTicketPreview);
        g->addWidget(use);
        auto* plug = new QVBoxLayout;
        auto* row = new QHBoxLayout;
        auto* path = d.text(QStringLiteral("txtSeiriPlgDir"), &Options::PluginPath);
        path->setReadOnly(true); // chosen with "...", so it always names a checked file
        row->addWidget(path, 1);
        auto* choose = d.add(QStringLiteral("Command1"), new QPushButton(QStringLiteral("...")));
        choose->setFixedWidth(32);
        QObject::connect(choose, &QPushButton::clicked, &d, &frmOption::Command1_Click);
        row->addWidget(choose);
        auto* remove = d.add(QStringLiteral("Command11"), new QPushButton(QStringLiteral("×")));
        remove->setFixedWidth(22);
        remove->setToolTip(QStringLiteral("プラグインを外す"));
        QObject::connect(remove, &QPushButton::clicked, &d, &frmOption::Command11_Click);
        row->addWidget(remove);
        plug->addLayout(row);
        plug->addWidget(new QLabel(QStringLiteral("上記プラグインの特記事項：")));
        d.txtPlginComment = d.add(QStringLiteral("txtPlginComment"), new QPlainTextEdit);
        d.txtPlginComment->setReadOnly(true);
        d.txtPlginComment->setFixedHeight(64);
        plug->addWidget(d.txtPlginComment);
        plug->addWidget(new QLabel(QStringLiteral("上記プラグインのプロパティ：")));
        d.List1 = d.add(QStringLiteral("List1"), new QListWidget);
        d.List1->setFixedHeight(140); // all ten lines of a barcode ticket
        plug->addWidget(d.List1);
        auto* frame10 = frame(QStringLiteral("整理券プラグイン設定"), plug);
        frame10->setObjectName(QStringLiteral("Frame10"));
        d.Frame10 = frame10;
        g->addWidget(frame10);
        auto* date = new QGridLayout;
        auto* group = new QButtonGroup(&d);
        date->addWidget(
            d.flag(
                QStringLiteral("Option4(0)"),
                QStringLiteral("システムの日付を使用（整理券印字と同時に日付を更新、デフォルト）"),
                &Options::DatePerPrint, group),
            0, 0, 1, 3);
        date->addWidget(
            d.flag(QStringLiteral("Option4(1)"),
                   QStringLiteral("システムの日付を使用（系統設定した時点の日付を保持）"),
                   &Options::DatePerRoute, group),
            1, 0, 1, 3);
        date->addWidget(d.flag(QStringLiteral("Option4(2)"), QStringLiteral("右記の日付に固定"),
                               &Options::DateFixed, group),
                        2, 0);
        d.Label10 = d.add(QStringLiteral("Label10"), new QLabel);
        date->addWidget(d.Label10, 2, 1);
        auto* pick =
            d.add(QStringLiteral("Command7"), new QPushButton(QStringLiteral("日付選択...")));
        QObject::connect(pick, &QPushButton::clicked, &d, &frmOption::Command7_Click);
        date->addWidget(pick, 2, 2);
        date->addWidget(note(QStringLiteral("系統設定した際の日付が保持され、日付が途中で変わっても"
                                            "次回系統設定するまで整理券の日付変更を行いません。")),
                        3, 0, 1, 3);
        auto* frame7 =
            frame(QStringLiteral(
                      "日付の設定（整理券プラグインが日付の印字をサポートしているときに有効）"),
                  date);
        frame7->setObjectName(QStringLiteral("Frame7"));
        d.Frame7 = frame7;
        g->addWidget(frame7);
        // Both frames are there only while the preview is in use.
        QObject::connect(use, &QCheckBox::toggled, &d, [&d] { d.chkUseSeiriPrev_Click(); });
        d.afterRefresh.push_back([&d] { d.chkUseSeiriPrev_Click(); });
        g->addStretch();
        return frame(QStringLiteral("整理券プレビュー"), g);
    }
};

void OptionPages::build(frmOption& d, QStackedWidget* pages) {
    pages->addWidget(page0(d));
    pages->addWidget(page1(d));
    pages->addWidget(page2(d));
    pages->addWidget(page3(d));
    pages->addWidget(page4(d));
    pages->addWidget(page5(d));
}
