// A server's row value text converted to each typed value a column can have: integers of every
// width, floats, dates and times of every column type, currency and BCD decimals, UTF-8 text,
// and the binary row's numbers and dates. The library's conversion errors are answers; a crash,
// an overflow or a read past the value is a finding.
#include <cstddef>
#include <cstdint>

#include "MySql/MyClasses_RecordSetConvert.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/Exceptions.h"

namespace {

template <class F>
void Try(F convert) {
  try {
    convert();
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the column's length, precision and scale.
  const uint8_t lengthByte = data[0];
  const uint8_t scaleByte = data[1];
  const auto* text = reinterpret_cast<const char*>(data + 2);
  const size_t length = size - 2;
  const uint8_t* bytes = data + 2;

  alignas(8) uint8_t number[16] = {};
  for (TDataTypeCode type : {dtInt8, dtSmallint, dtInteger, dtLargeint, dtWord, dtUInt32}) {
    Try([&] { ReadTextInt(text, length, type, number); });
    // A binary row's integer has the width its column type gives; a BIT value up to 8 bytes.
    for (size_t width : {1u, 2u, 4u, 8u})
      if (width <= length) Try([&] { ReadBinaryInt(bytes, width, type, number); });
    Try([&] { ReadBit(bytes, length < 8 ? length : 8, type, number); });
  }
  Try([&] { ParseFloatText(text, length); });
  for (size_t width : {4u, 8u})
    if (width <= length) Try([&] { ReadBinaryFloat(bytes, width); });
  for (uint32_t mysqlType : {7u, 10u, 11u, 12u, 14u}) {
    TDateTime value = 0;
    Try([&] { ParseDateTimeText(mysqlType, lengthByte, text, length, u"F", value); });
    Try([&] { ReadBinaryDateTime(mysqlType, bytes, length, value); });
  }
  Try([&] { ReadCurrencyText(text, length); });
  const int precision = 1 + lengthByte % 65;
  const int scale = scaleByte % (precision + 1);
  Try([&] { ReadFmtBcdText(text, length, precision, scale); });
  char16_t wide[64];
  Try([&] { DecodeUtf8(wide, sizeof wide, true, bytes, length); });
  Try([&] { DecodeUtf8(wide, 2 * (1 + lengthByte % 32), scaleByte & 1, bytes, length); });
  return 0;
}
