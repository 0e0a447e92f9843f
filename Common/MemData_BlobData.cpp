// The blob piece store: a chain of pieces read, written, resized and moved as one byte string.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "Common/MemData_Blob.h"
#include "Common/MemData_BlobCarve.h"
#include "platform/rtl/Exceptions.h"

TLxBlobData::~TLxBlobData() {
  while (FFirstPiece) {
    TBlobPiece* next = FFirstPiece->Next;
    FreePiece(FFirstPiece);
    FFirstPiece = next;
  }
}

namespace {

TBlobPiece* MakePiece(TValuePool* pool, uint32_t capacity) {
  RTL_ASSERT(capacity > 0, u"AllocPiece: capacity must be positive");
  auto* piece =
      static_cast<TBlobPiece*>(TValuePool::Allocate(pool, TBlobPiece::HeaderSize + capacity));
  piece->Owner = nullptr;
  piece->Capacity = capacity;
  piece->UsedBytes = 0;
  piece->Prev = piece->Next = nullptr;
  piece->Reserved[0] = piece->Reserved[1] = 0;
  return piece;
}

}  // namespace

TBlobPiece* TLxBlobData::AllocPiece(uint32_t capacity) { return MakePiece(nullptr, capacity); }

TBlobPiece* TLxBlobData::NewPiece(uint32_t capacity) {
  return MakePiece(TValuePool::PoolOf(this), capacity);
}

void TLxBlobData::FreePiece(TBlobPiece* piece) {
  if (!piece) return;
  if (piece->Carved())
    TBlobCarve::ReleasePart(piece, TBlobCarve::PiecePart);
  else
    TValuePool::Deallocate(piece, TBlobPiece::HeaderSize + piece->Capacity);
}

void TLxBlobData::SetPieceCapacity(uint32_t capacity) {
  RTL_ASSERT(capacity > 0 && capacity <= MaxPieceCapacity,
             u"SetPieceCapacity: capacity out of range");
  FPieceCapacity = static_cast<uint16_t>(capacity);
}

void TLxBlobData::operator delete(TLxBlobData* data, std::destroying_delete_t) {
  const uint8_t carve = data->FCarve;
  data->~TLxBlobData();
  if (carve != 0)
    TBlobCarve::ReleaseStore(reinterpret_cast<uint8_t*>(data), carve);
  else
    TValuePool::Deallocate(data, sizeof(TLxBlobData));
}

TBlobPiece* TLxBlobData::ReallocPiece(TBlobPiece* piece, uint32_t capacity) {
  if (capacity == 0) {
    if (piece->Owner) piece->Owner->RemovePiece(piece);
    FreePiece(piece);
    return nullptr;
  }
  TBlobPiece* moved = MakePiece(TValuePool::PoolOf(piece), capacity);
  moved->Owner = piece->Owner;
  moved->Prev = piece->Prev;
  moved->Next = piece->Next;
  moved->UsedBytes = std::min(piece->UsedBytes, capacity);
  moved->Reserved[1] = piece->Reserved[1];  // the first byte stays 0: the copy is not carved
  std::memcpy(moved->Data(), piece->Data(), moved->UsedBytes);
  FreePiece(piece);
  if (moved->Owner) {
    if (moved->Prev)
      moved->Prev->Next = moved;
    else
      moved->Owner->FFirstPiece = moved;
    if (moved->Next) moved->Next->Prev = moved;
  }
  return moved;
}

void TLxBlobData::AppendPiece(TBlobPiece* piece) {
  piece->Owner = this;
  piece->Next = nullptr;
  if (!FFirstPiece) {
    piece->Prev = nullptr;
    FFirstPiece = piece;
    return;
  }
  TBlobPiece* last = FFirstPiece;
  while (last->Next) last = last->Next;
  last->Next = piece;
  piece->Prev = last;
}

void TLxBlobData::RemovePiece(TBlobPiece* piece) {
  RTL_ASSERT(piece->Owner == this, u"RemovePiece: piece belongs to another store");
  if (piece->Prev)
    piece->Prev->Next = piece->Next;
  else
    FFirstPiece = piece->Next;
  if (piece->Next) piece->Next->Prev = piece->Prev;
  piece->Owner = nullptr;
  piece->Prev = piece->Next = nullptr;
}

void TLxBlobData::ReplaceContent(TBlobPiece* piece) {
  TLxBlobData::Clear();
  AppendPiece(piece);
}

uint32_t TLxBlobData::StoredSize() const {
  uint64_t size = 0;
  for (TBlobPiece* piece = FFirstPiece; piece; piece = piece->Next) size += piece->UsedBytes;
  return static_cast<uint32_t>(size);
}

uint32_t TLxBlobData::ReadStored(uint32_t position, uint32_t count, void* dest) const {
  const uint32_t size = StoredSize();
  if (size == 0 || position > size) return 0;
  uint32_t todo = size - position;
  if (count != 0 && count < todo) todo = count;
  const uint32_t total = todo;
  auto* out = static_cast<uint8_t*>(dest);
  uint32_t start = 0;  // offset of the current piece's first byte
  for (TBlobPiece* piece = FFirstPiece; piece && todo > 0; piece = piece->Next) {
    const uint32_t end = start + piece->UsedBytes;
    if (position < end) {
      const uint32_t from = position - start;
      const uint32_t n = std::min(todo, piece->UsedBytes - from);
      std::memcpy(out, piece->Data() + from, n);
      out += n;
      todo -= n;
      position += n;
    }
    start = end;
  }
  return total;
}

void TLxBlobData::WriteStored(uint32_t position, uint32_t count, const void* source) {
  if (count == 0) return;
  const uint32_t size = StoredSize();
  if (position > size) position = size;
  auto* in = static_cast<const uint8_t*>(source);
  // First overwrite what already holds content.
  uint32_t start = 0;
  TBlobPiece* lastWithContent = nullptr;
  for (TBlobPiece* piece = FFirstPiece; piece; piece = piece->Next) {
    const uint32_t end = start + piece->UsedBytes;
    if (count > 0 && position < end) {
      const uint32_t from = position - start;
      const uint32_t n = std::min(count, piece->UsedBytes - from);
      std::memcpy(piece->Data() + from, in, n);
      in += n;
      count -= n;
      position += n;
    }
    if (piece->UsedBytes > 0) lastWithContent = piece;
    start = end;
  }
  if (count == 0) return;
  // Then extend: the spare room of the last piece with content and the empty pieces after it,
  // then new pieces.
  TBlobPiece* piece = lastWithContent ? lastWithContent : FFirstPiece;
  for (; piece && count > 0; piece = piece->Next) {
    const uint32_t n = std::min(count, piece->Capacity - piece->UsedBytes);
    std::memcpy(piece->Data() + piece->UsedBytes, in, n);
    piece->UsedBytes += n;
    in += n;
    count -= n;
  }
  while (count > 0) {
    TBlobPiece* fresh = NewPiece(std::min<uint32_t>(FPieceCapacity, count));
    std::memcpy(fresh->Data(), in, fresh->Capacity);
    fresh->UsedBytes = fresh->Capacity;
    AppendPiece(fresh);
    in += fresh->Capacity;
    count -= fresh->Capacity;
  }
}

void TLxBlobData::TruncateStored(uint32_t size) {
  if (size == 0) {
    TLxBlobData::Clear();
    return;
  }
  uint32_t start = 0;
  for (TBlobPiece* piece = FFirstPiece; piece; piece = piece->Next) {
    if (start >= size)
      piece->UsedBytes = 0;
    else if (start + piece->UsedBytes > size)
      piece->UsedBytes = size - start;
    start += piece->UsedBytes;
  }
}

uint32_t TLxBlobData::GetSize() { return StoredSize(); }

uint32_t TLxBlobData::Read(uint32_t position, uint32_t count, void* dest) {
  return ReadStored(position, count, dest);
}

void TLxBlobData::Write(uint32_t position, uint32_t count, const void* source) {
  WriteStored(position, count, source);
}

void TLxBlobData::Truncate(uint32_t size) {
  if (size < GetSize()) TruncateStored(size);
}

void TLxBlobData::SetSize(uint32_t size) {
  const uint32_t current = GetSize();
  if (size < current) {
    Truncate(size);
  } else if (size > current) {
    TBlobPiece* piece = NewPiece(size - current);
    std::memset(piece->Data(), 0, piece->Capacity);
    piece->UsedBytes = piece->Capacity;
    AppendPiece(piece);
  }
}

void TLxBlobData::Clear() {
  while (FFirstPiece) {
    TBlobPiece* next = FFirstPiece->Next;
    FreePiece(FFirstPiece);
    FFirstPiece = next;
  }
  SetStoresCompressed(false);
}

void TLxBlobData::Defrag() {
  if (!FFirstPiece || !FFirstPiece->Next) return;
  const uint32_t size = StoredSize();
  if (size == 0) {
    TLxBlobData::Clear();
    return;
  }
  TBlobPiece* whole = NewPiece(size);
  whole->UsedBytes = ReadStored(0, 0, whole->Data());
  const bool compressed = StoresCompressed();
  ReplaceContent(whole);
  SetStoresCompressed(compressed);
}

void TLxBlobData::MoveDataTo(TLxBlobData& dest) {
  dest.Clear();
  const uint32_t size = StoredSize();
  if (size == 0) return;
  TBlobPiece* copy = NewPiece(size);
  copy->UsedBytes = ReadStored(0, 0, copy->Data());
  dest.FFirstPiece = FFirstPiece;
  for (TBlobPiece* piece = FFirstPiece; piece; piece = piece->Next) piece->Owner = &dest;
  dest.SetStoresCompressed(StoresCompressed());
  FFirstPiece = nullptr;
  copy->Owner = this;
  FFirstPiece = copy;
}
