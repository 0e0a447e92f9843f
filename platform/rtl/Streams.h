// Streams of bytes: the abstract TStream, memory streams over a growing buffer, byte and string
// streams, and file streams.
#pragma once

#include <cstdint>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

DECLARE_EXCEPTION(EStreamError, Exception)
DECLARE_EXCEPTION(EFilerError, EStreamError)
DECLARE_EXCEPTION(EReadError, EFilerError)
DECLARE_EXCEPTION(EWriteError, EFilerError)
DECLARE_EXCEPTION(EFileStreamError, EStreamError)
DECLARE_EXCEPTION(EFCreateError, EFileStreamError)
DECLARE_EXCEPTION(EFOpenError, EFileStreamError)

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// File stream modes: one access mode, or fmCreate, combined with a share mode. Share modes are
// accepted and ignored: this platform has no mandatory file locks.
inline constexpr uint16_t fmCreate = 0xFF00;
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream : public TObject {
 public:
  // Read and Write move up to count bytes and return how many moved (0 at the end or on error).
  virtual int32_t Read(void* buffer, int32_t count) = 0;
  virtual int32_t Write(const void* buffer, int32_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  // Exactly count bytes, else EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* buffer, int32_t count);
  void WriteBuffer(const void* buffer, int32_t count);
  // Copies count bytes from the source's position; a count of 0 (or less) copies the whole source
  // from its beginning. Returns the number of bytes copied.
  int64_t CopyFrom(TStream* source, int64_t count);

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t position) { Seek(position, soBeginning); }
  virtual int64_t Size();
  // The base does nothing: a stream that cannot change its size keeps it.
  virtual void SetSize(int64_t newSize);
};

// An object that can write itself into a stream and read itself back (a picture, a list).
class IStreamPersist {
 public:
  virtual ~IStreamPersist() = default;
  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
};

// A stream over one block of memory. Positions past the end are allowed: reading there gives
// nothing, and writing (in a stream that can grow) fills the gap with zeros.
class TCustomMemoryStream : public TStream {
 public:
  int32_t Read(void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return FSize; }
  void* Memory() const { return FMemory; }
  // Writes the whole content, whatever the position.
  void SaveToStream(TStream* stream);
  void SaveToFile(const String& fileName);

 protected:
  void SetPointer(void* memory, int64_t size);

  uint8_t* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

// A memory stream that owns its buffer and grows it as it is written. A buffer that cannot grow
// raises EStreamError "Out of memory while expanding memory stream".
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  int32_t Write(const void* buffer, int32_t count) override;
  // Growing fills with zeros; a position past the new end moves to the end.
  void SetSize(int64_t newSize) override;
  void Clear();
  // Replaces the content with the whole of the other stream (read from its beginning).
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const String& fileName);
  int64_t Capacity() const { return static_cast<int64_t>(FData.capacity()); }
  void SetCapacity(int64_t value);

 protected:
  void Resize(int64_t newSize);

  TBytes FData;
};

// A memory stream whose content is a byte array.
class TBytesStream : public TMemoryStream {
 public:
  TBytesStream() = default;
  explicit TBytesStream(TBytes bytes);
  // Exactly the Size() bytes of the stream.
  const TBytes& Bytes() const { return FData; }
};

// A byte stream holding text in UTF-8.
class TStringStream : public TBytesStream {
 public:
  TStringStream() = default;
  explicit TStringStream(const String& text);
  // 8-bit text is taken as it is: its bytes are already UTF-8.
  explicit TStringStream(const AnsiString& text);
  // The whole content as text.
  String DataString() const;
  // The next count bytes (fewer at the end) as text.
  String ReadString(int32_t count);
  void WriteString(const String& text);
};

// A stream over an open file descriptor.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : FHandle(handle) {}
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // Truncates or extends the file; a position past the new end moves to the end.
  void SetSize(int64_t newSize) override;
  int Handle() const { return FHandle; }

 protected:
  int FHandle;
};

// A file opened or created by name. Failures raise EFOpenError "Cannot open file \"%s\". %s" or
// EFCreateError "Cannot create file \"%s\". %s" with the system's error text.
class TFileStream : public THandleStream {
 public:
  TFileStream(const String& fileName, uint16_t mode);
  // Rights are the permission bits of a created file (before the process's umask).
  TFileStream(const String& fileName, uint16_t mode, uint32_t rights);
  ~TFileStream() override;
  const String& FileName() const { return FFileName; }

 private:
  String FFileName;
};
