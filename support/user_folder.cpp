#include "support/user_folder.h"

#include "support/platform.h"

#include <stdexcept>

namespace qv {

std::string MakeUserFolder()
{
    const std::string sep(1, platform::kPathSeparator);
    std::string path = platform::GetRoamingAppDataUtf8();
    path += sep + "Tessmar";
    platform::MakeFolder(path);
    path += sep + "Quorvel";
    platform::MakeFolder(path);
    return path + sep + "test";
}

int ProbeUserFolder()
{
    try {
        return platform::TouchForWriting(MakeUserFolder()) ? 0 : -1;
    } catch (const std::runtime_error &) {
        return -1;  /* no roaming folder: the probe cannot succeed */
    }
}

} // namespace qv
