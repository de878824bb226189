// The plug-in's own folder under the user's roaming data folder, checked once
// at global setup.
#pragma once

#include <string>

namespace qv {

// Creates the folder chain "Tessmar", "Quorvel" and returns the probe file's path.
std::string MakeUserFolder();

// 0 when the probe file "test" could be opened for writing, -1 otherwise
// (including when the roaming folder itself cannot be found).
int ProbeUserFolder();

} // namespace qv
