#ifndef BITMAP_H
#define BITMAP_H

#include <windows.h>

#include <vector>

#include "LibApi.h"
#include "String.h"

class Window;

// A device-independent bitmap from a BMP file (plain or LZ-compressed) or from a bitmap resource,
// drawn as it is or through a mask. Every bitmap draws with one shared palette, made from the
// first bitmap that has a colour table and deleted with the last bitmap.
class LIBAPI Bitmap
{
public:
    // A resource that cannot be loaded leaves the object empty: it draws nothing, size {0, 0}.
    Bitmap(HINSTANCE instance, int id);
    // maskId 0: no mask. White mask pixels let the background show through.
    Bitmap(HINSTANCE instance, int id, int maskId);
    // Throws Exception "Das Dateiformat ist ungültig." for anything but a (packed) BMP file, and
    // the file classes' exceptions when it cannot be opened.
    explicit Bitmap(String const& fileName);
    ~Bitmap();

    POINT getSize() const;
    bool getFileCompressed() const;
    void draw(HDC dc, int x, int y);
    // A device-dependent copy stretched to width x height; the caller deletes it. Null when
    // nothing is loaded.
    HBITMAP makeDDB(Window* window, int width, int height);

    // The region of every pixel of the bitmap resource that is not pure white; the caller owns it.
    static HRGN toRegion(HINSTANCE instance, int id);

private:
    Bitmap(Bitmap const&) = delete;
    Bitmap& operator=(Bitmap const&) = delete;

    void loadResource(HINSTANCE instance, int id, int maskId);
    void loadFile(String const& fileName);
    void completeLoad();
    static unsigned long colourCount(BITMAPINFOHEADER const* header);
    static unsigned long long tableBytes(BITMAPINFOHEADER const* header);
    bool usesPalette() const;
    void drawMasked(HDC dc, int x, int y);
    void copyBits(HDC dc, int x, int y);

    // Pixels whose channels lie in [colour byte, colour byte + tolerance byte] are left out.
    static HRGN toRegion(HINSTANCE instance, int id, unsigned long colour, unsigned long tolerance);
    static HRGN toRegion(HBITMAP bitmap, unsigned long colour, unsigned long tolerance);

    static HPALETTE hPalette;
    static unsigned int uBitmaps;

    BITMAPINFOHEADER* info;
    unsigned int colours;
    void* bits;
    HBITMAP mask;
    std::vector<char> fileBuffer;
    bool fileCompressed;
};

#endif
