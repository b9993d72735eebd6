#include "Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "CompressedFile.h"
#include "Exception.h"
#include "Win32File.h"
#include "Window.h"

namespace
{
// A memory DC with one object selected into it; both are released in reverse order.
class MemoryDC
{
public:
    explicit MemoryDC(HDC compatible) : dc(CreateCompatibleDC(compatible)), old(nullptr) {}
    ~MemoryDC()
    {
        if (old != nullptr)
            SelectObject(dc, old);
        if (dc != nullptr)
            DeleteDC(dc);
    }
    MemoryDC(MemoryDC const&) = delete;
    MemoryDC& operator=(MemoryDC const&) = delete;

    HDC get() const { return dc; }
    void select(HGDIOBJ object)
    {
        HGDIOBJ previous = SelectObject(dc, object);
        if (old == nullptr)
            old = previous;
    }

private:
    HDC dc;
    HGDIOBJ old;
};

struct GdiObjectDeleter
{
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
typedef std::unique_ptr<void, GdiObjectDeleter> GdiObject;

// Bytes per row of a DIB: rows are padded to whole 32-bit words.
unsigned long rowStride(long width, unsigned int bitsPerPixel)
{
    return ((static_cast<unsigned long>(width) * bitsPerPixel + 31) / 32) * 4;
}

char const* formatError = "Das Dateiformat ist ungültig.";
unsigned int const rectsPerRegion = 2000;
} // namespace

HPALETTE Bitmap::hPalette = nullptr;
unsigned int Bitmap::uBitmaps = 0;

Bitmap::Bitmap(HINSTANCE instance, int id)
    : info(nullptr), colours(0), bits(nullptr), mask(nullptr), fileCompressed(false)
{
    loadResource(instance, id, 0);
}

Bitmap::Bitmap(HINSTANCE instance, int id, int maskId)
    : info(nullptr), colours(0), bits(nullptr), mask(nullptr), fileCompressed(false)
{
    loadResource(instance, id, maskId);
}

Bitmap::Bitmap(String const& fileName)
    : info(nullptr), colours(0), bits(nullptr), mask(nullptr), fileCompressed(false)
{
    loadFile(fileName);
}

Bitmap::~Bitmap()
{
    if (--uBitmaps == 0 && hPalette != nullptr) {
        DeleteObject(hPalette);
        hPalette = nullptr;
    }
    if (mask != nullptr)
        DeleteObject(mask);
}

void Bitmap::loadResource(HINSTANCE instance, int id, int maskId)
{
    // LoadBitmapA tells whether the resource is a bitmap the system can read at all.
    HBITMAP probe = LoadBitmapA(instance, MAKEINTRESOURCEA(id));
    if (probe != nullptr)
        DeleteObject(probe);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    if (loaded != nullptr)
        info = static_cast<BITMAPINFOHEADER*>(LockResource(loaded));
    if (maskId != 0)
        mask = LoadBitmapA(instance, MAKEINTRESOURCEA(maskId));
    completeLoad();
}

void Bitmap::loadFile(String const& fileName)
{
    char signature[2] = {0, 0};
    std::unique_ptr<File> file(new Win32File(fileName, 3, 1, false));
    if (file->read(signature, 2) != 2 || signature[0] != 'B' || signature[1] != 'M') {
        file.reset();
        file.reset(new CompressedFile(fileName, 3, 1));
        if (file->read(signature, 2) != 2 || signature[0] != 'B' || signature[1] != 'M')
            throw Exception(formatError);
        fileCompressed = true;
    }
    unsigned long size = file->getSize();
    // The 12 bytes left of the file header and a complete information header, at least.
    if (size < 2 + 12 + sizeof(BITMAPINFOHEADER))
        throw Exception(formatError);
    fileBuffer.resize(size - 2);
    if (file->read(fileBuffer.data(), size - 2) != size - 2)
        throw Exception(formatError);
    file.reset();

    BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(fileBuffer.data() + 12);
    // A truncated or made-up header must not let drawing read past the buffer.
    unsigned long long available = fileBuffer.size() - 12;
    if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biSize > available ||
        header->biWidth <= 0 || header->biWidth > 0x8000 || header->biHeight == 0 ||
        std::labs(header->biHeight) > 0x8000 || header->biBitCount > 32)
        throw Exception(formatError);
    unsigned long long needed = header->biSize + tableBytes(header);
    if (header->biCompression == BI_RGB || header->biCompression == BI_BITFIELDS)
        needed += static_cast<unsigned long long>(rowStride(header->biWidth, header->biBitCount)) *
            std::labs(header->biHeight);
    if (needed > available)
        throw Exception(formatError);
    info = header;
    completeLoad();
}

unsigned long Bitmap::colourCount(BITMAPINFOHEADER const* header)
{
    if (header->biClrUsed != 0)
        return header->biClrUsed;
    switch (header->biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0; // 16-, 24- and 32-bit pixels carry their colours
    }
}

// The colour table and, for 16- and 32-bit bitmaps with bit fields, the three masks before it.
unsigned long long Bitmap::tableBytes(BITMAPINFOHEADER const* header)
{
    unsigned long long fields = header->biCompression == BI_BITFIELDS && header->biSize == 40 ? 12
                                                                                              : 0;
    return fields + 4ull * colourCount(header);
}

void Bitmap::completeLoad()
{
    if (info != nullptr) {
        colours = colourCount(info);
        bits = reinterpret_cast<char*>(info) + info->biSize + tableBytes(info);

        if (colours != 0 && hPalette == nullptr) {
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                         sizeof(LOGPALETTE) + colours * sizeof(PALETTEENTRY));
            LOGPALETTE* palette = memory != nullptr ? static_cast<LOGPALETTE*>(GlobalLock(memory))
                                                    : nullptr;
            if (palette != nullptr) {
                palette->palVersion = 0x300;
                palette->palNumEntries = static_cast<WORD>(colours);
                // The colour table follows the 40-byte information header.
                RGBQUAD const* entry = reinterpret_cast<RGBQUAD const*>(
                    reinterpret_cast<char const*>(info) + sizeof(BITMAPINFOHEADER));
                for (unsigned int i = 0; i < colours; ++i) {
                    palette->palPalEntry[i].peRed = entry[i].rgbRed;
                    palette->palPalEntry[i].peGreen = entry[i].rgbGreen;
                    palette->palPalEntry[i].peBlue = entry[i].rgbBlue;
                    palette->palPalEntry[i].peFlags = 0;
                }
                hPalette = CreatePalette(palette);
                GlobalUnlock(memory);
            }
            if (memory != nullptr)
                GlobalFree(memory);
        }
    }
    ++uBitmaps;
}

POINT Bitmap::getSize() const
{
    POINT size = {0, 0};
    if (info != nullptr) {
        size.x = info->biWidth;
        size.y = std::labs(info->biHeight);
    }
    return size;
}

bool Bitmap::getFileCompressed() const
{
    return fileCompressed;
}

bool Bitmap::usesPalette() const
{
    return hPalette != nullptr && colours != 0;
}

void Bitmap::copyBits(HDC dc, int x, int y)
{
    POINT size = getSize();
    SetDIBitsToDevice(dc, x, y, size.x, size.y, 0, 0, 0, size.y, bits,
                      reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS);
}

void Bitmap::draw(HDC dc, int x, int y)
{
    if (info == nullptr)
        return;
    if (mask != nullptr) {
        drawMasked(dc, x, y);
        return;
    }
    HPALETTE old = nullptr;
    if (usesPalette()) {
        old = SelectPalette(dc, hPalette, FALSE);
        RealizePalette(dc);
    }
    copyBits(dc, x, y);
    // The shared palette must not stay selected: the last bitmap deletes it.
    if (old != nullptr)
        SelectPalette(dc, old, FALSE);
}

// Composed off-screen, so the target changes in one step and never shows the hole.
void Bitmap::drawMasked(HDC dc, int x, int y)
{
    POINT size = getSize();
    MemoryDC background(dc), image(dc), maskDC(dc);
    GdiObject backgroundBitmap(CreateCompatibleBitmap(dc, size.x, size.y));
    GdiObject imageBitmap(CreateCompatibleBitmap(dc, size.x, size.y));
    if (background.get() == nullptr || image.get() == nullptr || maskDC.get() == nullptr ||
        !backgroundBitmap || !imageBitmap)
        return;
    background.select(backgroundBitmap.get());
    image.select(imageBitmap.get());
    HPALETTE oldPalette = nullptr;
    if (usesPalette()) {
        oldPalette = SelectPalette(image.get(), hPalette, FALSE);
        RealizePalette(image.get());
    }
    maskDC.select(mask);

    BitBlt(background.get(), 0, 0, size.x, size.y, dc, x, y, SRCCOPY);
    BitBlt(background.get(), 0, 0, size.x, size.y, maskDC.get(), 0, 0, SRCAND);
    copyBits(image.get(), 0, 0);
    BitBlt(maskDC.get(), 0, 0, size.x, size.y, nullptr, 0, 0, DSTINVERT);
    BitBlt(image.get(), 0, 0, size.x, size.y, maskDC.get(), 0, 0, SRCAND);
    BitBlt(maskDC.get(), 0, 0, size.x, size.y, nullptr, 0, 0, DSTINVERT);
    BitBlt(background.get(), 0, 0, size.x, size.y, image.get(), 0, 0, SRCPAINT);
    BitBlt(dc, x, y, size.x, size.y, background.get(), 0, 0, SRCCOPY);
    if (oldPalette != nullptr)
        SelectPalette(image.get(), oldPalette, FALSE);
}

HBITMAP Bitmap::makeDDB(Window* window, int width, int height)
{
    if (info == nullptr)
        return nullptr;
    HDC windowDC = window->getDC();
    if (windowDC == nullptr)
        return nullptr;
    HBITMAP result = CreateCompatibleBitmap(windowDC, width, height);
    {
        MemoryDC target(windowDC);
        if (result != nullptr && target.get() != nullptr) {
            target.select(result);
            POINT size = getSize();
            SetStretchBltMode(target.get(), HALFTONE);
            StretchDIBits(target.get(), 0, 0, width, height, 0, 0, size.x, size.y, bits,
                          reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS, SRCCOPY);
        }
    }
    window->releaseDC(windowDC);
    return result;
}

HRGN Bitmap::toRegion(HINSTANCE instance, int id)
{
    return toRegion(instance, id, 0xFFFFFF, 0xFFFFFF);
}

HRGN Bitmap::toRegion(HINSTANCE instance, int id, unsigned long colour, unsigned long tolerance)
{
    // A DIB section keeps the file's colours whatever the screen's depth.
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HRGN region = toRegion(bitmap, colour, tolerance);
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    return region;
}

namespace
{
// Rectangles of one row run each, turned into a region and OR-ed into the result in batches.
class RegionBuilder
{
public:
    RegionBuilder() : result(nullptr) { reset(); }

    void add(long left, long top, long right, long bottom)
    {
        RECT r = {left, top, right, bottom};
        rects.push_back(r);
        bounds.left = std::min(bounds.left, left);
        bounds.top = std::min(bounds.top, top);
        bounds.right = std::max(bounds.right, right);
        bounds.bottom = std::max(bounds.bottom, bottom);
        if (rects.size() == rectsPerRegion)
            flush();
    }

    // Also with no rectangles: a bitmap of the transparent colour alone gives an empty region.
    HRGN finish()
    {
        flush();
        return result;
    }

private:
    void reset()
    {
        rects.clear();
        bounds.left = bounds.top = 0x7FFFFFFF;
        bounds.right = bounds.bottom = 0;
    }

    void flush()
    {
        std::vector<char> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
        RGNDATAHEADER* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
        header->dwSize = sizeof(RGNDATAHEADER);
        header->iType = RDH_RECTANGLES;
        header->nCount = static_cast<DWORD>(rects.size());
        header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
        header->rcBound = bounds;
        if (!rects.empty())
            std::memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(),
                        rects.size() * sizeof(RECT));
        HRGN part = ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                                    reinterpret_cast<RGNDATA*>(data.data()));
        if (result == nullptr) {
            result = part;
        } else if (part != nullptr) {
            CombineRgn(result, result, part, RGN_OR);
            DeleteObject(part);
        }
        reset();
    }

    HRGN result;
    std::vector<RECT> rects;
    RECT bounds;
};

bool inRange(unsigned char value, unsigned long colour, unsigned long tolerance, int shift)
{
    unsigned int lo = (colour >> shift) & 0xFF;
    unsigned int hi = std::min(255u, lo + static_cast<unsigned int>((tolerance >> shift) & 0xFF));
    return value >= lo && value <= hi;
}
} // namespace

HRGN Bitmap::toRegion(HBITMAP bitmap, unsigned long colour, unsigned long tolerance)
{
    if (bitmap == nullptr)
        return nullptr;
    MemoryDC copy(nullptr);
    if (copy.get() == nullptr)
        return nullptr;
    BITMAP source;
    if (GetObjectA(bitmap, sizeof(source), &source) == 0)
        return nullptr;

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = source.bmWidth;
    header.biHeight = source.bmHeight; // bottom-up: the image's top row is the last in memory
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    void* pixels = nullptr;
    GdiObject section(CreateDIBSection(copy.get(), reinterpret_cast<BITMAPINFO*>(&header),
                                       DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!section || pixels == nullptr)
        return nullptr;
    copy.select(section.get());
    {
        MemoryDC original(copy.get());
        if (original.get() == nullptr)
            return nullptr;
        original.select(bitmap);
        BitBlt(copy.get(), 0, 0, source.bmWidth, source.bmHeight, original.get(), 0, 0, SRCCOPY);
    }
    GdiFlush();

    unsigned long stride = rowStride(source.bmWidth, 32);
    RegionBuilder builder;
    for (long y = 0; y < source.bmHeight; ++y) {
        unsigned char const* row = static_cast<unsigned char const*>(pixels) +
            (source.bmHeight - 1 - y) * stride;
        long x0 = -1;
        for (long x = 0; x <= source.bmWidth; ++x) {
            // The first byte of a 32-bit pixel is its blue value; it is compared with the
            // colour's low byte, and so on.
            bool transparent = x == source.bmWidth ||
                (inRange(row[4 * x], colour, tolerance, 0) &&
                 inRange(row[4 * x + 1], colour, tolerance, 8) &&
                 inRange(row[4 * x + 2], colour, tolerance, 16));
            if (!transparent && x0 < 0) {
                x0 = x;
            } else if (transparent && x0 >= 0) {
                builder.add(x0, y, x, y + 1);
                x0 = -1;
            }
        }
    }
    return builder.finish();
}
