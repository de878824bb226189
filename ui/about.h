// The effect's About command: a start window in the host with the logo above
// the about text (scripts/start_window.jsx), or an alert with the text when
// the logo cannot be shown.
#pragma once

#include <string>

namespace qv {

// The about text, UTF-8, every line ending in a line feed.
std::string BuildAboutText();

// The start-window script and the call that shows the window with the logo
// "<folder>\Tessmar\LOGO.png"; `escapedFolder` is already escaped.
std::string ComposeStartWindowScript(const std::string &escapedFolder);

} // namespace qv
