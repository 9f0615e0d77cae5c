// Offering, downloading and running the shared runtime's installer.
#pragma once

namespace ormix {

// Asks the user, downloads the installer from url (UTF-8) with a progress window, runs it and
// waits for it. 0 when the installer ran and ended with exit code 0; 1 in every other case.
int OfferRuntimeDownload(const char* caption, const char* url);

}  // namespace ormix
