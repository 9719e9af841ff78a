#pragma once
// The fare board window: borderless, rounded, the panel picture as its face with the 32
// fare digits, their ticket-number labels and the stop-name line on top. It can be shown
// at a whole-number zoom, full screen on black, and in the LED look.
#include "BoardModel.h"
#include "BoardRenderer.h"
#include "BoardView.h"
#include "ChimeiCtl_DX.h"
#include "Clock.h"
#include "LedLook.h"
#include "Limits.h"
#include "M_Degit.h"
#include "SettingsRecord.h"

#include "SimClock.h"
#include <QImage>
#include <QJsonObject>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QMenu;
class QScreen;

// A ticket-number label; it keeps presses to itself so they do not drag the board. Zoomed,
// it draws its text at 1x over the board beneath and enlarges that by whole pixels.
class SeiriLabel : public QLabel {
  public:
    using QLabel::QLabel;
    // The label's place at 1x, and what lies beneath a 1x rectangle of the board.
    void setZoom(int zoom, const QRect& baseRect);
    std::function<QImage(const QRect&)> backdrop;
    // What it shows: the board model's label.
    const BoardLabel* shows = nullptr;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

  private:
    int zoom_ = 1;
    QRect base_;
};

class Form1 : public QWidget, public BoardView {
    Q_OBJECT
  public:
    explicit Form1(QWidget* parent = nullptr);

    // The board's elements: fare digit n (1-32; 0 is the hidden spare) and its ticket-number
    // label, the hidden clock's hours and minutes, the stop-name line.
    M_Degit* Degit(int n) const { return degits_[static_cast<size_t>(n)]; }
    SeiriLabel* lblSeiriNum(int n) const { return labels_[static_cast<size_t>(n)]; }
    const std::array<M_Degit*, 2>& TimeDegit() const { return timeDegits_; }
    ChimeiCtl_DX* ChimeiCtl() const { return chimei_; }
    // The built-in panels for OFF, ON1 and ON2.
    QImage& imgRes(int i) { return model_.panels.at(static_cast<size_t>(i)); }
    const SimTimer& Timer1() const { return timer1_; }
    // Everything the board shows, by element, for the state dump.
    QJsonObject describe() const;
    // What the board shows; the window and every picture of the board are drawn from it.
    const BoardModel& model() const { return model_; }
    // Ticket-number label n: its text, font, colour and whether it is shown.
    void setLabelText(int n, const QString& text);
    void setLabelFont(int n, const QFont& font);
    void setLabelColour(int n, QRgb colour);
    void setLabelVisible(int n, bool on);
    // The board drawn from its model without touching the window: at `zoom` (1-8), the
    // stop line where the window shows it now, or where it is at `atMs` on the clock.
    QImage render(int zoom, BoardBackground background,
                  std::optional<int64_t> atMs = std::nullopt) const;

    const QImage& Picture() const { return model_.picture; }
    void setPicture(const QImage& img);

    // Position in twips, as the settings file keeps it.
    int LeftTwips() const;
    int TopTwips() const;
    void moveTwips(int left, int top);
    // The persisted position; a restored place no screen shows puts the board at its
    // default corner instead.
    void GetFormInfo(FormInfo& info) const;
    void SetFormInfo(const FormInfo& info);

    // Gives the window its rounded shape (a 3 x 3 corner ellipse, enlarged with the zoom).
    void applyShape();

    // The chosen zoom (1-4); full screen keeps it for when the board comes back.
    int zoom() const { return fullScreen_ ? normalZoom_ : zoom_; }
    // The room the board's monitor leaves for windows, and the largest zoom whose window
    // fits in it: a zoom that would cut the board off is never shown.
    QSize availableArea() const;
    int largestFittingZoom() const;
    void setZoom(int n);
    // The zoom the board is drawn at now (the full screen's own, when full screen).
    int shownZoom() const { return zoom_; }
    const LedLook& look() const { return look_; }
    void setLook(const LedLook& look);
    // Full screen on `screen` (none: the one the board stands on) at the largest whole
    // zoom that fits, centred on black; off puts it back where it was.
    void setFullScreen(bool on, QScreen* screen = nullptr);
    bool fullScreen() const { return fullScreen_; }
    // The board's rectangle in the window (all of it but full screen).
    QRect boardRect() const;
    // The right-click menu: zoom, full screen, the LED look.
    std::unique_ptr<QMenu> makeMenu();
    // The menu's choices; by default they act on the board alone.
    std::function<void(int)> zoomChosen = [this](int n) { setZoom(n); };
    std::function<void(const LedLook&)> lookChosen = [this](const LedLook& l) { setLook(l); };
    // Shutdown hook of the shape: the window system owns it, so nothing is released.
    void DeleteRgn() {}
    // Where the clock's time comes from; none is the system's time.
    void setClock(const Clock* clock) { clock_ = clock; }

    void Timer1_Timer();
    void Degit_DblClick(int index);

    // Called with false before and true after the per-digit dialog (the panel's
    // enabled state).
    std::function<void(bool)> setPanelEnabled = [](bool) {};
    // A close request from the window system (Alt+F4, the task bar): the board never
    // closes by itself; the program hands the request to the panel's quit question.
    std::function<void()> closeRequested = [] {};

    // The board as it looks on screen at its zoom (without a full screen's black), with
    // its rounded corners transparent.
    QImage snapshot();
    // The same at another zoom (1-4): drawn so for a moment, without painting the window.
    QImage snapshot(int zoom);
    // What an overlay takes: only the lit segments, dots and the labels, on transparency.
    enum class Layers { Whole, LitOnly };
    QImage snapshot(Layers layers);

    // What the trip controller drives.
    void showFare(int position, const DigitValue& value) override;
    void lampTest(bool on) override;
    void showStopName(std::string_view cp932Name, int16_t drawMode, int16_t keepMode) override;
    int16_t stopNameMode() const override;
    void blank(bool on) override;
    void clearStopName() override;
    void setScroll(int speed, int startWaitMs) override;
    void setInputEnabled(bool on) override { setEnabled(on); }
    void setCaption(const QString& text) override { setWindowTitle(text); }
    void releaseShape() override { DeleteRgn(); }
    std::optional<double> shownFare(int position) const override;

  protected:
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void applyZoom(int z);
    void placeElements();
    QRegion boardShape() const; // in board coordinates
    QImage backdrop(const QRect& r) const;

    void syncLabel(int n);

    BoardModel model_;
    std::array<M_Degit*, limits::kFareCells + 1> degits_{};
    std::array<SeiriLabel*, limits::kFareCells + 1> labels_{};
    std::array<M_Degit*, 2> timeDegits_{};
    ChimeiCtl_DX* chimei_ = nullptr;
    SimTimer timer1_;
    const Clock* clock_ = nullptr;
    QImage zoomedPicture_;
    QPoint dragOffset_;
    bool manualDrag_ = false;
    int zoom_ = 1;
    LedLook look_;
    bool shaped_ = false;
    bool fullScreen_ = false;
    QPoint origin_;      // the board's corner in the window
    QPoint normalPlace_; // where the board stood before full screen
    int normalZoom_ = 1;
};
