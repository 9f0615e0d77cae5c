// Sets or removes a variable of this process for one test and puts the old state back afterwards.
// The launcher reads the process environment block, so that is what is changed here. Names and
// values are UTF-8, set and read through the wide calls, as the launcher does.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "support/process_run.h"

namespace ormix::test {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(Widen(name)) {
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetEnvironmentVariableW(name_.c_str(), nullptr, 0);
    if (length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND) {
      std::wstring saved(length, L'\0');
      saved.resize(GetEnvironmentVariableW(name_.c_str(), saved.data(), length));
      saved_ = saved;
    }
    Set(value);
  }
  // No value: the variable is removed.
  ScopedEnv(const char* name, const std::optional<std::string>& value)
      : ScopedEnv(name, value ? value->c_str() : nullptr) {}
  ~ScopedEnv() { SetEnvironmentVariableW(name_.c_str(), saved_ ? saved_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Set(const char* value) {
    SetEnvironmentVariableW(name_.c_str(), value ? Widen(value).c_str() : nullptr);
  }

 private:
  std::wstring name_;
  std::optional<std::wstring> saved_;
};

}  // namespace ormix::test
