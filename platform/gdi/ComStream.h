// Streams as the picture loaders take them: a small IStream interface with reference counting,
// an adapter over a runtime TStream, and a stream over a copy of bytes in memory.
#pragma once

#include <cstdint>

#include "platform/rtl/Streams.h"

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001);

constexpr uint32_t STREAM_SEEK_SET = 0;
constexpr uint32_t STREAM_SEEK_CUR = 1;
constexpr uint32_t STREAM_SEEK_END = 2;

struct STATSTG {
  uint64_t cbSize = 0;
};

class IStream {
 public:
  virtual uint32_t AddRef() = 0;
  // Frees the stream when the last reference goes.
  virtual uint32_t Release() = 0;
  virtual HRESULT Read(void* buffer, uint32_t count, uint32_t* read) = 0;
  virtual HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) = 0;
  virtual HRESULT Seek(int64_t move, uint32_t origin, uint64_t* position) = 0;
  virtual HRESULT Stat(STATSTG* stat, uint32_t flags) = 0;

 protected:
  virtual ~IStream() = default;
};

enum TStreamOwnership { soReference, soOwned };

// An IStream over a TStream; with soOwned the stream is freed with the adapter. Made with one
// reference.
class TStreamAdapter : public IStream {
 public:
  TStreamAdapter(TStream* stream, TStreamOwnership ownership);
  uint32_t AddRef() override { return ++FRefs; }
  uint32_t Release() override;
  HRESULT Read(void* buffer, uint32_t count, uint32_t* read) override;
  HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) override;
  HRESULT Seek(int64_t move, uint32_t origin, uint64_t* position) override;
  HRESULT Stat(STATSTG* stat, uint32_t flags) override;
  TStream* Stream() const { return FStream; }

 protected:
  ~TStreamAdapter() override;

 private:
  TStream* FStream;
  TStreamOwnership FOwnership;
  uint32_t FRefs = 1;
};

// A stream over its own copy of the bytes, with one reference.
IStream* CreateMemoryStream(const uint8_t* data, size_t size);
// Everything from the stream's position to its end; false when reading fails.
bool ReadWholeStream(IStream* stream, TBytes& out);
