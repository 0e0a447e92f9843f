// Where the program is and where it keeps its settings.
#include "platform/rtl/ProgramPaths.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/rtl/UnicodeText.h"

String ProgramFileName() {
  char buffer[4096];
  ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return String();
  return UTF8ToString(std::string(buffer, static_cast<size_t>(length)));
}

std::string ConfigFolder() {
  // A relative XDG_CONFIG_HOME is to be ignored, as the base-directory rules say.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) return std::string();
    base = std::string(home) + "/.config";
  }
  return base + "/association-records";
}
