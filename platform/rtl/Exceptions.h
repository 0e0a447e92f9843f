// The exception family of the runtime. Every error the system raises derives from Exception, whose
// Message() is the system's own text.
#pragma once

#include <exception>
#include <string>

#include "platform/rtl/Types.h"

class Exception : public std::exception {
 public:
  explicit Exception(String message) : FMessage(std::move(message)) {}
  explicit Exception(const char16_t* message) : FMessage(message) {}
  // For messages held as 8-bit text (UTF-8).
  explicit Exception(const AnsiString& message);
  ~Exception() override = default;

  const String& Message() const { return FMessage; }
  void SetMessage(String message) {
    FMessage = std::move(message);
    FWhat.clear();
  }
  // The message as UTF-8, for logs and test output.
  const char* what() const noexcept override;

 private:
  String FMessage;
  mutable std::string FWhat;
};

// Declares a descendant that adds nothing but its type.
#define DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {          \
   public:                            \
    using Base::Base;                 \
  };

DECLARE_EXCEPTION(EAbort, Exception)
DECLARE_EXCEPTION(EConvertError, Exception)
DECLARE_EXCEPTION(EDatabaseError, Exception)
DECLARE_EXCEPTION(EInvalidCast, Exception)
DECLARE_EXCEPTION(EOutOfResources, Exception)
DECLARE_EXCEPTION(EInvalidOperation, Exception)
DECLARE_EXCEPTION(EArgumentException, Exception)
DECLARE_EXCEPTION(ERangeError, Exception)
DECLARE_EXCEPTION(EIntOverflow, Exception)
DECLARE_EXCEPTION(EZeroDivide, Exception)
DECLARE_EXCEPTION(EOverflow, Exception)
DECLARE_EXCEPTION(ENotSupportedException, Exception)

// An operating-system call failed; ErrorCode() is the system's error number (errno here).
class EOSError : public Exception {
 public:
  EOSError(String message, int errorCode) : Exception(std::move(message)), FErrorCode(errorCode) {}
  int ErrorCode() const { return FErrorCode; }

 private:
  int FErrorCode;
};

// An internal invariant failed. The message reads "%s (%s, line %d)": the text, the source file
// and the line.
class EAssertionFailed : public Exception {
 public:
  using Exception::Exception;
};

// Raises EAssertionFailed with the text, file and line.
[[noreturn]] void AssertErrorHandler(const String& message, const char* file, int line);

// Checks an internal invariant; the message names the source file and line as the toolchain does.
#define RTL_ASSERT(condition, message)                                     \
  do {                                                                     \
    if (!(condition)) AssertErrorHandler((message), __FILE__, __LINE__);   \
  } while (0)

// Raises EAbort: the silent exception that unwinds without a message box.
[[noreturn]] void Abort();
