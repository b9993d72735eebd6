#ifndef MASKEDPICTURE_H
#define MASKEDPICTURE_H

#include "Window.h"
#include "gui/Bitmap.h"

// A gallery tile that draws a bitmap through its mask over a striped ground, so that the
// transparent part of the picture is plain to see.
class MaskedPicture : public virtual Window
{
public:
    MaskedPicture(Window* parent, int x, int y, int size, int bitmapId, int maskId);
    virtual ~MaskedPicture();

protected:
    LRESULT notifyPaint(WPARAM wParam, LPARAM lParam) override;

private:
    Bitmap picture;
};

#endif
