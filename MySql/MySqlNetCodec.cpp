#include "MySql/MySqlNetCodec.h"

#include <cstring>

#include "Common/CLRClasses.h"
#include "MySql/MySqlErrors.h"

namespace mysqlcodec {

size_t EncodeLengthCoded(uint64_t n, uint8_t* out) {
  if (n <= 250) {
    out[0] = static_cast<uint8_t>(n);
    return 1;
  }
  if (n <= 0xFFFF) {
    out[0] = 252;
    PutUInt16(out + 1, static_cast<uint16_t>(n));
    return 3;
  }
  if (n <= 0xFFFFFF) {
    out[0] = 253;
    PutUInt24(out + 1, static_cast<uint32_t>(n));
    return 4;
  }
  out[0] = 254;
  PutUInt64(out + 1, n);
  return 9;
}

void TMySqlReader::Need(size_t count) const {
  if (count > Remaining()) throw EMySqlException(CR_MALFORMED_PACKET);
}

uint8_t TMySqlReader::ReadByte() {
  Need(1);
  return FData[FPosition++];
}

uint16_t TMySqlReader::ReadUInt16() {
  Need(2);
  uint16_t v = GetUInt16(FData + FPosition);
  FPosition += 2;
  return v;
}

uint32_t TMySqlReader::ReadUInt24() {
  Need(3);
  uint32_t v = GetUInt24(FData + FPosition);
  FPosition += 3;
  return v;
}

uint32_t TMySqlReader::ReadUInt32() {
  Need(4);
  uint32_t v = GetUInt32(FData + FPosition);
  FPosition += 4;
  return v;
}

uint64_t TMySqlReader::ReadUInt64() {
  // A short 8-byte value is the corrupt-value error of the engine, not a short packet.
  if (Remaining() < 8) throw ArgumentException();
  uint64_t v = GetUInt64(FData + FPosition);
  FPosition += 8;
  return v;
}

int64_t TMySqlReader::ReadLengthCoded() {
  Need(1);
  uint8_t first = FData[FPosition];
  switch (first) {
    case 251:
      ++FPosition;
      return kLengthCodedNull;
    case 252:
      Need(3);
      ++FPosition;
      return ReadUInt16();
    case 253:
      Need(4);
      ++FPosition;
      return ReadUInt24();
    case 254:
      if (Remaining() < 9) throw ArgumentException();
      ++FPosition;
      return static_cast<int64_t>(ReadUInt64());
    case 255:
      throw ArgumentException();
    default:
      ++FPosition;
      return first;
  }
}

void TMySqlReader::ReadBytes(uint8_t* out, size_t count) {
  Need(count);
  if (count > 0) std::memcpy(out, FData + FPosition, count);
  FPosition += count;
}

size_t TMySqlReader::ReadBytesUpTo(uint8_t* out, size_t count) {
  size_t n = count < Remaining() ? count : Remaining();
  if (n > 0) std::memcpy(out, FData + FPosition, n);
  FPosition += n;
  return n;
}

AnsiString TMySqlReader::ReadZString() {
  const uint8_t* start = FData + FPosition;
  const void* zero = Remaining() > 0 ? std::memchr(start, 0, Remaining()) : nullptr;
  size_t n = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - start) : Remaining();
  AnsiString text(reinterpret_cast<const char*>(start), n);
  FPosition += zero ? n + 1 : n;
  return text;
}

AnsiString TMySqlReader::ReadRest() {
  AnsiString text(reinterpret_cast<const char*>(FData + FPosition), Remaining());
  FPosition = FLength;
  return text;
}

void TMySqlReader::SkipUpTo(size_t count) { FPosition += count < Remaining() ? count : Remaining(); }

bool TMySqlReader::LocateLongLengthCoded(size_t& start, size_t& length) {
  Need(1);
  const size_t saved = FPosition;
  // Within a row a cut-off 8-byte length is a short packet, not a corrupt value.
  if (FData[FPosition] == 254) Need(9);
  int64_t n = ReadLengthCoded();
  if (n == kLengthCodedNull && FData[saved] == 251) {
    start = 0;
    length = 0;
    return false;
  }
  if (static_cast<uint64_t>(n) > Remaining()) {
    FPosition = saved;
    throw EMySqlException(CR_MALFORMED_PACKET);
  }
  start = FPosition;
  length = static_cast<size_t>(n);
  FPosition += length;
  return true;
}

TServerError DecodeErrorPacket(const uint8_t* payload, size_t length) {
  TMySqlReader reader(payload, length);
  if (reader.ReadByte() != kErrorMarker) throw EMySqlException(CR_MALFORMED_PACKET);
  TServerError error;
  error.Number = reader.ReadUInt16();
  error.Message = reader.ReadZString();
  return error;
}

}  // namespace mysqlcodec
