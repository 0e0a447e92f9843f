// File streams over POSIX file descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/rtl/Format.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/UnicodeText.h"

namespace {

String SystemErrorText(int error) {
  char buffer[256];
  // The GNU strerror_r returns the text, which may or may not be in the buffer.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return UTF8ToString(text);
}

int OpenFile(const String& fileName, uint16_t mode, uint32_t rights) {
  AnsiString path = UTF8Encode(fileName);
  if ((mode & fmCreate) == fmCreate) {
    int handle = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, rights);
    if (handle < 0) {
      throw EFCreateError(
          Format(u"Cannot create file \"%s\". %s", {fileName, SystemErrorText(errno)}));
    }
    return handle;
  }
  int access = O_RDONLY;
  if ((mode & 3) == fmOpenWrite) access = O_WRONLY;
  if ((mode & 3) == fmOpenReadWrite) access = O_RDWR;
  int handle = ::open(path.c_str(), access | O_CLOEXEC);
  int error = errno;
  struct stat info;
  // A folder opens for reading here but is no file to stream.
  if (handle >= 0 && ::fstat(handle, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(handle);
    handle = -1;
    error = EISDIR;
  }
  if (handle < 0)
    throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {fileName, SystemErrorText(error)}));
  return handle;
}

}  // namespace

int32_t THandleStream::Read(void* buffer, int32_t count) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    ssize_t n = ::read(FHandle, bytes + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int32_t>(n);
  }
  return done;
}

int32_t THandleStream::Write(const void* buffer, int32_t count) {
  auto* bytes = static_cast<const uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    ssize_t n = ::write(FHandle, bytes + done, static_cast<size_t>(count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<int32_t>(n);
  }
  return done;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  return ::lseek(FHandle, offset, whence);
}

void THandleStream::SetSize(int64_t newSize) {
  int64_t position = Position();
  if (::ftruncate(FHandle, newSize) != 0) {
    int error = errno;
    throw EStreamError(Format(u"System Error.  Code: %d.\n%s", {error, SystemErrorText(error)}));
  }
  if (position > newSize) Seek(newSize, soBeginning);
}

TFileStream::TFileStream(const String& fileName, uint16_t mode)
    : TFileStream(fileName, mode, 0666) {}

TFileStream::TFileStream(const String& fileName, uint16_t mode, uint32_t rights)
    : THandleStream(OpenFile(fileName, mode, rights)), FFileName(fileName) {}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}
