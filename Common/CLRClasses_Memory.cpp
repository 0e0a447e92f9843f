// BitConverter and Marshal: little-endian integers in byte arrays and at raw addresses.
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

#include "Common/CLRClasses.h"
#include "Common/CLRClasses_Check.h"

using clr_detail::CheckNotNegative;
using clr_detail::CheckRange;

// Marshal copies values as the machine holds them; the formats it reads are little-endian.
static_assert(std::endian::native == std::endian::little,
              "Marshal assumes a little-endian machine");

namespace {

uint64_t ReadLittleEndian(const TBytes& bytes, int index, int size) {
  CheckRange(index, size, bytes.size());
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[static_cast<size_t>(index + i)];
  return value;
}

template <class T>
T ReadAt(const void* address, std::ptrdiff_t offset) {
  T value;
  std::memcpy(&value, static_cast<const uint8_t*>(address) + offset, sizeof(T));
  return value;
}

template <class T>
void WriteAt(void* address, std::ptrdiff_t offset, T value) {
  std::memcpy(static_cast<uint8_t*>(address) + offset, &value, sizeof(T));
}

}  // namespace

// --- BitConverter ------------------------------------------------------------------------------

TBytes BitConverter::GetBytesInt64(int64_t value) {
  TBytes bytes(8);
  uint64_t v = static_cast<uint64_t>(value);
  for (size_t i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(v >> (8 * i));
  return bytes;
}

int16_t BitConverter::ToInt16(const TBytes& bytes, int index) {
  return static_cast<int16_t>(ReadLittleEndian(bytes, index, 2));
}

int32_t BitConverter::ToInt32(const TBytes& bytes, int index) {
  return static_cast<int32_t>(ReadLittleEndian(bytes, index, 4));
}

uint32_t BitConverter::ToUInt32(const TBytes& bytes, int index) {
  return static_cast<uint32_t>(ReadLittleEndian(bytes, index, 4));
}

int64_t BitConverter::ToInt64(const TBytes& bytes, int index) {
  return static_cast<int64_t>(ReadLittleEndian(bytes, index, 8));
}

int64_t BitConverter::DoubleToInt64Bits(double value) { return std::bit_cast<int64_t>(value); }

double BitConverter::Int64BitsToDouble(int64_t value) { return std::bit_cast<double>(value); }

// --- Marshal: memory blocks --------------------------------------------------------------------

void* Marshal::AllocHGlobal(std::ptrdiff_t size) {
  CheckNotNegative(size);
  if (size == 0) return nullptr;
  void* block = std::malloc(static_cast<size_t>(size));
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void Marshal::FreeHGlobal(void* block) { std::free(block); }

void* Marshal::ReAllocHGlobal(void* block, std::ptrdiff_t size) {
  CheckNotNegative(size);
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  void* resized = std::realloc(block, static_cast<size_t>(size));
  if (resized == nullptr) throw std::bad_alloc();  // the old block is still the caller's
  return resized;
}

// --- Marshal: values at an address ---------------------------------------------------------------

uint8_t Marshal::ReadByte(const void* address, std::ptrdiff_t offset) {
  return ReadAt<uint8_t>(address, offset);
}
int16_t Marshal::ReadInt16(const void* address, std::ptrdiff_t offset) {
  return ReadAt<int16_t>(address, offset);
}
int32_t Marshal::ReadInt32(const void* address, std::ptrdiff_t offset) {
  return ReadAt<int32_t>(address, offset);
}
int64_t Marshal::ReadInt64(const void* address, std::ptrdiff_t offset) {
  return ReadAt<int64_t>(address, offset);
}
void* Marshal::ReadIntPtr(const void* address, std::ptrdiff_t offset) {
  return ReadAt<void*>(address, offset);
}

void Marshal::WriteByte(void* address, std::ptrdiff_t offset, uint8_t value) {
  WriteAt(address, offset, value);
}
void Marshal::WriteInt16Ofs(void* address, std::ptrdiff_t offset, int16_t value) {
  WriteAt(address, offset, value);
}
void Marshal::WriteInt32Ofs(void* address, std::ptrdiff_t offset, int32_t value) {
  WriteAt(address, offset, value);
}
void Marshal::WriteInt64Ofs(void* address, std::ptrdiff_t offset, int64_t value) {
  WriteAt(address, offset, value);
}
void Marshal::WriteIntPtrOfs(void* address, std::ptrdiff_t offset, const void* value) {
  WriteAt(address, offset, value);
}

void Marshal::WriteByteAt(void* address, uint8_t value) { WriteAt(address, 0, value); }
void Marshal::WriteInt16(void* address, int16_t value) { WriteAt(address, 0, value); }
void Marshal::WriteInt32(void* address, int32_t value) { WriteAt(address, 0, value); }
void Marshal::WriteInt64(void* address, int64_t value) { WriteAt(address, 0, value); }
void Marshal::WriteIntPtr(void* address, const void* value) { WriteAt(address, 0, value); }

// --- Marshal: texts and arrays -------------------------------------------------------------------

AnsiString Marshal::PtrToStringAnsi(const void* address, int length) {
  if (address == nullptr) return AnsiString();
  const char* text = static_cast<const char*>(address);
  if (length > 0) return AnsiString(text, static_cast<size_t>(length));
  return AnsiString(text);
}

String Marshal::PtrToStringUni(const void* address, int length) {
  if (address == nullptr) return String();
  const char16_t* text = static_cast<const char16_t*>(address);
  if (length > 0) return String(text, static_cast<size_t>(length));
  return String(text);
}

void Marshal::CopyToArray(const void* source, std::ptrdiff_t sourceOffset, int count,
                          TBytes& destination) {
  if (count == 0) return;
  CheckRange(0, count, destination.size());
  if (source == nullptr) throw ArgumentException(u"Argument is nil");
  std::memcpy(destination.data(), static_cast<const uint8_t*>(source) + sourceOffset,
              static_cast<size_t>(count));
}

void Marshal::CopyFromArray(const TBytes& source, void* destination, int count,
                            std::ptrdiff_t destinationOffset) {
  if (count == 0) return;
  CheckRange(0, count, source.size());
  if (destination == nullptr) throw ArgumentException(u"Argument is nil");
  std::memcpy(static_cast<uint8_t*>(destination) + destinationOffset, source.data(),
              static_cast<size_t>(count));
}
