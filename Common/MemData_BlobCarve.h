// Blobs in one block: a fetched value's store, blob and first piece carved together from the
// store's value pool (or a store with its first piece, made by the first write to an empty blob),
// each part dying on its own schedule (a store may be kept by another blob, a piece may move to a
// rollback copy), the block going back with the last of them. Part of unit MemData; used by the
// blob sources only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Common/MemData_Blob.h"

// The store comes first, so that the pool header in front of the block is also the store's: the
// store knows from the header's tag that it is carved. The blob and the piece carry flags of
// their own. The tag holds the live parts and whether the block has a blob.
struct TBlobCarve {
  static constexpr size_t BlobAt = sizeof(TLxBlobData);
  // The first piece, after the blob or (without one) right after the store.
  static constexpr size_t PieceAt = BlobAt + sizeof(TBlob);
  static constexpr size_t PieceAtWithoutBlob = BlobAt;

  // The tag of the block's header.
  static constexpr unsigned DataPart = 1;
  static constexpr unsigned BlobPart = 2;
  static constexpr unsigned PiecePart = 4;
  static constexpr unsigned LiveMask = DataPart | BlobPart | PiecePart;
  static constexpr unsigned WithoutBlob = 8;

  static size_t PieceOffset(bool withBlob) { return withBlob ? PieceAt : PieceAtWithoutBlob; }
  // The block without the first piece's bytes.
  static size_t FixedSize(bool withBlob) { return PieceOffset(withBlob) + TBlobPiece::HeaderSize; }

  static uint8_t* OfBlob(const TBlob* blob) {
    return const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(blob)) - BlobAt;
  }
  static uint8_t* OfPiece(const TBlobPiece* piece) {
    const bool withBlob = (piece->CarveFlags() & TBlobPiece::WithoutBlobFlag) == 0;
    return const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(piece)) - PieceOffset(withBlob);
  }
  static TBlobPiece* PieceOf(uint8_t* carve) {
    const bool withBlob = (TValuePool::Tag(carve) & WithoutBlob) == 0;
    return reinterpret_cast<TBlobPiece*>(carve + PieceOffset(withBlob));
  }
  // The pool new pieces next to this one come from.
  static TValuePool* PoolOfPiece(const TBlobPiece* piece) {
    const void* value = piece->Carved() ? static_cast<const void*>(OfPiece(piece)) : piece;
    return TValuePool::PoolOf(value);
  }

  // A store of the blob's kind with an empty first piece of capacity bytes, in one block.
  static TLxBlobData* CreateStore(TValuePool* pool, bool compressed, uint32_t capacity);
  // Lays out the store and its piece in a block taken for them and tags the block.
  static TLxBlobData* Build(uint8_t* carve, bool compressed, bool withBlob, uint32_t capacity);
  // Marks a part dead; the last one gives the block back. A part that dies before the others is
  // poisoned in sanitizer builds, so that a use after its death is still reported.
  static void ReleasePart(uint8_t* carve, unsigned part);
};

static_assert(sizeof(TCompressedBlobData) == sizeof(TLxBlobData),
              "both kinds of store fit the store's place in a carve");
static_assert(sizeof(TCompressedBlob) == sizeof(TBlob),
              "both kinds of blob fit the blob's place in a carve");
static_assert(TBlobCarve::BlobAt % alignof(TBlob) == 0 &&
                  TBlobCarve::PieceAt % alignof(TBlobPiece) == 0 &&
                  TBlobCarve::PieceAtWithoutBlob % alignof(TBlobPiece) == 0,
              "every part of a carve is aligned");
