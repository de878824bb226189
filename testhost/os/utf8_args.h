// The command line as UTF-8. Windows hands `main` its arguments in the ANSI
// code page, which loses characters outside it; there they are taken again
// from the UTF-16 command line. Elsewhere they are used as given.
#pragma once

#include <string>
#include <vector>

namespace qvh {

class Utf8Args {
public:
    Utf8Args(int argc, char **argv);
    int argc() const { return static_cast<int>(pointers_.size()); }
    char **argv() { return pointers_.data(); }

private:
    std::vector<std::string> args_;
    std::vector<char *> pointers_;
};

} // namespace qvh
