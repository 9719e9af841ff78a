#include "mdl527_000.h"

#include "AppError.h"
#include "BoardLayout.h"
#include "Companion.h"
#include "Form1.h"
#include "Numbering.h"
#include "Options.h"
#include "PanelPictures.h"

namespace mdl527_000 {

void ClearFares(Form1& board) {
    for (int n = 1; n <= board::kFareCells; ++n)
        board.Degit(static_cast<size_t>(n))->setValue(0.0);
}

void ApplyDefaultStyle(Options& options, Form1& board, int backlight) {
    const Options defaults;
    options.AutoTicketNumbers = defaults.AutoTicketNumbers;
    options.TicketColorOff = defaults.TicketColorOff;
    options.TicketColorOn1 = defaults.TicketColorOn1;
    options.TicketColorOn2 = defaults.TicketColorOn2;
    board.setPicture(board.imgRes(0));
    board.imgRes(1) = board.imgRes(0);
    board.imgRes(2) = board.imgRes(0);
    SetProp(options, board, backlight);
}

void SeirikenNumSet(Form1& board, int16_t mode, int16_t leadingZero) {
    try {
        const NumberingPlan plan = numberingPlan(mode, leadingZero);
        QFont f = board.model().labels[1].font;
        f.setFamily(QStringLiteral("ＭＳ Ｐゴシック"));
        board.setLabelFont(1, f);
        if (plan.label1Text)
            board.setLabelText(1, *plan.label1Text);
        for (int n = 2; n <= board::kFareCells; ++n)
            board.setLabelText(n, plan.others[static_cast<size_t>(n - 2)]);
        f.setPointSizeF(plan.label1Points);
        board.setLabelFont(1, f);
    } catch (const AppError& e) {
        Companion::current().messageBox(
            &board,
            {QStringLiteral("エラー！"),
             QStringLiteral(
                 "エラーです！\n\nコード：%1\n\n内容：%2\n\nモジュール：IniIO-SeirikenNumSet( )")
                 .arg(e.number())
                 .arg(e.description()),
             MsgIcon::Error, MsgButtons::Ok});
    }
}

} // namespace mdl527_000

namespace {
// Text colour of the 32 ticket-number labels.
void colourTicketNumbers(Form1& board, int32_t colour) {
    for (int n = 1; n <= board::kFareCells; ++n)
        board.setLabelColour(n, colorFromBgr(static_cast<uint32_t>(colour)).rgba());
}
} // namespace

void colourElements(const Options& o, Form1& board) {
    auto colourDigit = [&](M_Degit* d) {
        d->setBackColor(static_cast<uint32_t>(o.DigitBackColor));
        d->setBaseForeColor(static_cast<uint32_t>(o.DigitUnlitColor));
        d->setDegitForeColor(static_cast<uint32_t>(o.DigitLitColor));
    };
    for (int i = 1; i <= board::kFareCells; ++i)
        colourDigit(board.Degit(static_cast<size_t>(i)));
    for (M_Degit* d : board.TimeDegit())
        colourDigit(d);
    ChimeiCtl_DX& c = *board.ChimeiCtl();
    c.setBackColor(static_cast<uint32_t>(o.ChimeiBackColor));
    c.setForeColor(static_cast<uint32_t>(o.ChimeiForeColor));
    c.setFontMode(o.ChimeiFont);
    c.setFontBold(o.ChimeiBold == 1);
    c.setTsugiwaMode(o.TsugiwaDisplay);
    c.setTsugiwaColor(static_cast<uint32_t>(o.TsugiwaColorValue));
    c.setTsugiwaFontMode(o.TsugiwaFont);
    c.setTsugiwaBold(o.TsugiwaBoldFlag == 1);
}

void SetProp(const Options& o, Form1& board, int backlight) {
    for (int i = 1; i <= board::kFareCells; ++i)
        board.setLabelVisible(i, o.AutoTicketNumbers != 0);
    mdl527_000::SeirikenNumSet(board, o.NumberingMode, o.LeadingZero);
    const int32_t ticketColor = backlight == 0   ? o.TicketColorOff
                                : backlight == 1 ? o.TicketColorOn1
                                                 : o.TicketColorOn2;
    colourTicketNumbers(board, ticketColor);
    colourElements(o, board);
    applyBacklight(o, board, backlight == 0 ? 0 : backlight == 1 ? 1 : 2);
}

void applyBacklight(const Options& o, Form1& board, int index) {
    const int32_t colors[3] = {o.TicketColorOff, o.TicketColorOn1, o.TicketColorOn2};
    const int i = std::clamp(index, 0, 2);
    if (const std::optional<QString> file = userPanelFile(o, i)) {
        // A user picture that has gone missing keeps whatever the board shows now.
        if (FileExists(*file)) {
            const PanelLoad load = loadPanelPicture(*file);
            if (load.errorNo != 0)
                Companion::current().messageBox(&board, {QStringLiteral("エラー"),
                                                         panelErrorText(load.errorNo),
                                                         MsgIcon::Error, MsgButtons::Ok});
            else
                board.setPicture(load.image);
        }
    } else {
        board.setPicture(board.imgRes(static_cast<size_t>(i)));
    }
    // The ticket numbers take the state's colour even when its picture failed.
    colourTicketNumbers(board, colors[i]);
}

LedLook ledLookOf(const Options& o) {
    LedLook l;
    l.on = o.LedDisplay != 0;
    l.glow = o.LedGlow != 0;
    l.color = o.LedColor;
    return l;
}

void applyDisplay(const Options& o, Form1& board, std::optional<int> zoom) {
    board.setLook(ledLookOf(o));
    // The remembered zoom stays remembered; a monitor too small for it shows the largest
    // that fits.
    board.setZoom(std::min(zoom.value_or(o.BoardZoom), board.largestFittingZoom()));
}
