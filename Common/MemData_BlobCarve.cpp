// Carved blobs and stores: made in one block with their first piece, given back part by part.
#include "Common/MemData_BlobCarve.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Exceptions.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define CARVE_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define CARVE_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define CARVE_POISON(p, n) ((void)(p), (void)(n))
#define CARVE_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

// What of a dead piece is still read: its capacity (the block's size) and its carve flags.
constexpr size_t KeptFrom = offsetof(TBlobPiece, Capacity);
constexpr size_t KeptTo = KeptFrom + sizeof(TBlobPiece::Capacity);
static_assert(offsetof(TBlobPiece, Reserved) >= KeptTo, "the flags follow the capacity");

void PoisonDeadPiece(TBlobPiece* piece) {
  auto* bytes = reinterpret_cast<uint8_t*>(piece);
  constexpr size_t flagsAt = offsetof(TBlobPiece, Reserved);
  CARVE_POISON(bytes, KeptFrom);
  CARVE_POISON(bytes + KeptTo, flagsAt - KeptTo);
  CARVE_POISON(bytes + flagsAt + 1, TBlobPiece::HeaderSize - flagsAt - 1 + piece->Capacity);
}

}  // namespace

TLxBlobData* TBlobCarve::Build(uint8_t* carve, bool compressed, bool withBlob,
                               uint32_t capacity) {
  // The class allocators would take memory of their own: the parts are built in place.
  TLxBlobData* store =
      compressed ? ::new (carve) TCompressedBlobData() : ::new (carve) TLxBlobData();
  store->FCarve = withBlob ? StoreWithBlob : StoreWithoutBlob;
  TBlobPiece* piece = PieceOf(carve, withBlob);
  piece->Owner = store;
  piece->Capacity = capacity;
  piece->UsedBytes = 0;
  piece->Prev = piece->Next = nullptr;
  piece->Reserved[0] = withBlob ? TBlobPiece::CarvedFlag | LiveMask
                                : TBlobPiece::CarvedFlag | TBlobPiece::WithoutBlobFlag |
                                      DataPart | PiecePart;
  piece->Reserved[1] = 0;
  store->FFirstPiece = piece;
  return store;
}

TLxBlobData* TBlobCarve::CreateStore(TValuePool* pool, bool compressed, uint32_t capacity) {
  RTL_ASSERT(capacity > 0, u"A carved store needs room for its first piece");
  auto* carve =
      static_cast<uint8_t*>(TValuePool::Allocate(pool, FixedSize(false) + capacity));
  return Build(carve, compressed, false, capacity);
}

void TBlobCarve::ReleasePart(TBlobPiece* first, uint8_t part) {
  const uint8_t flags = first->Reserved[0];
  RTL_ASSERT((flags & part) != 0, u"A part of a carved blob given back twice");
  const bool withBlob = WithBlob(first);
  uint8_t* carve = OfPiece(first);
  if ((flags & LiveMask) != part) {
    first->Reserved[0] = static_cast<uint8_t>(flags & ~part);
    if (part == DataPart)
      CARVE_POISON(carve, BlobAt);
    else if (part == BlobPart)
      CARVE_POISON(carve + BlobAt, PieceAt - BlobAt);
    else
      PoisonDeadPiece(first);
    return;
  }
  const size_t size = FixedSize(withBlob) + first->Capacity;
  CARVE_UNPOISON(carve, size);
  TValuePool::Deallocate(carve, size);
}

// ---- The blob's side ----

TBlob* TBlob::CreateCarved(TValuePool* pool, bool compressed, bool isUnicode,
                           uint32_t capacity) {
  RTL_ASSERT(capacity > 0, u"CreateCarved: capacity must be positive");
  auto* carve = static_cast<uint8_t*>(
      TValuePool::Allocate(pool, TBlobCarve::FixedSize(true) + capacity));
  TLxBlobData* store = TBlobCarve::Build(carve, compressed, true, capacity);
  void* at = carve + TBlobCarve::BlobAt;
  TBlob* blob =
      compressed ? ::new (at) TCompressedBlob(isUnicode) : ::new (at) TBlob(isUnicode);
  blob->FStore = store;
  blob->FCarved = true;
  return blob;
}

void TBlob::FinishCarved(uint32_t used) {
  RTL_ASSERT(FCarved, u"FinishCarved of a blob that was not carved");
  uint8_t* carve = TBlobCarve::OfBlob(this);
  TBlobPiece* piece = TBlobCarve::PieceOf(carve, true);
  RTL_ASSERT(FStore == reinterpret_cast<TLxBlobData*>(carve) && FStore->FirstPiece() == piece &&
                 used <= piece->Capacity,
             u"FinishCarved of a blob changed since it was carved");
  piece->UsedBytes = used;
  const uint32_t keep = std::max<uint32_t>(used, 1);
  const size_t fixed = TBlobCarve::FixedSize(true);
  if (keep < piece->Capacity &&
      TValuePool::ShrinkLatest(carve, fixed + piece->Capacity, fixed + keep))
    piece->Capacity = keep;
}

TValuePool* TBlob::Pool() const {
  return TValuePool::PoolOf(this);
}

void TBlob::MakeStoreFor(uint32_t count) {
  // The first bytes of an empty blob: its store and a piece of just that size in one block.
  if (count == 0 || count > TLxBlobData::DefaultPieceCapacity) return;
  const bool compressed = dynamic_cast<TCompressedBlob*>(this) != nullptr;
  FStore = TBlobCarve::CreateStore(Pool(), compressed, count);
}

void TBlob::operator delete(TBlob* blob, std::destroying_delete_t) {
  const bool carved = blob->FCarved;
  blob->~TBlob();
  if (carved)
    TBlobCarve::ReleasePart(TBlobCarve::PieceOf(TBlobCarve::OfBlob(blob), true),
                            TBlobCarve::BlobPart);
  else
    TValuePool::Deallocate(blob, sizeof(TBlob));
}
