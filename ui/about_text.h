// The about text and the start-window script that shows it.
#pragma once

#include <string>

namespace qv {

// The about text, UTF-8, every line ending in a line feed.
std::string BuildAboutText();

// The start-window script and the call that shows the window with the logo
// "<folder>\Tessmar\LOGO.png"; `escapedFolder` is already escaped.
std::string ComposeStartWindowScript(const std::string &escapedFolder);

} // namespace qv
