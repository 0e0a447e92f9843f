#include "platform/rtl/ExceptionHook.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// One for the process, as there is one application.
TExceptionHandler& InstalledHandler() {
  static TExceptionHandler handler;
  return handler;
}

}  // namespace

TExceptionHandler SetExceptionHandler(TExceptionHandler handler) {
  return std::exchange(InstalledHandler(), std::move(handler));
}

void HandleRunningException(TObject* sender) {
  if (!std::current_exception()) return;
  if (const TExceptionHandler& handler = InstalledHandler()) {
    handler(sender);
    return;
  }
  try {
    throw;
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", UTF8Encode(e.Message()).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "Unknown error\n");
  }
}
