#include "bootstrap/installer_check.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "bootstrap/installer_signature.h"
#include "bootstrap/pe_image_check.h"
#include "bootstrap/publisher_match.h"

namespace ormix {
namespace {

// The file's first bytes (all of a smaller file), read through the handle; -1 on a read error.
int ReadHead(HANDLE file, char (&head)[kPeHeadReadLimit], DWORD& length) {
  length = 0;
  while (length < sizeof head) {
    DWORD got = 0;
    if (!ReadFile(file, head + length, static_cast<DWORD>(sizeof head - length), &got, nullptr))
      return -1;
    if (got == 0)
      break;
    length += got;
  }
  // Back to the start for the signature check, which reads the file through the same handle.
  LARGE_INTEGER start = {};
  return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) ? 0 : -1;
}

}  // namespace

int OpenCheckedInstaller(const wchar_t* path, const InstallerTrust& trust, FileHandle& held) {
  // FILE_FLAG_OPEN_REPARSE_POINT: a link put in the installer's place is held itself, not the file
  // it points to, so the link cannot be pointed elsewhere afterwards; it is refused below.
  FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file)
    return -1;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return -1;
  }
  LARGE_INTEGER size;
  char head[kPeHeadReadLimit];
  DWORD head_length;
  if (!GetFileSizeEx(file.get(), &size) || ReadHead(file.get(), head, head_length) != 0)
    return -1;
  if (CheckPeImage(std::string_view(head, head_length),
                   static_cast<std::uint64_t>(size.QuadPart)) != PeImageCheck::kComplete) {
    return -1;
  }
  if (trust.verify_signature) {
    SignerName signer;
    if (VerifyAuthenticode(file.get(), path, signer) != 0)
      return -1;
    if (!IsPinnedPublisher(std::u16string_view(signer.text, signer.length),
                           trust.publisher != nullptr ? trust.publisher : "")) {
      return -1;
    }
  }
  held = std::move(file);
  return 0;
}

}  // namespace ormix
