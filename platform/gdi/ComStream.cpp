#include "platform/gdi/ComStream.h"

TStreamAdapter::TStreamAdapter(TStream* stream, TStreamOwnership ownership)
    : FStream(stream), FOwnership(ownership) {}

TStreamAdapter::~TStreamAdapter() {
  if (FOwnership == soOwned && FStream != nullptr) FStream->Free();
}

uint32_t TStreamAdapter::Release() {
  uint32_t left = --FRefs;
  if (left == 0) delete this;
  return left;
}

HRESULT TStreamAdapter::Read(void* buffer, uint32_t count, uint32_t* read) {
  if (FStream == nullptr || (buffer == nullptr && count > 0)) return E_INVALIDARG;
  int32_t got = FStream->Read(buffer, static_cast<int32_t>(std::min<uint32_t>(count, INT32_MAX)));
  if (read != nullptr) *read = static_cast<uint32_t>(std::max(got, 0));
  return static_cast<uint32_t>(std::max(got, 0)) == count ? S_OK : S_FALSE;
}

HRESULT TStreamAdapter::Write(const void* buffer, uint32_t count, uint32_t* written) {
  if (FStream == nullptr || (buffer == nullptr && count > 0)) return E_INVALIDARG;
  int32_t put = FStream->Write(buffer, static_cast<int32_t>(std::min<uint32_t>(count, INT32_MAX)));
  if (written != nullptr) *written = static_cast<uint32_t>(std::max(put, 0));
  return static_cast<uint32_t>(std::max(put, 0)) == count ? S_OK : E_FAIL;
}

HRESULT TStreamAdapter::Seek(int64_t move, uint32_t origin, uint64_t* position) {
  if (FStream == nullptr || origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
  TSeekOrigin from = origin == STREAM_SEEK_SET ? soBeginning : origin == STREAM_SEEK_CUR ? soCurrent : soEnd;
  int64_t at = FStream->Seek(move, from);
  if (at < 0) return STG_E_INVALIDFUNCTION;
  if (position != nullptr) *position = static_cast<uint64_t>(at);
  return S_OK;
}

HRESULT TStreamAdapter::Stat(STATSTG* stat, uint32_t) {
  if (stat == nullptr || FStream == nullptr) return E_INVALIDARG;
  stat->cbSize = static_cast<uint64_t>(FStream->Size());
  return S_OK;
}

namespace {

// A stream that owns a byte stream.
class TMemoryIStream : public TStreamAdapter {
 public:
  explicit TMemoryIStream(TBytes bytes) : TStreamAdapter(new TBytesStream(std::move(bytes)), soOwned) {}
};

}  // namespace

IStream* CreateMemoryStream(const uint8_t* data, size_t size) {
  return new TMemoryIStream(data == nullptr ? TBytes() : TBytes(data, data + size));
}

bool ReadWholeStream(IStream* stream, TBytes& out) {
  out.clear();
  if (stream == nullptr) return false;
  uint8_t chunk[65536];
  for (;;) {
    uint32_t got = 0;
    HRESULT result = stream->Read(chunk, sizeof chunk, &got);
    if (result < 0) return false;
    if (out.size() + got > 256u * 1024 * 1024) return false;
    out.insert(out.end(), chunk, chunk + got);
    if (got < sizeof chunk) return true;
  }
}
