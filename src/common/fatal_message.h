// The one route for messages that end the launch: a line on standard error, then an error box.
#pragma once

namespace ormix {

// Writes "<display name>: <text>\n" to standard error in UTF-8, then shows the same text in an
// error box with no owner, captioned with the display name. Returns once the user has dismissed
// the box.
void ShowFatalMessage(const char* text);

}  // namespace ormix
