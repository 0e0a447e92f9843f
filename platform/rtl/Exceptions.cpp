#include "platform/rtl/Exceptions.h"

#include <cstring>

#include "platform/rtl/UnicodeText.h"

Exception::Exception(const AnsiString& message) : FMessage(UTF8ToString(message)) {}

const char* Exception::what() const noexcept {
  if (FWhat.empty() && !FMessage.empty()) FWhat = UTF8Encode(FMessage);
  return FWhat.c_str();
}

void AssertErrorHandler(const String& message, const char* file, int line) {
  // Only the file's own name: the folder it was built in says nothing to the reader.
  const char* name = std::strrchr(file, '/');
  name = name ? name + 1 : file;
  String text = message + u" (" + UTF8ToString(name) + u", line " +
                UTF8ToString(std::to_string(line)) + u")";
  throw EAssertionFailed(text);
}

void Abort() { throw EAbort(u"Operation aborted"); }
