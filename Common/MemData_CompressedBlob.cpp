// Compressed blobs: content held zlib-compressed in one piece behind a GUID and the plain size.
#include <algorithm>
#include <cstring>
#include <new>

#include "Common/MemData_Blob.h"
#include "Common/MemUtils.h"
#include "platform/rtl/Exceptions.h"

const uint8_t TCompressedBlobData::HeaderGuid[16] = {0x39, 0x8C, 0x9D, 0xF1, 0x58, 0x55,
                                                     0x49, 0x38, 0xA6, 0x52, 0x87, 0xCE,
                                                     0xE0, 0xC6, 0xDA, 0x7E};

namespace {

void StoreLE32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t LoadLE32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

}  // namespace

uint32_t TCompressedBlobData::RawSize() const {
  TBlobPiece* piece = FirstPiece();
  if (!piece || piece->UsedBytes < HeaderSize) return 0;
  return LoadLE32(piece->Data() + 16);
}

bool TCompressedBlobData::CompressData(const void* source, uint32_t size) {
  CheckCompressorLinked();
  const uint32_t capacity = size + size / 5 + 32;
  TBlobPiece* piece = NewPiece(capacity);
  uint32_t produced = capacity - HeaderSize;
  bool ok;
  try {
    ok = DoCompress(piece->Data() + HeaderSize, produced, source, size) >= 0;
  } catch (const Exception&) {
    ok = false;
  }
  // Kept only when it saves more than the header costs.
  if (!ok || produced + HeaderSize >= size) {
    FreePiece(piece);
    return false;
  }
  std::memcpy(piece->Data(), HeaderGuid, sizeof HeaderGuid);
  StoreLE32(piece->Data() + 16, size);
  piece->UsedBytes = produced + HeaderSize;
  piece = TrimPiece(piece);
  ReplaceContent(piece);
  FCompressedContent = true;
  return true;
}

void TCompressedBlobData::UncompressData(void* dest, uint32_t& size) {
  Defrag();
  TBlobPiece* piece = FirstPiece();
  if (!piece || piece->UsedBytes <= HeaderSize) throw Exception(u"Invalid compressed blob size");
  if (std::memcmp(piece->Data(), HeaderGuid, sizeof HeaderGuid) != 0)
    throw Exception(u"Invalid compressed blob header");
  CheckCompressorLinked();
  bool ok;
  try {
    ok = DoUncompress(dest, size, piece->Data() + HeaderSize, piece->UsedBytes - HeaderSize) >= 0;
  } catch (const Exception&) {
    ok = false;
  }
  if (!ok) throw Exception(u"Invalid compressed blob data");
}

bool TCompressedBlobData::SetCompressedState(bool compress) {
  const uint32_t stored = StoredSize();
  if (stored == 0 || compress == FCompressedContent) return false;
  if (compress) {
    if (stored <= MinCompressSize) return false;
    Defrag();
    return CompressData(FirstPiece()->Data(), stored);
  }
  const uint32_t raw = RawSize();
  RTL_ASSERT(raw > 0, u"Decompressing an empty store");
  TBlobPiece* piece = NewPiece(raw);
  uint32_t produced = raw;
  try {
    UncompressData(piece->Data(), produced);
  } catch (...) {
    FreePiece(piece);
    throw;
  }
  if (produced != raw) {
    FreePiece(piece);
    throw Exception(u"Invalid uncompressed blob size");
  }
  piece->UsedBytes = raw;
  ReplaceContent(piece);
  FCompressedContent = false;
  return true;
}

bool TCompressedBlobData::AdoptCompressedContent() {
  if (FCompressedContent) return true;
  if (StoredSize() <= HeaderSize) return false;
  Defrag();
  TBlobPiece* piece = FirstPiece();
  if (std::memcmp(piece->Data(), HeaderGuid, sizeof HeaderGuid) != 0) return false;
  const uint32_t raw = RawSize();
  // The stated size comes with the bytes: believed only up to what the stream can inflate to,
  // before anything is allocated for it.
  const int64_t streamBytes = StoredSize() - HeaderSize;
  if (raw == 0 || static_cast<int64_t>(raw) > streamBytes * MaxInflateRatio) return false;
  // Only a stream that inflates to exactly the stated size is taken for compressed content.
  uint32_t produced = raw;
  try {
    TBytes check(raw);
    UncompressData(check.data(), produced);
  } catch (const Exception&) {
    return false;
  } catch (const std::bad_alloc&) {
    // More than memory allows: the bytes stay as they came.
    return false;
  }
  if (produced != raw) return false;
  FCompressedContent = true;
  return true;
}

uint32_t TCompressedBlobData::GetSize() { return FCompressedContent ? RawSize() : StoredSize(); }

void TCompressedBlobData::SetSize(uint32_t size) {
  if (FCompressedContent) {
    if (size == RawSize()) return;
    if (size == 0) {
      Clear();
      return;
    }
    SetCompressedState(false);
  }
  TLxBlobData::SetSize(size);
}

void TCompressedBlobData::Clear() {
  TLxBlobData::Clear();
  FCompressedContent = false;
}

void TCompressedBlobData::Truncate(uint32_t size) {
  if (FCompressedContent) {
    if (size == 0) {
      Clear();
      return;
    }
    if (size >= RawSize()) return;
    SetCompressedState(false);
  }
  TLxBlobData::Truncate(size);
}

uint32_t TCompressedBlobData::Read(uint32_t position, uint32_t count, void* dest) {
  if (FCompressedContent) {
    const uint32_t raw = RawSize();
    if (position == 0 && (count == 0 || count >= raw)) {
      // The whole content: straight into the caller's buffer, and the store stays compressed.
      uint32_t produced = raw;
      UncompressData(dest, produced);
      if (produced != raw) throw Exception(u"Invalid uncompressed blob size");
      return raw;
    }
    SetCompressedState(false);
  }
  return ReadStored(position, count, dest);
}

void TCompressedBlobData::Write(uint32_t position, uint32_t count, const void* source) {
  if (FCompressedContent) {
    if (position == 0 && count == RawSize()) {
      // A rewrite of the whole content stays compressed when compression still pays.
      if (count > MinCompressSize && CompressData(source, count)) return;
      Clear();
      WriteStored(0, count, source);
      return;
    }
    SetCompressedState(false);
  }
  WriteStored(position, count, source);
}

TCompressedBlob::TCompressedBlob(bool isUnicode)
    : TBlob(isUnicode, nullptr) {}

static_assert(sizeof(TCompressedBlob) == sizeof(TBlob), "a blob's placement delete frees a TBlob");

TLxBlobData* TCompressedBlob::CreateBlobData() {
  return new (Pool()) TCompressedBlobData();
}

TCompressedBlobData* TCompressedBlob::CompressedStore() const {
  return dynamic_cast<TCompressedBlobData*>(StoreIfMade());
}

bool TCompressedBlob::GetCompressed() {
  CheckValid();
  TCompressedBlobData* store = CompressedStore();
  return store && store->IsCompressed();
}

bool TCompressedBlob::SetCompressed(bool value) {
  CheckValid();
  CheckValue();
  TCompressedBlobData* store = CompressedStore();
  return store && store->SetCompressedState(value);
}
