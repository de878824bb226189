#include "testhost/host/pipl_reader.h"
#include "testhost/os/os.h"

#include <cstdio>
#include <stdexcept>

namespace qvh {
namespace {

uint32_t le32(const std::vector<uint8_t> &b, std::size_t at)
{
    if (at + 4 > b.size())
        throw std::runtime_error("PiPL truncated");
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

std::string fourccText(uint32_t code)
{
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i)
        text[i] = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
    return text;
}

} // namespace

const PiplProperty *Pipl::find(const std::string &key) const
{
    for (const PiplProperty &p : properties)
        if (p.key == key)
            return &p;
    return nullptr;
}

static const PiplProperty &need(const Pipl &pipl, const std::string &key, std::size_t size)
{
    const PiplProperty *p = pipl.find(key);
    if (!p)
        throw std::runtime_error("PiPL has no '" + key + "' property");
    if (p->data.size() < size)
        throw std::runtime_error("PiPL property '" + key + "' is too short");
    return *p;
}

std::string Pipl::pascalString(const std::string &key) const
{
    const PiplProperty &p = need(*this, key, 1);
    std::size_t n = p.data[0];
    if (n + 1 > p.data.size())
        throw std::runtime_error("PiPL property '" + key + "' overruns its data");
    return std::string(p.data.begin() + 1, p.data.begin() + 1 + n);
}

std::string Pipl::cString(const std::string &key) const
{
    const PiplProperty &p = need(*this, key, 1);
    std::string text(p.data.begin(), p.data.end());
    return text.substr(0, text.find('\0'));
}

std::string Pipl::fourcc(const std::string &key) const
{
    return fourccText(le32(need(*this, key, 4).data, 0));
}

uint32_t Pipl::u32(const std::string &key) const
{
    return le32(need(*this, key, 4).data, 0);
}

uint16_t Pipl::u16(const std::string &key, int index) const
{
    const PiplProperty &p = need(*this, key, 2 * (index + 1));
    return p.data[2 * index] | (p.data[2 * index + 1] << 8);
}

Pipl parsePipl(const std::vector<uint8_t> &b)
{
    if (b.size() < 10 || b[0] != 1 || b[1] != 0)
        throw std::runtime_error("not a Windows PiPL resource");
    if (le32(b, 2) != 0)
        throw std::runtime_error("unknown PiPL version");
    uint32_t count = le32(b, 6);
    Pipl pipl;
    std::size_t at = 10;
    for (uint32_t i = 0; i < count; ++i) {
        PiplProperty p;
        p.vendor = fourccText(le32(b, at));
        p.key = fourccText(le32(b, at + 4));
        p.length = le32(b, at + 12);
        std::size_t padded = (static_cast<std::size_t>(p.length) + 3) & ~std::size_t(3);
        if (at + 16 + padded > b.size())
            throw std::runtime_error("PiPL property '" + p.key + "' overruns the resource");
        p.data.assign(b.begin() + at + 16, b.begin() + at + 16 + padded);
        pipl.properties.push_back(p);
        at += 16 + padded;
    }
    return pipl;
}

Pipl readPiplFile(const std::string &path)
{
    std::FILE *in = os::openFile(path, "rb");  /* UTF-8 path, wide on Windows */
    if (!in)
        throw std::runtime_error("cannot open PiPL file " + path);
    std::vector<uint8_t> bytes;
    uint8_t buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(in);
    return parsePipl(bytes);
}

} // namespace qvh
