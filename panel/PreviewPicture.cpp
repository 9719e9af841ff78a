#include "PreviewPicture.h"

#include "Companion.h"
#include "Options.h"

PreviewPicture::PreviewPicture(const Options& options, QObject* parent)
    : QObject(parent), options_(options) {}

void PreviewPicture::clear() {
    image_.fill(Qt::white);
    Q_EMIT changed();
}

void PreviewPicture::draw(SeirikenArgs& args) {
    Companion::current().QV4_DrawSeiriken(options_.PluginPath, image_, args);
    Q_EMIT changed();
}

void PreviewPicture::resize(const QSize& size) {
    image_ = QImage(size, QImage::Format_RGB32);
    clear();
}
