// Misuse of a host service by the plug-in (an unknown handle disposed, a
// suite released more often than acquired, ...), recorded for tests.
#pragma once

#include <string>
#include <vector>

namespace qvh {

void reportMisuse(const std::string &what);
std::vector<std::string> misuseReports();
void clearMisuse();

} // namespace qvh
