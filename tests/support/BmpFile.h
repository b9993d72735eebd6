#ifndef BMPFILE_H
#define BMPFILE_H

// The colours of a BMP file as the system's own loader reads them (not the library's reader), so
// tests can compare what the library draws with what the file holds.
#include <windows.h>

#include <string>
#include <vector>

struct BmpFile
{
    int width = 0, height = 0;
    std::vector<COLORREF> pixels; // top-down rows

    explicit BmpFile(std::string const& path)
    {
        // A DIB section keeps the file's colours exact whatever the screen's depth.
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                         LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        BITMAP info;
        if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0)
            return;
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        for (int y = 0; y < info.bmHeight; ++y)
            for (int x = 0; x < info.bmWidth; ++x)
                pixels.push_back(GetPixel(dc, x, y));
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
        width = info.bmWidth;
        height = info.bmHeight;
    }
    // CLR_INVALID outside the picture, and for a file that could not be read.
    COLORREF at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[y * width + x] : CLR_INVALID;
    }
};

#endif
