#pragma once
// The ticket preview's picture: the trip draws into it through the plug-in at every board
// update, and the panel shows it and copies it.
#include "TicketPreview.h"

#include <QImage>
#include <QObject>

struct Options;

class PreviewPicture : public QObject, public TicketPreview {
    Q_OBJECT
  public:
    explicit PreviewPicture(const Options& options, QObject* parent = nullptr);

    void clear() override;
    void draw(SeirikenArgs& args) override;
    // A new size clears the picture.
    void resize(const QSize& size);
    const QImage& image() const { return image_; }

  Q_SIGNALS:
    void changed();

  private:
    const Options& options_;
    QImage image_;
};
