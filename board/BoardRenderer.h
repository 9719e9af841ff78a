#pragma once
// Paints the whole board from its model alone, at any moment, zoom and look, with no
// window: the same element painters the window uses, so the two cannot differ. It keeps
// each cell's and the stop line's last picture, so a frame redraws only what changed.
#include "BoardModel.h"
#include "DigitPicture.h"
#include "StopLineView.h"

#include <QImage>
#include <array>

class QPainter;

enum class BoardBackground {
    Panel,       // the panel picture as the window shows it; black outside the round corners
    Transparent, // the same, transparent outside the round corners
    Lit,         // only the lit segments, dots and the labels, on transparency
};

class BoardRenderer {
  public:
    BoardRenderer();
    // The board at `timeMs` on the simulator's clock (the stop line's scroll then), as a
    // premultiplied ARGB picture of the board's size times `zoom` (1-8).
    QImage render(const BoardModel& m, int64_t timeMs, int zoom, const LedLook& look,
                  BoardBackground background);

    // Parts of a picture `render` made at `zoom` drawn again, for what changed: the stop
    // line at `timeMs`, or the 32 fare cells.
    void paintStopLine(QImage& picture, const BoardModel& m, int64_t timeMs, int zoom,
                       const LedLook& look, bool litOnly = false);
    void paintCells(QImage& picture, const BoardModel& m, int zoom, const LedLook& look,
                    bool litOnly = false);

  private:
    struct CellPicture {
        DigitState state;
        QString lit;
        int zoom = 0;
        LedLook look;
        bool litOnly = false;
        QImage image;
    };
    const QImage& cell(const BoardModel& m, const DigitState& st, size_t slot, int zoom,
                       const LedLook& look, bool litOnly);
    // The panel picture and the labels at `zoom`, made again only when they change.
    const QImage& baseLayer(const BoardModel& m, int zoom, bool litOnly);
    // The picture to draw into: the last one again when its taker has let it go, so a
    // stream of frames does not ask the system for fresh memory each time.
    QImage& canvas(const QSize& size);

    struct BaseLayer {
        int zoom = 0;
        bool litOnly = false;
        qint64 picture = 0;
        QRgb window = 0;
        int dpi = 0;
        std::array<BoardLabel, limits::kFareCells + 1> labels;
        QImage image;
    };
    BaseLayer base_;
    QImage canvas_;

    std::array<CellPicture, limits::kFareCells + 1> cells_;
    StopLineView line_;
    StopLine::Cursor scroll_;
};

// A label's text as the window draws it, into `rect` of a painter.
void paintBoardLabel(QPainter& p, const QRect& rect, const BoardLabel& label);

// One renderer for the UI thread's callers.
QImage renderBoard(const BoardModel& m, int64_t timeMs, int zoom, const LedLook& look,
                   BoardBackground background);
