#pragma once
// The fare board window: borderless, rounded, the panel picture as its face with the 32
// fare digits, their ticket-number labels and the stop-name line on top.
#include "BoardView.h"
#include "ChimeiCtl_DX.h"
#include "Clock.h"
#include "Limits.h"
#include "M_Degit.h"
#include "SettingsRecord.h"

#include <QImage>
#include <QJsonObject>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

// A ticket-number label; it keeps presses to itself so they do not drag the board.
class SeiriLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
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
    QImage& imgRes(int i) { return imgRes_[static_cast<size_t>(i)]; }
    const QTimer& Timer1() const { return timer1_; }
    // Everything the board shows, by element, for the state dump.
    QJsonObject describe() const;

    const QImage& Picture() const { return picture_; }
    void setPicture(const QImage& img);

    // Position in twips, as the settings file keeps it.
    int LeftTwips() const;
    int TopTwips() const;
    void moveTwips(int left, int top);
    // The persisted position; a restored place no screen shows puts the board at its
    // default corner instead.
    void GetFormInfo(FormInfo& info) const;
    void SetFormInfo(const FormInfo& info);

    // Gives the window its rounded shape (a 3 x 3 corner ellipse).
    void applyShape();
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

    // The board as it looks on screen, with its rounded corners transparent.
    QImage snapshot();

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
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    std::array<M_Degit*, limits::kFareCells + 1> degits_{};
    std::array<SeiriLabel*, limits::kFareCells + 1> labels_{};
    std::array<M_Degit*, 2> timeDegits_{};
    ChimeiCtl_DX* chimei_ = nullptr;
    std::array<QImage, 3> imgRes_;
    QTimer timer1_;
    const Clock* clock_ = nullptr;
    QImage picture_;
    QPoint dragOffset_;
    bool manualDrag_ = false;
};
