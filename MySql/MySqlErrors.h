// The error of the MySQL protocol engine and the client error texts its messages are built from.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Types.h"

// ErrorCode() is a client error number (2000-2047), a server error number as the server sent it,
// or one of the engine's own numbers 1156 (packets out of order) and 1157 (a frame that does not
// inflate).
class EMySqlException : public Exception {
 public:
  // The client text of the number as it stands, unformatted.
  explicit EMySqlException(int32_t number);
  // The client text of the number, then carriage return, line feed and the detail when there is
  // one. Numbers without a client text (server errors) give the detail after the line break.
  static EMySqlException CreateMsg(int32_t number, const String& detail);
  // As CreateMsg, with the client text formatted with the arguments first (the engine never
  // leaves a placeholder in a message).
  static EMySqlException CreateFmt(int32_t number, const String& detail,
                                   std::initializer_list<TVarRec> args);

  int32_t ErrorCode() const { return FErrorCode; }

 private:
  EMySqlException(int32_t number, String message);
  int32_t FErrorCode;
};

// The client error text for 2000-2047; the empty text for any other number.
const char* GetClientErrorText(int32_t number);
