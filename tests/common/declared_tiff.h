// A TIFF made by hand whose header declares any size and channel count but
// holds a few bytes of pixel data: all a reader's size check ever sees, so
// an image that would take gigabytes once decoded fits in a test folder.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace declared_tiff {

inline void put(std::vector<unsigned char> &out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));  /* little-endian ("II") */
}

// `channels` 8-bit channels, one deflate strip; 1 or more than 2 channels
// (two would sit inline in the bits-per-sample entry).
inline void write(const std::string &path, uint32_t width, uint32_t height, uint16_t channels)
{
    struct Entry { uint16_t tag, type; uint32_t count, value; };
    const uint32_t kEntries = 10, bitsAt = 8 + 2 + kEntries * 12 + 4, dataAt = bitsAt + 2u * channels;
    const Entry entries[kEntries] = {
        {256, 4, 1, width}, {257, 4, 1, height}, {258, 3, channels, channels == 1 ? 8 : bitsAt},
        {259, 3, 1, 8 /* deflate */}, {262, 3, 1, 1 /* black is zero */}, {273, 4, 1, dataAt},
        {277, 3, 1, channels}, {278, 4, 1, height}, {279, 4, 1, 8}, {284, 3, 1, 1 /* interleaved */}};
    std::vector<unsigned char> out = {'I', 'I', 42, 0};
    put(out, 8, 4);
    put(out, kEntries, 2);
    for (const Entry &e : entries) {
        put(out, e.tag, 2), put(out, e.type, 2), put(out, e.count, 4), put(out, e.value, 4);
    }
    put(out, 0, 4);  /* no next directory */
    for (uint16_t c = 0; channels > 1 && c < channels; ++c)
        put(out, 8, 2);
    put(out, 0x9c78, 2), put(out, 0, 4), put(out, 0, 2);  /* the start of a zlib stream, cut short */
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(out.data()), out.size());
}

} // namespace declared_tiff
