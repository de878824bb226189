#include "testhost/images/frame_pattern.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace qvh {
namespace {

struct Placeholder {
    std::size_t start = std::string::npos, length = 0;
    int width = 0;  // digits to pad to
};

// A printf-style "%d" or "%0Nd" at `at`, N at most two digits.
Placeholder printfAt(const std::string &name, std::size_t at)
{
    Placeholder p;
    std::size_t i = at + 1;
    bool zeros = i < name.size() && name[i] == '0';
    if (zeros)
        ++i;
    std::size_t digits = i;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])) && i - digits < 2)
        ++i;
    if (i < name.size() && name[i] == 'd' && (zeros || digits == i)) {  /* no space padding in names */
        p.start = at;
        p.length = i + 1 - at;
        p.width = digits < i ? std::stoi(name.substr(digits, i - digits)) : 0;
    }
    return p;
}

Placeholder findPlaceholder(const std::string &name)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '#') {
            std::size_t end = name.find_first_not_of('#', i);
            end = end == std::string::npos ? name.size() : end;
            return {i, end - i, static_cast<int>(end - i)};
        }
        if (name[i] == '%') {
            Placeholder p = printfAt(name, i);
            if (p.start != std::string::npos)
                return p;
        }
    }
    return {};
}

long wholeNumber(const std::string &text, const std::string &whole)
{
    std::size_t used = 0;
    long v = -1;
    try {
        if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0])))
            v = std::stol(text, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used == 0 || used != text.size() || v > 100000000)
        throw std::invalid_argument("--frames " + whole + ": '" + text + "' is not a frame number from 0");
    return v;
}

} // namespace

bool isFramePattern(const std::string &name)
{
    return findPlaceholder(name).start != std::string::npos;
}

std::string frameFileName(const std::string &pattern, long frame)
{
    Placeholder p = findPlaceholder(pattern);
    if (p.start == std::string::npos)
        return pattern;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*ld", p.width, frame);
    return pattern.substr(0, p.start) + digits + pattern.substr(p.start + p.length);
}

std::vector<long> parseFrameList(const std::string &text)
{
    std::size_t dash = text.find('-'), colon = text.find(':');
    if (dash == std::string::npos) {
        long count = wholeNumber(text, text);
        if (count < 1)
            throw std::invalid_argument("--frames " + text + ": at least one frame");
        std::vector<long> frames;
        for (long f = 0; f < count; ++f)
            frames.push_back(f);
        return frames;
    }
    if (colon != std::string::npos && colon < dash)
        throw std::invalid_argument("--frames " + text + ": expected N, A-B or A-B:STEP");
    long first = wholeNumber(text.substr(0, dash), text);
    long last = wholeNumber(text.substr(dash + 1, colon == std::string::npos ? std::string::npos : colon - dash - 1), text);
    long step = colon == std::string::npos ? 1 : wholeNumber(text.substr(colon + 1), text);
    if (last < first)
        throw std::invalid_argument("--frames " + text + ": the last frame comes before the first");
    if (step < 1)
        throw std::invalid_argument("--frames " + text + ": the step must be 1 or more");
    std::vector<long> frames;
    for (long f = first; f <= last; f += step)
        frames.push_back(f);
    return frames;
}

} // namespace qvh
