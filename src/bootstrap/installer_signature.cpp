#include "bootstrap/installer_signature.h"

#include <wincrypt.h>
#include <wintrust.h>

#include "common/system_library.h"

namespace ormix {
namespace {

// WINTRUST_ACTION_GENERIC_VERIFY_V2, {00AAC56B-CD44-11D0-8CC2-00C04FC295EE}: Authenticode.
GUID kVerifyAuthenticode = {
    0x00AAC56B, 0xCD44, 0x11D0, {0x8C, 0xC2, 0x00, 0xC0, 0x4F, 0xC2, 0x95, 0xEE}};

// wintrust and crypt32 are loaded from System32 at this point of use, not imported (see
// common/system_library.h): only the download of the runtime needs them.
using WinVerifyTrustFunction = LONG(WINAPI*)(HWND window, GUID* action, void* data);
using ProviderDataFunction = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE state);
using ProviderSignerFunction = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA* data,
                                                             DWORD signer, BOOL counter_signer,
                                                             DWORD counter_signer_index);
using ProviderCertFunction = CRYPT_PROVIDER_CERT*(WINAPI*)(CRYPT_PROVIDER_SGNR* signer, DWORD cert);
using CertNameFunction = DWORD(WINAPI*)(PCCERT_CONTEXT cert, DWORD type, DWORD flags,
                                        void* type_parameter, wchar_t* name, DWORD capacity);

// The first signer's own certificate from the state a verification left, or null.
PCCERT_CONTEXT SigningCertificate(HANDLE state) {
  auto provider_data =
      LoadSystemFunction<ProviderDataFunction>(L"wintrust.dll", "WTHelperProvDataFromStateData");
  auto provider_signer =
      LoadSystemFunction<ProviderSignerFunction>(L"wintrust.dll", "WTHelperGetProvSignerFromChain");
  auto provider_cert =
      LoadSystemFunction<ProviderCertFunction>(L"wintrust.dll", "WTHelperGetProvCertFromChain");
  if (provider_data == nullptr || provider_signer == nullptr || provider_cert == nullptr)
    return nullptr;
  CRYPT_PROVIDER_DATA* data = provider_data(state);
  CRYPT_PROVIDER_SGNR* signer = data != nullptr ? provider_signer(data, 0, FALSE, 0) : nullptr;
  // Certificate 0 of the signer's chain is its own; the rest lead to the root.
  CRYPT_PROVIDER_CERT* cert = signer != nullptr ? provider_cert(signer, 0) : nullptr;
  return cert != nullptr ? cert->pCert : nullptr;
}

void ReadSignerName(PCCERT_CONTEXT cert, SignerName& signer) {
  signer.text[0] = u'\0';
  signer.length = 0;
  auto name_of = LoadSystemFunction<CertNameFunction>(L"crypt32.dll", "CertGetNameStringW");
  if (cert == nullptr || name_of == nullptr)
    return;
  // Asked for its length first: a name cut to the buffer could equal a shorter publisher.
  DWORD needed = name_of(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (needed <= 1 || needed > kSignerNameCapacity)
    return;
  // The buffer is UTF-16 either way; the text core compares it as char16_t.
  DWORD written = name_of(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                          reinterpret_cast<wchar_t*>(signer.text), kSignerNameCapacity);
  if (written != needed)
    return;
  // The count includes the terminator; a zero unit inside the name stays part of it.
  signer.length = written - 1;
}

}  // namespace

long VerifyAuthenticode(HANDLE file, const wchar_t* path, SignerName& signer) {
  signer.text[0] = u'\0';
  signer.length = 0;
  auto verify = LoadSystemFunction<WinVerifyTrustFunction>(L"wintrust.dll", "WinVerifyTrust");
  if (verify == nullptr)
    return TRUST_E_PROVIDER_UNKNOWN;

  WINTRUST_FILE_INFO file_info = {};
  file_info.cbStruct = sizeof file_info;
  file_info.pcwszFilePath = path;
  file_info.hFile = file;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file_info;
  // Kept until the signer's name has been read, then closed below.
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
  data.dwUIContext = WTD_UICONTEXT_EXECUTE;
  // INVALID_HANDLE_VALUE as the window: there is no user to ask.
  HWND no_user = static_cast<HWND>(INVALID_HANDLE_VALUE);
  const LONG result = verify(no_user, &kVerifyAuthenticode, &data);
  if (result == ERROR_SUCCESS)
    ReadSignerName(SigningCertificate(data.hWVTStateData), signer);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  verify(no_user, &kVerifyAuthenticode, &data);
  return result;
}

}  // namespace ormix
