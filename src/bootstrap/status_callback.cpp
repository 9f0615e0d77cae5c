#include "bootstrap/status_callback.h"

namespace ormix {
namespace {

// {00000000-0000-0000-C000-000000000046}
constexpr GUID kIidUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {79EAC9C1-BAF9-11CE-8C82-00AA004BA90B}
constexpr GUID kIidBindStatusCallback = {
    0x79EAC9C1, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};

ULONG STDMETHODCALLTYPE AddRef(DownloadStatusCallback* self) {
  return static_cast<ULONG>(InterlockedIncrement(&self->ref_count));
}

// The record belongs to its caller's stack, so reaching 0 frees nothing.
ULONG STDMETHODCALLTYPE Release(DownloadStatusCallback* self) {
  return static_cast<ULONG>(InterlockedDecrement(&self->ref_count));
}

HRESULT STDMETHODCALLTYPE QueryInterface(DownloadStatusCallback* self, REFIID riid, void** object) {
  if (object == nullptr)
    return E_POINTER;
  if (IsEqualIID(riid, kIidUnknown) || IsEqualIID(riid, kIidBindStatusCallback)) {
    *object = self;
    AddRef(self);
    return S_OK;
  }
  // Among others the download asks for IHttpNegotiate and IAuthenticate; without them it uses
  // its defaults.
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE GetPriority(DownloadStatusCallback*, LONG* priority) {
  if (priority != nullptr)
    *priority = THREAD_PRIORITY_NORMAL;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE OnProgress(DownloadStatusCallback* self, ULONG progress,
                                     ULONG progress_max, ULONG, const wchar_t*) {
  // Every kind of notification moves the window alike; only the two byte counts matter.
  if (self->window != nullptr)
    ShowDownloadProgress(*self->window, progress, progress_max);
  // The download blocks the thread; this is where the window gets painted and can be moved.
  PumpPendingMessages();
  return S_OK;
}

// The notifications the launcher has no use for: one body, instantiated per signature.
template <typename... Args>
HRESULT STDMETHODCALLTYPE Ignore(DownloadStatusCallback*, Args...) {
  return S_OK;
}

}  // namespace

const DownloadStatusCallbackMethods kDownloadStatusCallbackMethods = {
    QueryInterface,
    AddRef,
    Release,
    Ignore<DWORD, void*>,  // OnStartBinding: the IBinding is not kept
    GetPriority,
    Ignore<DWORD>,  // OnLowResource
    OnProgress,
    Ignore<HRESULT, const wchar_t*>,     // OnStopBinding: the download's result is its own
    Ignore<DWORD*, void*>,               // GetBindInfo: the download's default flags are kept
    Ignore<DWORD, DWORD, void*, void*>,  // OnDataAvailable: the data goes to the file
    Ignore<REFIID, void*>,               // OnObjectAvailable
};

DownloadStatusCallback MakeDownloadStatusCallback(ProgressWindow* window) {
  return {&kDownloadStatusCallbackMethods, 1, window};
}

}  // namespace ormix
