// A whole file's bytes; empty when it cannot be read.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

inline std::string fileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
