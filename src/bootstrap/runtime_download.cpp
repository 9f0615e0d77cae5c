// The offer of the shared runtime: consent, download with the progress window, installer run.
// It uses no heap: every text lives in a local of fixed capacity.
#include "bootstrap/runtime_download.h"

#include <windows.h>

#include <utility>

#include "bootstrap/installer_check.h"
#include "bootstrap/installer_run.h"
#include "bootstrap/progress_window.h"
#include "bootstrap/status_callback.h"
#include "common/message_box.h"
#include "common/limits.h"
#include "common/product.h"
#include "common/runtime_family.h"
#include "common/system_library.h"
#include "common/text_format.h"
#include "common/wide_text.h"

namespace ormix {
namespace {

static_assert(kTempPathCapacity == MAX_PATH, "the temporary directory's classic limit");

using DownloadToFileFunction = HRESULT(WINAPI*)(void* caller, const wchar_t* url,
                                                const wchar_t* file, DWORD reserved,
                                                DownloadStatusCallback* callback);

using DeleteCacheEntryFunction = BOOL(WINAPI*)(const wchar_t* url);

// The download goes through the system's URL cache, which may hold an older installer under the
// same URL. Its entry is removed before the transfer, so the installer comes from the server, and
// after it, so what was fetched is not kept there. The callback's bind flags would be the other
// way, but Wine's URLDownloadToFileW asks for them and then drops them (it always transfers
// through the cache), so only this way works on both and can be tested here.
void DeleteCachedCopy(const wchar_t* url) {
  auto forget =
      LoadSystemFunction<DeleteCacheEntryFunction>(L"wininet.dll", "DeleteUrlCacheEntryW");
  if (forget != nullptr)
    forget(url);
}

// urlmon and wininet are loaded from System32 here rather than imported (see
// common/system_library.h). A download that cannot even start counts as a failed one.
HRESULT DownloadToFile(const wchar_t* url, const wchar_t* file, DownloadStatusCallback* callback) {
  auto download = LoadSystemFunction<DownloadToFileFunction>(L"urlmon.dll", "URLDownloadToFileW");
  if (download == nullptr)
    return E_FAIL;
  DeleteCachedCopy(url);
  HRESULT result = download(nullptr, url, file, 0, callback);
  DeleteCachedCopy(url);
  return result;
}

// Fills path with the temporary directory followed by the installer's name; -1 when there is no
// temporary directory or the whole path does not fit. A cut path would be a different file, and
// GetTempPathW answers a directory too long for its buffer with the length it would need.
int MakeInstallerPath(wchar_t (&path)[kTempPathCapacity]) {
  wchar_t temp_dir[kTempPathCapacity];
  DWORD length = GetTempPathW(kTempPathCapacity, temp_dir);
  if (length == 0 || length >= kTempPathCapacity)
    return -1;
  constexpr std::size_t kNameLength = sizeof kInstallerFileName / sizeof(wchar_t) - 1;
  if (length + kNameLength >= kTempPathCapacity)
    return -1;
  Format(path, L"%s%s", temp_dir, kInstallerFileName);
  return 0;
}

}  // namespace

int OfferRuntimeDownload(const char* caption, const char* url) {
  if (url == nullptr || url[0] == '\0')
    return 1;

  char consent[kMessageCapacity];
  Format(consent,
         "%s needs the Harrowmere Runtime, a one-time shared download of about 230 MB.\n\nEvery "
         "Harrowmere app reuses it, so this happens only once -- after that, all of them start "
         "instantly.\n\nDownload and install it now?",
         caption);
  if (ShowMessageBox(consent, caption, MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES) {
    return 1;
  }

  wchar_t installer_path[kTempPathCapacity];
  if (MakeInstallerPath(installer_path) != 0)
    return 1;
  wchar_t wide_url[kWideUrlCapacity];
  if (WidenUtf8(url, wide_url) != 0)
    return 1;

  // The download runs without a window when it cannot be created.
  ProgressWindow window = {};
  CreateProgressWindow(&window, caption);
  DownloadStatusCallback callback = MakeDownloadStatusCallback(&window);
  // The thread initialises no COM apartment: the download does not need one.
  HRESULT result = DownloadToFile(wide_url, installer_path, &callback);
  CloseProgressWindow(window);

  // A transfer can end in success with something other than the installer in the file (under
  // Wine an error page, or a body cut short), and what is in TEMP may have been replaced since:
  // the file is held unchangeable, then checked, and only then run. A file that fails a check is
  // a failed download, and goes.
  FileHandle held;
  bool refused = false;
  if (SUCCEEDED(result)) {
    refused =
        OpenCheckedInstaller(installer_path, {kVerifyInstaller, kInstallerPublisher}, held) != 0;
    if (refused)
      DeleteFileW(installer_path);
  }
  if (FAILED(result) || refused) {
    ShowMessageBox(
        "The Harrowmere Runtime could not be downloaded. Please check your internet connection "
        "and try again, or install the runtime manually from the Harrowmere releases page.",
        caption, MB_ICONERROR | MB_SETFOREGROUND);
    return 1;
  }
  return RunInstaller(installer_path, std::move(held));
}

}  // namespace ormix
