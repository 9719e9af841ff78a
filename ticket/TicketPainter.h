#pragma once
// Draws a plug-in's ticket into an image of any size: the layout's twips are mapped onto
// the image, text shrinks to fit its box, barcodes are enlarged by whole pixels.
#include "TicketPlugin.h"

#include <QImage>

namespace ticket {

void drawTicket(const Plugin& plugin, QImage& target, const TicketData& data);

} // namespace ticket
