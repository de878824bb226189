// Frame numbers in file names and the frames of a render, as qvhost's options
// spell them. Pure text: no file is touched here.
#pragma once

#include <string>
#include <vector>

namespace qvh {

// True when `name` holds a frame number placeholder: a run of '#' (one digit
// each, zero-padded) or a printf-style "%d" / "%0Nd".
bool isFramePattern(const std::string &name);

// `pattern` with its first placeholder replaced by `frame`; a name without
// one comes back unchanged.
std::string frameFileName(const std::string &pattern, long frame);

// The frames of "--frames": "N" (frames 0 to N-1), "A-B", or "A-B:S" (every
// S-th frame from A up to B). Throws std::invalid_argument with the reason.
std::vector<long> parseFrameList(const std::string &text);

} // namespace qvh
