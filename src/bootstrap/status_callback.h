// The IBindStatusCallback through which URLDownloadToFileW reports the download's progress.
//
// A plain record whose first member points at a static table of the interface's 11 methods,
// which is all that COM reads of an object. It lives on its caller's stack: Release frees
// nothing, whatever the count.
#pragma once

#include <windows.h>

#include "bootstrap/progress_window.h"

namespace ormix {

struct DownloadStatusCallback;

// IBindStatusCallback's slots in the interface's order, IUnknown's three first. Interface
// pointers that the download hands over (IBinding, BINDINFO, FORMATETC...) are never used, so
// they stay untyped here.
struct DownloadStatusCallbackMethods {
  HRESULT(STDMETHODCALLTYPE* QueryInterface)
  (DownloadStatusCallback* self, REFIID riid, void** object);
  ULONG(STDMETHODCALLTYPE* AddRef)(DownloadStatusCallback* self);
  ULONG(STDMETHODCALLTYPE* Release)(DownloadStatusCallback* self);
  HRESULT(STDMETHODCALLTYPE* OnStartBinding)
  (DownloadStatusCallback* self, DWORD reserved, void* binding);
  HRESULT(STDMETHODCALLTYPE* GetPriority)(DownloadStatusCallback* self, LONG* priority);
  HRESULT(STDMETHODCALLTYPE* OnLowResource)(DownloadStatusCallback* self, DWORD reserved);
  HRESULT(STDMETHODCALLTYPE* OnProgress)
  (DownloadStatusCallback* self, ULONG progress, ULONG progress_max, ULONG status_code,
   const wchar_t* status_text);
  HRESULT(STDMETHODCALLTYPE* OnStopBinding)
  (DownloadStatusCallback* self, HRESULT result, const wchar_t* error);
  HRESULT(STDMETHODCALLTYPE* GetBindInfo)
  (DownloadStatusCallback* self, DWORD* bind_flags, void* bind_info);
  HRESULT(STDMETHODCALLTYPE* OnDataAvailable)
  (DownloadStatusCallback* self, DWORD flags, DWORD size, void* format, void* medium);
  HRESULT(STDMETHODCALLTYPE* OnObjectAvailable)
  (DownloadStatusCallback* self, REFIID riid, void* object);
};

extern const DownloadStatusCallbackMethods kDownloadStatusCallbackMethods;

struct DownloadStatusCallback {
  const DownloadStatusCallbackMethods* methods;  // first: where COM looks for the method table
  LONG ref_count;                                // changed only by interlocked operations
  ProgressWindow* window;                        // the window the notifications move; not owned
};

// A callback with one reference that moves this window.
DownloadStatusCallback MakeDownloadStatusCallback(ProgressWindow* window);

}  // namespace ormix
