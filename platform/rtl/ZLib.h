// The platform's zlib interface: the errors that compressing and decompressing buffers raise, and
// the checks that turn a zlib status into them.
#pragma once

#include "platform/rtl/Exceptions.h"

// Any failure of the compression library.
DECLARE_EXCEPTION(EZlibError, Exception)
// A negative status while deflating.
DECLARE_EXCEPTION(ECompressionError, EZlibError)
// A negative status while inflating: corrupt or truncated input.
DECLARE_EXCEPTION(EDecompressionError, EZlibError)

// Return the status when it is not negative; otherwise raise ECompressionError or
// EDecompressionError with the message "Error".
int CCheck(int status);
int DCheck(int status);
