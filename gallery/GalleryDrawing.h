#ifndef GALLERYDRAWING_H
#define GALLERYDRAWING_H

#include "Window.h"

// A drawing larger than the space the gallery has for it, shown through a scroll pane: a grid
// (when the settings ask for one) with its coordinates, a label and the corners marked, so that
// one sees where the pane has scrolled to.
class GalleryDrawing : public virtual Window
{
public:
    explicit GalleryDrawing(Window* pane);

protected:
    LRESULT notifyPaint(WPARAM wParam, LPARAM lParam) override;
    LRESULT notifyLeftMouseButtonDown(WPARAM wParam, LPARAM lParam) override;
};

#endif
