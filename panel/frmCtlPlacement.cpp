#include "frmCtl.h"

#include <QTimer>

#include "BoardLayout.h"
#include "PanelState.h"
#include "WindowPlacement.h"

#include <QScreen>

// Where the panel stands: its width with or without the preview side, its start-up
// corner, the place the settings keep in twips, and the panel's settings block.

void frmCtl::setOuterWidthTwips(int twips) {
    // The widths are the window's outer ones, frame included, as the placement uses.
    const int frameExtra = frameGeometry().width() - width();
    setFixedWidth(board::px(twips) - frameExtra);
}

void frmCtl::keepOnScreen() {
    const QScreen* s = screen();
    if (!s || !isVisible())
        return;
    const QRect avail = s->availableGeometry();
    const QRect f = frameGeometry();
    if (f.right() > avail.right())
        move(pos() - QPoint(f.right() - avail.right(), 0));
}

void frmCtl::placeAtBottomRight() {
    const QScreen* s = screen();
    if (!s)
        return;
    const QRect g = s->geometry();
    const QSize frame = frameGeometry().size();
    move(g.right() + 1 - frame.width(), g.bottom() + 1 - frame.height());
    placedAt_ = pos();
}

void frmCtl::settlePlacement(int tries) {
    // A window manager adds its frame after the window was first sized and placed: size
    // it again for the frame it now has, and place it again unless the operator moved it.
    // A busy machine's window manager may not have framed it yet: look again a few times
    // (without one, it never will, and the window settles as it is).
    if (tries > 0 && frameGeometry() == geometry() && isVisible()) {
        QTimer::singleShot(300, this, [this, tries] { settlePlacement(tries - 1); });
        return;
    }
    setOuterWidthTwips(ctx_.state.expanded() ? kExpandedWidthTwips : kDesignWidthTwips);
    if (restoredAt_ && pos() != *restoredAt_)
        // Placed from the settings before the window manager framed it, the window may
        // have gone where its inside should be; the saved place is the frame's.
        move(*restoredAt_);
    else if (!restoredAt_ && pos() == placedAt_)
        placeAtBottomRight();
    restoredAt_.reset();
}

void frmCtl::GetCtrlDataInfo(CtrlDataInfo& info) const {
    info.PanelLeft = LeftTwips();
    info.PanelTop = TopTwips();
    ctx_.state.save(info);
    info.LateNightFare = ctx_.trip.lateNight() ? 1 : 0;
}

void frmCtl::SetCtrlDataInfo(const CtrlDataInfo& info) {
    moveTwips(info.PanelLeft, info.PanelTop);
    restoredAt_ = pos();
    // A place no screen shows any more would leave the panel out of reach.
    if (!visibleOnSomeScreen(frameGeometry())) {
        restoredAt_.reset();
        placeAtBottomRight();
    }
    ctx_.state.restore(info);
    ctx_.trip.setLateNight(info.LateNightFare != 0);
}

int frmCtl::widthTwips() const {
    return frameGeometry().width() * board::kTwipsPerPixel;
}
int frmCtl::LeftTwips() const {
    return frameGeometry().x() * board::kTwipsPerPixel;
}
int frmCtl::TopTwips() const {
    return frameGeometry().y() * board::kTwipsPerPixel;
}
void frmCtl::moveTwips(int left, int top) {
    move(board::px(left), board::px(top));
}
