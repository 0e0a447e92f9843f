// Whole-file reads and the write-sync-rename replacement of settings files.
#include "platform/ui/IniFiles_File.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/rtl/UnicodeText.h"

namespace settingsfile {

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Where the bytes really go: the target of a symbolic link, so that replacing never turns the
// link into a plain file.
std::string ResolvedTarget(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

bool WriteAll(int handle, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(handle, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void SyncFolder(const std::string& folder) {
  int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return;
  ::fsync(handle);
  ::close(handle);
}

// Creates a temporary file next to the target that no other writer uses.
int CreateTemporary(const std::string& target, unsigned rights, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = TemporaryPrefix(target) + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1));
    int handle = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, rights);
    if (handle >= 0 || errno != EEXIST) return handle;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

TReadResult ReadWholeFile(const std::string& path, std::string& bytes, int& error) {
  bytes.clear();
  error = 0;
  int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (handle < 0) {
    error = errno;
    return error == ENOENT ? TReadResult::Missing : TReadResult::Failed;
  }
  struct stat info;
  if (::fstat(handle, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(handle);
    error = EISDIR;
    return TReadResult::Failed;
  }
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(handle, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      ::close(handle);
      bytes.clear();
      return TReadResult::Failed;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(handle);
  return TReadResult::Read;
}

bool ReplaceFile(const std::string& path, std::string_view bytes, unsigned rights, int& error,
                 const std::function<void()>& beforeReplace) {
  error = 0;
  const std::string target = ResolvedTarget(path);
  std::string temporary;
  int handle = CreateTemporary(target, rights, temporary);
  if (handle < 0) {
    error = errno;
    return false;
  }
  struct stat old;
  bool ok = true;
  if (::stat(target.c_str(), &old) == 0) ok = ::fchmod(handle, old.st_mode & 07777) == 0;
  ok = ok && WriteAll(handle, bytes) && ::fsync(handle) == 0;
  if (!ok) error = errno ? errno : EIO;
  if (::close(handle) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && beforeReplace) beforeReplace();
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolder(FolderOf(target));
  return true;
}

std::string TemporaryPrefix(const std::string& path) { return path + ".tmp."; }

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return path;
  std::string folder = buffer;
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder + path;
}

String SystemErrorText(int error) {
  char buffer[256];
  // The GNU strerror_r returns the text, which may or may not be in the buffer.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return UTF8ToString(text);
}

}  // namespace settingsfile
