// TStream and the memory streams.
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "platform/rtl/UnicodeText.h"

void TStream::ReadBuffer(void* buffer, int32_t count) {
  if (count < 0) throw EReadError(u"Stream read error");
  auto* bytes = static_cast<uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    int32_t n = Read(bytes + done, count - done);
    if (n <= 0) throw EReadError(u"Stream read error");
    done += n;
  }
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
  if (count < 0) throw EWriteError(u"Stream write error");
  auto* bytes = static_cast<const uint8_t*>(buffer);
  int32_t done = 0;
  while (done < count) {
    int32_t n = Write(bytes + done, count - done);
    if (n <= 0) throw EWriteError(u"Stream write error");
    done += n;
  }
}

int64_t TStream::CopyFrom(TStream* source, int64_t count) {
  if (count <= 0) {
    source->SetPosition(0);
    count = source->Size();
  }
  constexpr int64_t kChunk = 64 * 1024;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, kChunk)));
  int64_t left = count;
  while (left > 0) {
    auto n = static_cast<int32_t>(std::min(left, kChunk));
    source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return count;
}

int64_t TStream::Size() {
  int64_t position = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) {}

int32_t TCustomMemoryStream::Read(void* buffer, int32_t count) {
  if (FPosition < 0 || count <= 0 || FPosition >= FSize) return 0;
  auto n = static_cast<int32_t>(std::min<int64_t>(count, FSize - FPosition));
  std::memcpy(buffer, FMemory + FPosition, n);
  FPosition += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case soBeginning:
      FPosition = offset;
      break;
    case soCurrent:
      FPosition += offset;
      break;
    case soEnd:
      FPosition = FSize + offset;
      break;
  }
  return FPosition;
}

void TCustomMemoryStream::SetPointer(void* memory, int64_t size) {
  FMemory = static_cast<uint8_t*>(memory);
  FSize = size;
}

void TCustomMemoryStream::SaveToStream(TStream* stream) {
  // WriteBuffer takes 32-bit counts: write a large block in pieces.
  int64_t done = 0;
  while (done < FSize) {
    auto n = static_cast<int32_t>(std::min<int64_t>(FSize - done, INT32_MAX));
    stream->WriteBuffer(FMemory + done, n);
    done += n;
  }
}

void TCustomMemoryStream::SaveToFile(const String& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

void TMemoryStream::Resize(int64_t newSize) {
  try {
    FData.resize(static_cast<size_t>(newSize));
  } catch (const std::bad_alloc&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  } catch (const std::length_error&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  }
  SetPointer(FData.data(), newSize);
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
  if (FPosition < 0 || count <= 0) return 0;
  int64_t end = FPosition + count;
  if (end > FSize) Resize(end);
  std::memcpy(FMemory + FPosition, buffer, count);
  FPosition = end;
  return count;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) newSize = 0;
  Resize(newSize);
  if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::Clear() {
  TBytes().swap(FData);
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::SetCapacity(int64_t value) {
  if (value <= Capacity()) return;
  try {
    FData.reserve(static_cast<size_t>(value));
  } catch (const std::exception&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  }
  SetPointer(FData.data(), FSize);
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  stream->SetPosition(0);
  int64_t size = stream->Size();
  SetSize(size);
  int64_t done = 0;
  while (done < size) {
    auto n = static_cast<int32_t>(std::min<int64_t>(size - done, INT32_MAX));
    stream->ReadBuffer(FMemory + done, n);
    done += n;
  }
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

TBytesStream::TBytesStream(TBytes bytes) {
  FData = std::move(bytes);
  SetPointer(FData.data(), static_cast<int64_t>(FData.size()));
}

TStringStream::TStringStream(const String& text) : TStringStream(UTF8Encode(text)) {}

TStringStream::TStringStream(const AnsiString& text)
    : TBytesStream(TBytes(text.begin(), text.end())) {}

String TStringStream::DataString() const {
  return UTF8ToString(std::string_view(reinterpret_cast<const char*>(FData.data()), FData.size()));
}

String TStringStream::ReadString(int32_t count) {
  if (FPosition < 0 || count <= 0 || FPosition >= FSize) return String();
  auto n = static_cast<size_t>(std::min<int64_t>(count, FSize - FPosition));
  std::string_view bytes(reinterpret_cast<const char*>(FMemory + FPosition), n);
  FPosition += static_cast<int64_t>(n);
  return UTF8ToString(bytes);
}

void TStringStream::WriteString(const String& text) {
  AnsiString bytes = UTF8Encode(text);
  WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}
