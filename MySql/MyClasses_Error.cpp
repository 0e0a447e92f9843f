#include "MySql/MyClasses_Error.h"

#include "MySql/MySqlErrors.h"
#include "platform/rtl/NumberText.h"

namespace {

constexpr int32_t ER_SERVER_SHUTDOWN = 1053;
constexpr int32_t ER_DUP_ENTRY = 1062;
constexpr int32_t ER_PARSE_ERROR = 1064;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The last run of decimal digits in the text; 0 when there is none or it does not convert.
int32_t LastNumber(const String& text) {
  size_t end = text.size();
  while (end > 0 && !IsDigit(text[end - 1])) --end;
  size_t begin = end;
  while (begin > 0 && IsDigit(text[begin - 1])) --begin;
  int32_t value = 0;
  if (begin == end || !TryStrToInt(text.substr(begin, end - begin), value)) return 0;
  return value;
}

}  // namespace

EMyError::EMyError(int32_t errorCode, const String& message) : EDAError(errorCode, message) {
  if (errorCode == ER_PARSE_ERROR) FLineNumber = LastNumber(message);
}

bool EMyError::IsConnectionLost() const {
  switch (ErrorCode()) {
    case ER_SERVER_SHUTDOWN:
    case CR_CANNOT_CONNECT:
    case CR_SERVER_GONE:
    case CR_LOST_CONNECTION: return true;
    default:
      return false;
  }
}

bool EMyError::IsDuplicateKey() const { return ErrorCode() == ER_DUP_ENTRY; }
