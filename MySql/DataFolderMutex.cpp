#include "MySql/DataFolderMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/UnicodeText.h"

namespace {

String SystemMessage(int error) { return UTF8ToString(AnsiString(std::strerror(error))); }

}  // namespace

TMutex::TMutex(const String& folder, uint32_t timeout) : FName(Trim(folder)), FTimeout(timeout) {
  RTL_ASSERT(!FName.empty(), u"A data-folder mutex needs a folder");
  AnsiString path = UTF8Encode(FName);
  if (path.back() != '/') path += '/';
  path += LockFileName;
  FHandle = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (FHandle < 0) {
    int error = errno;
    throw EOSError(UTF8ToString(path) + u" - " + SystemMessage(error), error);
  }
}

TMutex::~TMutex() {
  if (FHandle >= 0) close(FHandle);
}

TWaitResult TMutex::WaitFor(uint32_t timeout) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout);
  for (;;) {
    if (flock(FHandle, LOCK_EX | LOCK_NB) == 0) return wrSignaled;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return wrError;
    if (timeout != INFINITE && Clock::now() >= deadline) return wrTimeout;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void TMutex::Acquire() {
  TWaitResult result = WaitFor(FTimeout);
  if (result == wrSignaled) return;
  int error = result == wrTimeout ? EWOULDBLOCK : errno;
  String reason = result == wrTimeout ? String(u"WAIT_TIMEOUT") : SystemMessage(error);
  throw EOSError(FName + u".Acquire = " + reason + u"\r\n", error);
}

void TMutex::Release() {
  if (flock(FHandle, LOCK_UN) != 0) {
    int error = errno;
    throw EOSError(FName + u".Release = " + SystemMessage(error), error);
  }
}
