// The byte-level codec of the MySQL protocol: pure functions over byte spans that know nothing of
// sockets. Every read of received bytes goes through TMySqlReader, whose getters check the bounds
// in one place and raise the engine's "Malformed packet" error (2027) instead of reading past the
// end. All integers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/rtl/Types.h"

namespace mysqlcodec {

constexpr size_t kHeaderSize = 4;              // plain packet header
constexpr size_t kCompHeaderSize = 7;          // compressed frame header
constexpr uint32_t kMaxPacketPayload = 0xFFFFFF;  // 16777215: a longer payload continues
constexpr uint8_t kErrorMarker = 0xFF;
constexpr int64_t kLengthCodedNull = -1;

// --- fixed-width integers ----------------------------------------------------------------------
inline void PutUInt16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutUInt24(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
}
inline void PutUInt32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutUInt64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint16_t GetUInt16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetUInt24(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16);
}
inline uint32_t GetUInt32(const uint8_t* p) {
  return GetUInt24(p) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetUInt64(const uint8_t* p) {
  return static_cast<uint64_t>(GetUInt32(p)) | (static_cast<uint64_t>(GetUInt32(p + 4)) << 32);
}

// --- length-coded integers ---------------------------------------------------------------------
// Writes n in the shortest form (1, 3, 4 or 9 bytes) and returns the count written; out needs 9.
size_t EncodeLengthCoded(uint64_t n, uint8_t* out);

// --- headers -----------------------------------------------------------------------------------
struct TPacketHeader {
  uint32_t Length;   // payload bytes that follow
  uint8_t Sequence;
};
struct TFrameHeader {
  uint32_t Length;        // L: payload bytes on the wire
  uint8_t Sequence;
  uint32_t Uncompressed;  // U: inflated size; 0 when the payload is raw
};
inline void EncodePacketHeader(uint8_t* out, uint32_t length, uint8_t sequence) {
  PutUInt24(out, length);
  out[3] = sequence;
}
inline TPacketHeader DecodePacketHeader(const uint8_t* in) { return {GetUInt24(in), in[3]}; }
inline void EncodeFrameHeader(uint8_t* out, uint32_t length, uint8_t sequence,
                              uint32_t uncompressed) {
  EncodePacketHeader(out, length, sequence);
  PutUInt24(out + 4, uncompressed);
}
inline TFrameHeader DecodeFrameHeader(const uint8_t* in) {
  return {GetUInt24(in), in[3], GetUInt24(in + 4)};
}

// --- the bounds-checked reader -----------------------------------------------------------------
// Reads a received payload from its start. A getter that would pass the end raises
// EMySqlException 2027 and leaves the position where it was.
class TMySqlReader {
 public:
  TMySqlReader(const uint8_t* data, size_t length, size_t position = 0)
      : FData(data), FLength(length), FPosition(position > length ? length : position) {}

  size_t Position() const { return FPosition; }
  size_t Length() const { return FLength; }
  size_t Remaining() const { return FLength - FPosition; }
  bool AtEnd() const { return FPosition >= FLength; }
  const uint8_t* Current() const { return FData + FPosition; }

  uint8_t ReadByte();
  uint16_t ReadUInt16();
  uint32_t ReadUInt24();
  uint32_t ReadUInt32();
  uint64_t ReadUInt64();
  // A length-coded integer: kLengthCodedNull for the NULL marker (251). The invalid marker 255
  // raises ArgumentException, as a corrupt value does wherever it is met.
  int64_t ReadLengthCoded();
  // Exactly count bytes into out.
  void ReadBytes(uint8_t* out, size_t count);
  // Up to count bytes, fewer when the payload ends first; returns the count copied.
  size_t ReadBytesUpTo(uint8_t* out, size_t count);
  // The bytes up to a zero byte (which is consumed) or to the end.
  AnsiString ReadZString();
  // The bytes to the end.
  AnsiString ReadRest();
  // Moves past count bytes, or to the end when fewer remain.
  void SkipUpTo(size_t count);
  // A length-coded string located in place, the reader moved past it: false for NULL (251);
  // otherwise true with where its bytes start and how many there are. A length, or the 2, 3 or 8
  // bytes of a length, that would pass the end raises 2027; the marker 255 ArgumentException.
  // Most values of a row are shorter than 251 bytes: their one-byte length is read inline, the
  // other forms and every failure go the long way.
  bool LocateLengthCoded(size_t& start, size_t& length) {
    if (FPosition < FLength) {
      const size_t n = FData[FPosition];
      if (n < 251 && n < FLength - FPosition) {
        start = FPosition + 1;
        length = n;
        FPosition = start + n;
        return true;
      }
    }
    return LocateLongLengthCoded(start, length);
  }

 private:
  bool LocateLongLengthCoded(size_t& start, size_t& length);
  void Need(size_t count) const;
  const uint8_t* FData;
  size_t FLength;
  size_t FPosition;
};

// --- error packets -----------------------------------------------------------------------------
struct TServerError {
  uint16_t Number = 0;
  AnsiString Message;  // for a 4.1 server: "#", the SQL state, then the text
};
// Decodes an error packet: 0xFF, the number, the text to a zero byte or the end. A packet too short
// for its number raises 2027.
TServerError DecodeErrorPacket(const uint8_t* payload, size_t length);

}  // namespace mysqlcodec
