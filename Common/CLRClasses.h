// Runtime utility classes of the data-access library: character encodings between texts and byte
// arrays, growable string builders, a growable in-memory byte stream, block copies, little-endian
// conversions between bytes and integers, raw memory access at an address plus offset, and two
// argument errors.
//
// Indexes and offsets are zero-based. An index, offset or count that falls outside the array or
// text it names raises ArgumentException rather than touching memory that is not there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

// Argument errors of the utility classes; they add nothing to Exception.
class ArgumentException : public Exception {
 public:
  ArgumentException() : Exception(String()) {}  // Create: no message
  explicit ArgumentException(String message) : Exception(std::move(message)) {}  // CreateMsg
  explicit ArgumentException(const char16_t* message) : Exception(message) {}
};

class NotSupportedException : public Exception {
 public:
  NotSupportedException() : Exception(String()) {}
};

// ---------------------------------------------------------------------------------------------
// Encodings
// ---------------------------------------------------------------------------------------------

// Converts between 8-bit (ANSI, UTF-8 here) texts, wide (UTF-16) texts and byte arrays. The base
// class is the default encoding: it takes an ANSI text's bytes as they are. An empty input gives
// an empty output everywhere.
//
// The ...To operations write into an existing array and never resize it: the destination must
// already hold byteIndex + the bytes written (size it with GetMaxByteCount).
class Encoding {
 public:
  virtual ~Encoding() = default;

  // The process-wide instances; they live as long as the process.
  static Encoding* GetDefault();
  static Encoding* GetUnicode();  // UTF-16 little-endian
  static Encoding* GetUTF8();
  // The process-wide encoding of a Windows code page number, made on first use and kept. An unknown
  // code page is only reported when the encoding converts (EOSError).
  static Encoding* GetEncoding(uint32_t codePage);

  virtual TBytes GetBytes(std::string_view text) const;
  // Writes the bytes of count characters of the text, from charIndex on, into bytes at byteIndex;
  // returns the number of bytes written.
  virtual int GetBytesTo(std::string_view text, int charIndex, int byteIndex, TBytes& bytes,
                         int count) const;
  virtual TBytes GetBytesWide(std::u16string_view text) const;
  // The same for count UTF-16 characters of a wide text.
  virtual int GetBytesWideTo(std::u16string_view text, int charIndex, int byteIndex, TBytes& bytes,
                             int count) const;
  virtual AnsiString GetString(const TBytes& bytes) const;
  // The text of count bytes from index.
  virtual AnsiString GetStringPart(const TBytes& bytes, int index, int count) const;
  virtual String GetWideString(const TBytes& bytes) const;
  virtual String GetWideStringPart(const TBytes& bytes, int index, int count) const;
  // An upper bound of the bytes that the given number of characters can take.
  virtual int GetMaxByteCount(int charCount) const;
};

// UTF-16 little-endian, two bytes per UTF-16 code unit.
class UnicodeEncoding : public Encoding {
 public:
  TBytes GetBytes(std::string_view text) const override;
  int GetBytesTo(std::string_view text, int charIndex, int byteIndex, TBytes& bytes,
                 int count) const override;
  TBytes GetBytesWide(std::u16string_view text) const override;
  int GetBytesWideTo(std::u16string_view text, int charIndex, int byteIndex, TBytes& bytes,
                     int count) const override;
  AnsiString GetString(const TBytes& bytes) const override;
  AnsiString GetStringPart(const TBytes& bytes, int index, int count) const override;
  String GetWideString(const TBytes& bytes) const override;
  String GetWideStringPart(const TBytes& bytes, int index, int count) const override;
  int GetMaxByteCount(int charCount) const override;
};

// UTF-8. Writing into an existing array is not offered: GetBytesTo and GetBytesWideTo fail the
// assertion "not implemented".
class UTF8Encoding : public Encoding {
 public:
  TBytes GetBytes(std::string_view text) const override;
  int GetBytesTo(std::string_view text, int charIndex, int byteIndex, TBytes& bytes,
                 int count) const override;
  TBytes GetBytesWide(std::u16string_view text) const override;
  int GetBytesWideTo(std::u16string_view text, int charIndex, int byteIndex, TBytes& bytes,
                     int count) const override;
  AnsiString GetString(const TBytes& bytes) const override;
  AnsiString GetStringPart(const TBytes& bytes, int index, int count) const override;
  String GetWideString(const TBytes& bytes) const override;
  String GetWideStringPart(const TBytes& bytes, int index, int count) const override;
  int GetMaxByteCount(int charCount) const override;
};

// A Windows code page (1250, 1251, 1252, ..., 65001 UTF-8, 1200/1201 UTF-16 LE/BE; 0, the ANSI
// code page, is UTF-8 here), converted through the operating system's character converters.
// Characters the code page lacks become "?", as the system's conversion writes them; an unknown
// code page, or a destination array too small for a ...To call, raises EOSError.
class CodePageEncoding : public Encoding {
 public:
  explicit CodePageEncoding(uint32_t codePage);
  uint32_t CodePage() const { return FCodePage; }

  TBytes GetBytes(std::string_view text) const override;
  int GetBytesTo(std::string_view text, int charIndex, int byteIndex, TBytes& bytes,
                 int count) const override;
  TBytes GetBytesWide(std::u16string_view text) const override;
  int GetBytesWideTo(std::u16string_view text, int charIndex, int byteIndex, TBytes& bytes,
                     int count) const override;
  AnsiString GetString(const TBytes& bytes) const override;
  AnsiString GetStringPart(const TBytes& bytes, int index, int count) const override;
  String GetWideString(const TBytes& bytes) const override;
  String GetWideStringPart(const TBytes& bytes, int index, int count) const override;
  int GetMaxByteCount(int charCount) const override;

 private:
  uint32_t FCodePage;
  int FMaxCharSize;  // bytes per UTF-16 code unit at most; 0 for a code page the system lacks
};

// UTF-8 of count UTF-16 characters (a negative count: up to the first zero character) written into
// a caller's buffer of size bytes, always zero-terminated. Without a destination the result is the
// number of bytes the characters take (0 without text). When the bytes would fill the buffer
// exactly (or overflow it) and do not end with a zero, the last whole characters give way to the
// terminating zero; when room is left a zero follows them. The result counts that zero.
int Utf8FromWide(char* destination, int size, const char16_t* text, int charCount);

// ---------------------------------------------------------------------------------------------
// String builders
// ---------------------------------------------------------------------------------------------

// Builds an 8-bit text in a growable character array; the capacity is the array's length.
class AnsiStringBuilder {
 public:
  explicit AnsiStringBuilder(int capacity);

  void Append(std::string_view value);
  // Appends count characters of value from offset on.
  void AppendPart(std::string_view value, int offset, int count);
  void AppendChar(char value);
  // Cuts the text to n characters or extends it (the new characters are zeros).
  void SetLength(int n);

  int Length() const { return FActualLength; }
  int Capacity() const { return static_cast<int>(FString.size()); }
  AnsiString ToString() const { return FString.substr(0, static_cast<size_t>(FActualLength)); }

 private:
  void GrowFor(int appendLength);

  AnsiString FString;
  int FActualLength = 0;
};

// Builds a wide text in a growable character array; the capacity is the array's length.
class WideStringBuilder {
 public:
  explicit WideStringBuilder(int capacity);
  WideStringBuilder(std::u16string_view value, int capacity);  // CreateFrom

  void Append(std::u16string_view value);
  // Replaces every occurrence of oldValue, scanning from the start and going on after each
  // inserted text (so a newValue that contains oldValue does not loop). An empty oldValue
  // changes nothing.
  void Replace(std::u16string_view oldValue, std::u16string_view newValue);

  int Length() const { return FActualLength; }
  int Capacity() const { return static_cast<int>(FString.size()); }
  String ToString() const { return FString.substr(0, static_cast<size_t>(FActualLength)); }

 private:
  void GrowFor(int appendLength);

  String FString;
  int FActualLength = 0;
};

// ---------------------------------------------------------------------------------------------
// Byte copies and the in-memory stream
// ---------------------------------------------------------------------------------------------

class Buffer {
 public:
  // Copies count bytes; the areas may overlap.
  static void BlockCopy(const TBytes& source, int sourceOffset, TBytes& destination,
                        int destinationOffset, int count);
  static void BlockCopy(const void* source, int sourceOffset, void* destination,
                        int destinationOffset, int count);
};

// A growable byte stream in memory: a byte array (its capacity), a position and a length (the
// logical end). Reads stop at the length; writes extend it.
class MemoryStream {
 public:
  explicit MemoryStream(int64_t capacity);

  // Releases the storage: capacity, length and position become 0.
  void Close();

  int64_t Length() const { return FLength; }
  // When n exceeds the capacity, the capacity becomes the larger of n and 1.5 times the old one.
  void SetLength(int64_t n);
  int64_t Position() const { return FPosition; }
  // A position beyond the length extends the length to it.
  void SetPosition(int64_t p);
  int64_t Capacity() const { return static_cast<int64_t>(FData.size()); }

  // Copy up to count bytes from the position into buffer + offset (bytes[offset...]), never
  // beyond the length; advance the position; return the count copied.
  int Read(void* buffer, int offset, int count);
  int ReadBytes(TBytes& bytes, int offset, int count);
  // The byte at the position; reading at the length raises ArgumentException "Stream read error".
  uint8_t ReadByte();

  // Copy count bytes from buffer + offset (bytes[offset...]) at the position, extending the length
  // when needed, and advance the position.
  void Write(const void* buffer, int offset, int count);
  void WriteBuffer(const TBytes& bytes, int offset, int count);
  void WriteByte(uint8_t value);

  // The storage itself (its size is the capacity): valid until the next growth. Do not resize it.
  TBytes& GetBuffer() { return FData; }

 private:
  void Reserve(int64_t n);

  TBytes FData;
  int64_t FPosition = 0;
  int64_t FLength = 0;
};

// ---------------------------------------------------------------------------------------------
// Little-endian conversions and raw memory access
// ---------------------------------------------------------------------------------------------

class BitConverter {
 public:
  static TBytes GetBytesInt64(int64_t value);
  // Little-endian values read from bytes[index...].
  static int16_t ToInt16(const TBytes& bytes, int index);
  static int32_t ToInt32(const TBytes& bytes, int index);
  static uint32_t ToUInt32(const TBytes& bytes, int index);
  static int64_t ToInt64(const TBytes& bytes, int index);
  // The 8 bytes of an IEEE double as an integer, and back.
  static int64_t DoubleToInt64Bits(double value);
  static double Int64BitsToDouble(int64_t value);
};

// Raw memory at an address plus a byte offset, little-endian and without alignment requirements.
// Addresses are the caller's to keep valid.
class Marshal {
 public:
  // A block from the memory manager (nullptr for size 0); std::bad_alloc when memory runs out.
  static void* AllocHGlobal(std::ptrdiff_t size);
  static void FreeHGlobal(void* block);
  static void* ReAllocHGlobal(void* block, std::ptrdiff_t size);

  static uint8_t ReadByte(const void* address, std::ptrdiff_t offset = 0);
  static int16_t ReadInt16(const void* address, std::ptrdiff_t offset = 0);
  static int32_t ReadInt32(const void* address, std::ptrdiff_t offset = 0);
  static int64_t ReadInt64(const void* address, std::ptrdiff_t offset = 0);
  static void* ReadIntPtr(const void* address, std::ptrdiff_t offset = 0);

  static void WriteByte(void* address, std::ptrdiff_t offset, uint8_t value);
  static void WriteInt16Ofs(void* address, std::ptrdiff_t offset, int16_t value);
  static void WriteInt32Ofs(void* address, std::ptrdiff_t offset, int32_t value);
  static void WriteInt64Ofs(void* address, std::ptrdiff_t offset, int64_t value);
  static void WriteIntPtrOfs(void* address, std::ptrdiff_t offset, const void* value);

  static void WriteByteAt(void* address, uint8_t value);
  static void WriteInt16(void* address, int16_t value);
  static void WriteInt32(void* address, int32_t value);
  static void WriteInt64(void* address, int64_t value);
  static void WriteIntPtr(void* address, const void* value);

  // length characters, or up to the first zero when length <= 0; empty for a null address.
  static AnsiString PtrToStringAnsi(const void* address, int length = 0);
  static String PtrToStringUni(const void* address, int length = 0);
  // The address of a text's characters (zero-terminated; valid while the text is unchanged).
  static const void* StringToPtr(const AnsiString& text) { return text.c_str(); }
  static const void* WideStringToPtr(const String& text) { return text.c_str(); }

  // count bytes from source + sourceOffset into destination[0...].
  static void CopyToArray(const void* source, std::ptrdiff_t sourceOffset, int count,
                          TBytes& destination);
  // count bytes of source[0...] to destination + destinationOffset.
  static void CopyFromArray(const TBytes& source, void* destination, int count,
                            std::ptrdiff_t destinationOffset);

  static void* GetAddress(void* address) { return address; }
  static const void* GetAddress(const void* address) { return address; }
};
