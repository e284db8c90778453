#pragma once
// Process-wide settings changed for one test and restored afterwards.
#include <cstdlib>
#include <optional>
#include <string>

#include "util/format.hpp"

namespace varnel {

// Sets DecimalSeparator for one test and restores the previous one.
class SeparatorGuard {
 public:
  explicit SeparatorGuard(char separator) : saved_(DecimalSeparator) { DecimalSeparator = separator; }
  ~SeparatorGuard() { DecimalSeparator = saved_; }
  SeparatorGuard(const SeparatorGuard&) = delete;
  SeparatorGuard& operator=(const SeparatorGuard&) = delete;

 private:
  char saved_;
};

// Sets (or, with nullptr, unsets) an environment variable for one test.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(name, value);
  }
  ~ScopedEnv() { Set(name_, old_ ? old_->c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  static void Set(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");  // an empty value removes the variable
#else
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
#endif
  }
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace varnel
