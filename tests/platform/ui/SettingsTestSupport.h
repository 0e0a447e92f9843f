// Fixtures of the settings tests: a temporary folder removed after the test, an environment
// variable set for the test's length, whole-file reads and writes, and a child process.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "settings-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::string& Path() const { return FPath; }
  std::string File(const std::string& name) const { return FPath + "/" + name; }
  String FileName(const std::string& name) const { return UTF8ToString(File(name)); }

 private:
  std::string FPath;
};

// Sets (or with nullopt, unsets) a variable until the end of the scope.
class TEnvGuard {
 public:
  TEnvGuard(const char* name, std::optional<std::string> value) : FName(name) {
    if (const char* old = ::getenv(name)) FOld = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~TEnvGuard() {
    if (FOld)
      ::setenv(FName.c_str(), FOld->c_str(), 1);
    else
      ::unsetenv(FName.c_str());
  }
  TEnvGuard(const TEnvGuard&) = delete;
  TEnvGuard& operator=(const TEnvGuard&) = delete;

 private:
  std::string FName;
  std::optional<std::string> FOld;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Runs body in a forked child and returns the child's exit code (-1 when it did not exit).
// The child ends with 0 when body returns, 1 when it throws, or with whatever body _exits with.
inline pid_t StartChild(const std::function<void()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int code = 0;
    try {
      body();
    } catch (...) {
      code = 1;
    }
    ::_exit(code);
  }
  return pid;
}

inline int WaitChild(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Checks that the call raises E with exactly the message.
template <class E, class F>
void ExpectRaises(F call, const String& message) {
  try {
    call();
    ADD_FAILURE() << "no exception; expected " << UTF8Encode(message);
  } catch (const E& e) {
    EXPECT_EQ(e.Message(), message) << e.what();
  }
}
