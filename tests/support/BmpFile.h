#ifndef BMPFILE_H
#define BMPFILE_H

// Reads an uncompressed bottom-up BMP file (1, 4, 8 or 24 bits) into colours, by its own
// arithmetic, so tests can compare what the library draws with what the file holds.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct BmpFile
{
    int width = 0, height = 0;
    std::vector<COLORREF> pixels; // top-down rows

    explicit BmpFile(std::string const& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<unsigned char> f((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
        auto u32 = [&](size_t at) {
            uint32_t v;
            std::memcpy(&v, &f[at], 4);
            return v;
        };
        if (f.size() < 54 || f[0] != 'B' || f[1] != 'M')
            return;
        uint32_t offset = u32(10), headerSize = u32(14);
        width = static_cast<int>(u32(18));
        height = static_cast<int>(u32(22));
        int bpp = f[28] | f[29] << 8;
        size_t table = 14 + headerSize, stride = (width * bpp + 31) / 32 * 4;
        for (int y = 0; y < height; ++y) {
            unsigned char const* row = &f[offset + (height - 1 - y) * stride];
            for (int x = 0; x < width; ++x) {
                if (bpp == 24) {
                    pixels.push_back(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
                    continue;
                }
                int bit = x * bpp, index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1);
                unsigned char const* q = &f[table + 4 * index];
                pixels.push_back(RGB(q[2], q[1], q[0]));
            }
        }
    }
    // CLR_INVALID outside the picture, and for a file that could not be read.
    COLORREF at(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < width && y < height && !pixels.empty()
            ? pixels[y * width + x]
            : CLR_INVALID;
    }
};

#endif
