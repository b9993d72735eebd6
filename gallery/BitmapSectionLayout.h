#ifndef BITMAPSECTIONLAYOUT_H
#define BITMAPSECTIONLAYOUT_H

// Where the bitmap controls stand in the gallery's client area (the left part), and the control
// ids they report with; free of the library's headers so that tests can include it.
namespace BitmapSectionLayout
{
// The selection list: four items of 96 x 24; unfolded, the enabled items follow in rows below.
int const selectId = 201, selectX = 20, selectY = 30, itemWidth = 96, itemHeight = 24;
// The item that starts disabled, to show that it takes no row.
int const disabledItem = 1;
// Five buttons of 64 x 40 side by side: plain, latching, toggling, flag 2, flag 8.
int const buttonId = 211, buttonX = 20, buttonY = 180, buttonStep = 68, buttonWidth = 64,
          buttonHeight = 40;
int const buttonFlags[5] = {0, 1, 4, 2, 8};
// The lamp (three bitmaps, reports mouse moves), the picture from the LZ-compressed file, the
// picture drawn through its mask, the window cut out by its bitmap.
int const lampId = 221, lampX = 20, lampY = 260, lampSize = 32;
int const photoX = 64, photoY = 254;
int const logoX = 150, logoY = 248, logoSize = 56;
int const shapeId = 231, shapeX = 20, shapeY = 340;
} // namespace BitmapSectionLayout

#endif
