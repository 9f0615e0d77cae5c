// Sets or removes a variable of this process for one test and puts the old state back afterwards.
// The launcher reads the process environment block, so that is what is changed here.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ormix::test {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetEnvironmentVariableA(name, nullptr, 0);
    if (length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND) {
      std::string saved(length, '\0');
      saved.resize(GetEnvironmentVariableA(name, saved.data(), length));
      saved_ = saved;
    }
    Set(value);
  }
  // No value: the variable is removed.
  ScopedEnv(const char* name, const std::optional<std::string>& value)
      : ScopedEnv(name, value ? value->c_str() : nullptr) {}
  ~ScopedEnv() { Set(saved_ ? saved_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Set(const char* value) { SetEnvironmentVariableA(name_.c_str(), value); }

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace ormix::test
