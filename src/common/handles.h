// Owners for Windows handles. Two sentinels exist: file handles use INVALID_HANDLE_VALUE for
// "none", processes, threads and jobs use null. Mixing them up is a classic leak or double close,
// so each kind has its own owner type.
#pragma once

#include <windows.h>

namespace ormix {

struct FileHandleTraits {
  static HANDLE None() { return INVALID_HANDLE_VALUE; }
};
struct KernelHandleTraits {
  static HANDLE None() { return nullptr; }
};

template <typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : handle_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::None(); }

  // Closes the handle now; the owner then holds none. The launch closes its handles at fixed
  // points of its sequence, so explicit resets keep that order visible.
  void reset(HANDLE h = Traits::None()) {
    if (handle_ != Traits::None())
      CloseHandle(handle_);
    handle_ = h;
  }
  HANDLE release() {
    HANDLE h = handle_;
    handle_ = Traits::None();
    return h;
  }

 private:
  HANDLE handle_ = Traits::None();
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;

// A created process's two handles, from a PROCESS_INFORMATION. The thread handle is only needed
// to resume the process, so it can be let go of early; the process handle lives until the exit
// code has been read.
struct ProcessHandles {
  KernelHandle process;
  KernelHandle thread;

  ProcessHandles() = default;
  explicit ProcessHandles(const PROCESS_INFORMATION& info)
      : process(info.hProcess), thread(info.hThread) {}
};

// C runtime streams have their own owner, UniqueFile in unique_file.h: the text core uses them
// and includes no Windows header.

}  // namespace ormix
