// The one place that shows a message box: the fatal messages and the download's two boxes.
#pragma once

namespace ormix {

// Shows text in a box with no owner window, captioned caption (both UTF-8), with the MB_ flags
// given, and returns the button pressed (IDYES...), or 0 when the box could not be shown.
int ShowMessageBox(const char* text, const char* caption, unsigned int flags);

}  // namespace ormix
