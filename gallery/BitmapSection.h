#ifndef BITMAPSECTION_H
#define BITMAPSECTION_H

#include <memory>
#include <vector>

#include "MaskedPicture.h"
#include "Window.h"
#include "gui/IconList.h"
#include "gui/WndBmpList.h"
#include "gui/WndButton.h"
#include "gui/WndSelectList.h"

// The gallery's bitmap controls, in the left part of its window (BitmapSectionLayout.h): the
// selection list, the five kinds of button with icons from an icon list, the bitmap lists (a
// lamp, a picture from an LZ-compressed file), a masked picture and a window cut out by its bitmap.
class BitmapSection
{
public:
    explicit BitmapSection(Window* parent);
    ~BitmapSection();

private:
    BitmapSection(BitmapSection const&) = delete;
    BitmapSection& operator=(BitmapSection const&) = delete;

    void label(Window* parent, char const* text, int x, int y, int width);
    void loadPhoto();

    IconList icons;
    std::unique_ptr<WndSelectList> selectList;
    std::vector<std::unique_ptr<WndButton>> buttons;
    std::unique_ptr<WndBmpList> lamp;
    std::unique_ptr<WndBmpList> photo;
    std::unique_ptr<MaskedPicture> logo;
    std::unique_ptr<WndBmpList> shape;
};

#endif
