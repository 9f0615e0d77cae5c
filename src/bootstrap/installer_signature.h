// Asking Windows whether a file carries a valid Authenticode signature, and who signed it.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/limits.h"

namespace ormix {

// The signer of a verified file: its certificate's name as CertGetNameStringW gives it with
// CERT_NAME_SIMPLE_DISPLAY_TYPE (the common name, such as "Harrowmere Software Ltd").
struct SignerName {
  char16_t text[kSignerNameCapacity];  // UTF-16, terminated
  std::size_t length;                  // units before the terminator; 0 when none was read
};

// Verifies the open file through its handle, so that what is verified is what the handle holds;
// path is only what Windows names it by. No UI, and no revocation check: one would fetch lists
// from the certificate authority's servers, and can stall for a long time on a network that
// drops those requests.
//
// Returns WinVerifyTrust's result: 0 for a valid signature that chains to a trusted root, else
// its code (TRUST_E_NOSIGNATURE, TRUST_E_BAD_DIGEST, CERT_E_UNTRUSTEDROOT...), or
// TRUST_E_PROVIDER_UNKNOWN when wintrust cannot be loaded from System32. On 0, signer is filled;
// a name that does not fit, or cannot be read, leaves it empty.
long VerifyAuthenticode(HANDLE file, const wchar_t* path, SignerName& signer);

}  // namespace ormix
