// Blobs in one block: a fetched value's store, blob and first piece carved together from the
// store's value pool (or a store with its first piece, made by the first write to an empty blob),
// each part dying on its own schedule (a store may be kept by another blob, a piece may move to a
// rollback copy), the block going back with the last of them. Part of unit MemData; used by the
// blob sources only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Common/MemData_Blob.h"

// The store comes first, then the blob (when the carve has one), then the first piece. Each part
// knows it is carved: the store by a byte of its own that also says whether a blob follows, the
// blob by a flag, the piece by its carve flags. The piece's flag byte also holds which parts
// still live; it stays readable after the piece itself is gone.
struct TBlobCarve {
  static constexpr size_t BlobAt = sizeof(TLxBlobData);
  // The first piece, after the blob or (without one) right after the store.
  static constexpr size_t PieceAt = BlobAt + sizeof(TBlob);
  static constexpr size_t PieceAtWithoutBlob = BlobAt;

  // The live parts, in the first piece's flag byte next to its carve flags.
  static constexpr uint8_t DataPart = 4;
  static constexpr uint8_t BlobPart = 8;
  static constexpr uint8_t PiecePart = 16;
  static constexpr uint8_t LiveMask = DataPart | BlobPart | PiecePart;

  // The store's own byte.
  static constexpr uint8_t StoreWithBlob = 1;
  static constexpr uint8_t StoreWithoutBlob = 2;

  static size_t PieceOffset(bool withBlob) { return withBlob ? PieceAt : PieceAtWithoutBlob; }
  // The block without the first piece's bytes.
  static size_t FixedSize(bool withBlob) { return PieceOffset(withBlob) + TBlobPiece::HeaderSize; }
  static bool WithBlob(const TBlobPiece* piece) {
    return (piece->CarveFlags() & TBlobPiece::WithoutBlobFlag) == 0;
  }

  static uint8_t* OfBlob(const TBlob* blob) {
    return const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(blob)) - BlobAt;
  }
  static uint8_t* OfPiece(const TBlobPiece* piece) {
    return const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(piece)) -
           PieceOffset(WithBlob(piece));
  }
  // The place of the carve's first piece, whether or not the piece still lives.
  static TBlobPiece* PieceOf(uint8_t* carve, bool withBlob) {
    return reinterpret_cast<TBlobPiece*>(carve + PieceOffset(withBlob));
  }

  // A store of the blob's kind with an empty first piece of capacity bytes, in one block.
  static TLxBlobData* CreateStore(TValuePool* pool, bool compressed, uint32_t capacity);
  // Lays out the store and its piece in a block taken for them and marks every part live.
  static TLxBlobData* Build(uint8_t* carve, bool compressed, bool withBlob, uint32_t capacity);
  // Marks a part dead, given the place of the carve's first piece; the last one gives the block
  // back. A part that dies before the others is poisoned in sanitizer builds, so that a use after
  // its death is still reported.
  static void ReleasePart(TBlobPiece* first, uint8_t part);
  // The same for the store, which was destroyed with that carve byte.
  static void ReleaseStore(uint8_t* carve, uint8_t storeCarve) {
    ReleasePart(PieceOf(carve, storeCarve == StoreWithBlob), DataPart);
  }
};

static_assert(sizeof(TCompressedBlobData) == sizeof(TLxBlobData),
              "both kinds of store fit the store's place in a carve");
static_assert(sizeof(TCompressedBlob) == sizeof(TBlob),
              "both kinds of blob fit the blob's place in a carve");
static_assert(TBlobCarve::BlobAt % alignof(TBlob) == 0 &&
                  TBlobCarve::PieceAt % alignof(TBlobPiece) == 0 &&
                  TBlobCarve::PieceAtWithoutBlob % alignof(TBlobPiece) == 0,
              "every part of a carve is aligned");
