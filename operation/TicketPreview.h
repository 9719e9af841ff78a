#pragma once
// Where a board update draws its ticket: the preview picture beside the panel. The trip
// asks for the drawing before it shows the stop name, since the plug-in may rewrite it.
#include "SeirikenArgs.h"

class TicketPreview {
  public:
    virtual ~TicketPreview() = default;
    // Every board update starts from a blank picture.
    virtual void clear() = 0;
    // Draws the ticket for `args`; the plug-in may leave another name in args.stopName.
    virtual void draw(SeirikenArgs& args) = 0;
};
