// Base64 of the standard alphabet with "=" padding, for the credentials of basic authentication.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/rtl/Types.h"

class TBase64 {
 public:
  // Four output bytes for every three input bytes or part of three.
  static TBytes Encode(const TBytes& data);
  static TBytes Encode(const uint8_t* data, size_t count);
  // The same, as text: what an "Authorization: Basic" line carries.
  static AnsiString EncodeText(std::string_view data);
};
