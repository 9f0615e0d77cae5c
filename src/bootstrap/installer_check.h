// The downloaded installer, opened so that it cannot change, and checked before anything runs it.
#pragma once

#include "common/handles.h"

namespace ormix {

// What the build asks of the installer before it may run.
struct InstallerTrust {
  bool verify_signature;  // a valid Authenticode signature; off, only the image checks remain
  const char* publisher;  // UTF-8; the signer's name must be exactly this; empty: any signer
};

// Opens the file at path for reading, sharing reading only, so that no program can write,
// replace, rename or delete it while the handle lives; then checks what the handle holds: a whole
// program image (bootstrap/pe_image_check.h) and, when trust asks for it, a valid signature by
// the publisher. 0 with the handle in held; -1 when the file cannot be opened or fails a check,
// held then stays empty and the file is closed.
int OpenCheckedInstaller(const wchar_t* path, const InstallerTrust& trust, FileHandle& held);

}  // namespace ormix
