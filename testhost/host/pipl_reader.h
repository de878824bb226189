// Reads a binary PiPL resource as the host does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvh {

struct PiplProperty {
    std::string vendor;  // "8BIM"
    std::string key;     // four characters, e.g. "eGLO"
    uint32_t length;     // as stored; data is padded to a multiple of 4
    std::vector<uint8_t> data;
};

struct Pipl {
    std::vector<PiplProperty> properties;

    const PiplProperty *find(const std::string &key) const;
    std::string pascalString(const std::string &key) const;  // name, catg, eMNA
    std::string cString(const std::string &key) const;       // 8664
    std::string fourcc(const std::string &key) const;        // kind
    uint32_t u32(const std::string &key) const;               // eVER, eGLO, eGL2, aeFL
    uint16_t u16(const std::string &key, int index = 0) const;
};

// Throws std::runtime_error naming the fault on malformed input.
Pipl parsePipl(const std::vector<uint8_t> &bytes);
Pipl readPiplFile(const std::string &path);

} // namespace qvh
