// Base64 (RFC 4648, standard alphabet, padded) for the bytes projects carry.
#pragma once

#include <cstddef>
#include <string>

namespace qvh {

std::string Base64Encode(const std::string &bytes);

// Decodes canonical base64 only: no white space, padding only at the end,
// unused bits zero. On failure returns false and sets `*where` to the offset
// of the first character that cannot be right.
bool Base64Decode(const std::string &text, std::string *bytes, std::size_t *where);

} // namespace qvh
