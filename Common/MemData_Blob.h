// Blob values: a chain of separately allocated pieces (TLxBlobData), the reference-counted blob
// that record buffers point to (TBlob) with its rollback copy, and the compressed variants.
// Part of unit MemData.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "Common/MemData_Arena.h"
#include "Common/MemData_Types.h"

class TLxBlobData;
class TStream;

// A piece: this header, then Capacity bytes of which the first UsedBytes hold content. The bytes
// start right after the reserved ones, in what would be the header's tail padding: a piece is
// allocated as HeaderSize + Capacity bytes and never copied as a whole struct.
struct TBlobPiece {
  TLxBlobData* Owner;  // the store whose chain holds the piece; nil while in none
  uint32_t Capacity;
  uint32_t UsedBytes;
  TBlobPiece* Prev;
  TBlobPiece* Next;
  // The first byte holds the carve flags of the first piece of a carved store, with the carve's
  // live parts (see TBlobCarve); 0 otherwise.
  uint8_t Reserved[2];

  static constexpr uint8_t CarvedFlag = 1;
  static constexpr uint8_t WithoutBlobFlag = 2;  // carved with its store only
  static constexpr size_t HeaderSize = 34;  // up to and with Reserved
  uint8_t* Data() { return reinterpret_cast<uint8_t*>(this) + HeaderSize; }
  uint8_t CarveFlags() const { return Reserved[0]; }
  bool Carved() const { return (CarveFlags() & CarvedFlag) != 0; }
};

// The bytes of a blob as a doubly linked chain of pieces.
static_assert(offsetof(TBlobPiece, Reserved) + sizeof(TBlobPiece::Reserved) ==
              TBlobPiece::HeaderSize);

class TLxBlobData : public TSharedObject {
 public:
  // With the 22-byte piece header of 32-bit builds this made 64 KB pieces.
  static constexpr uint32_t DefaultPieceCapacity = 65514;
  static constexpr uint32_t MaxPieceCapacity = 65535;

  TLxBlobData() = default;
  const char* ClassName() const override { return "TLxBlobData"; }
  // Blob objects and pieces come from the value pool of the store that makes them (the general
  // heap for any other maker); see TValuePool.
  static void* operator new(size_t size) { return TValuePool::Allocate(nullptr, size); }
  static void* operator new(size_t size, TValuePool* pool) {
    return TValuePool::Allocate(pool, size);
  }
  // A carved store goes back with the carve's last part, so the store itself decides how it is
  // given back.
  static void operator delete(TLxBlobData* data, std::destroying_delete_t);
  // A constructor that fails gives the memory back (a compressed store has the same size).
  static void operator delete(void* p, size_t) { TValuePool::Deallocate(p, sizeof(TLxBlobData)); }
  static void operator delete(void* p, TValuePool*) {
    TValuePool::Deallocate(p, sizeof(TLxBlobData));
  }

  TBlobPiece* FirstPiece() const { return FFirstPiece; }
  // Whether GetSize is the chain's used bytes: the content is held as it is, not compressed (only
  // the compressed store overrides GetSize, and only for compressed content).
  bool HoldsPlainContent() const { return !FCompressedContent; }
  // The chain's used bytes, a chain of one piece (every fetched value) read without a loop.
  uint32_t PlainSize() const {
    if (!FFirstPiece) return 0;
    if (!FFirstPiece->Next) return FFirstPiece->UsedBytes;
    return StoredSize();
  }
  uint32_t PieceCapacity() const { return FPieceCapacity; }
  // The capacity of pieces made from now on: 1 to MaxPieceCapacity.
  void SetPieceCapacity(uint32_t capacity);

  virtual uint32_t GetSize();
  virtual void SetSize(uint32_t size);
  virtual void Clear();
  virtual void Truncate(uint32_t size);
  virtual bool IsEmpty() { return GetSize() == 0; }
  // Copies up to count bytes (0: to the end) from position; the number copied.
  virtual uint32_t Read(uint32_t position, uint32_t count, void* dest);
  // Overwrites from position on and extends past the end; a position past the end means the end.
  virtual void Write(uint32_t position, uint32_t count, const void* source);
  // Brings compressed content to its plain form; plain stores have nothing to do.
  virtual void MakePlain() {}

  // All content in one piece.
  void Defrag();
  // The destination takes over the chain; this store continues with a copy of the content.
  void MoveDataTo(TLxBlobData& dest);
  // Line ends: bare LF to CR LF and back, on bytes or on UTF-16 units.
  void AddCR();
  void RemoveCR();
  void AddCRWide();
  void RemoveCRWide();
  // For UTF-16 content: the byte offset of an ANSI (UTF-8) character position, and the ANSI size.
  uint32_t TranslatePosition(uint32_t ansiPosition);
  uint32_t GetSizeAnsi();

  // Piece primitives. AllocPiece takes the piece from the general heap, NewPiece from the pool
  // this store came from; FreePiece gives either back (a carved piece to its carve).
  static TBlobPiece* AllocPiece(uint32_t capacity);
  TBlobPiece* NewPiece(uint32_t capacity);
  // Changes a piece's capacity (0 frees it); a piece in a chain keeps its place.
  TBlobPiece* ReallocPiece(TBlobPiece* piece, uint32_t capacity);
  static void FreePiece(TBlobPiece* piece);
  void AppendPiece(TBlobPiece* piece);
  void RemovePiece(TBlobPiece* piece);
  // Shrinks a piece to its used bytes.
  TBlobPiece* TrimPiece(TBlobPiece* piece) { return ReallocPiece(piece, piece->UsedBytes); }

 protected:
  ~TLxBlobData() override;
  // The size and bytes as stored, whatever form they are in.
  uint32_t StoredSize() const;
  uint32_t ReadStored(uint32_t position, uint32_t count, void* dest) const;
  void WriteStored(uint32_t position, uint32_t count, const void* source);
  void TruncateStored(uint32_t size);
  // Whether the stored bytes are compressed content; carried along when the chain moves.
  virtual bool StoresCompressed() const { return false; }
  virtual void SetStoresCompressed(bool) {}
  // Replaces the chain by a single piece (which the store takes).
  void ReplaceContent(TBlobPiece* piece);

  // Held here for the compressed store, so that both kinds of store have one size and fit the
  // same place of a carve. With the capacity it fills the shared object's tail padding.
  bool FCompressedContent = false;

 private:
  friend struct TBlobCarve;
  // How the store was carved (see TBlobCarve); 0 for a store of its own. In the padding after
  // the flag above.
  uint8_t FCarve = 0;
  template <typename Unit, bool Adding>
  void ConvertLineEnds();

  uint16_t FPieceCapacity = DefaultPieceCapacity;
  TBlobPiece* FFirstPiece = nullptr;
};

// A blob value with an optional rollback copy of its bytes.
class TBlob : public TSharedObject {
 public:
  static constexpr uint8_t ValidMarkerAlive = 0xDD;

  explicit TBlob(bool isUnicode = false);
  const char* ClassName() const override { return "TBlob"; }
  // Blob objects and pieces come from the value pool of the store that makes them (the general
  // heap for any other maker); see TValuePool.
  static void* operator new(size_t size) { return TValuePool::Allocate(nullptr, size); }
  static void* operator new(size_t size, TValuePool* pool) {
    return TValuePool::Allocate(pool, size);
  }
  // A blob carved with its store and first piece goes back with the carve's last part, so the
  // blob itself decides how it is given back.
  static void operator delete(TBlob* blob, std::destroying_delete_t);
  // A constructor that fails gives the memory back (a compressed blob has the same size).
  static void operator delete(void* p, size_t) { TValuePool::Deallocate(p, sizeof(TBlob)); }
  static void operator delete(void* p, TValuePool*) { TValuePool::Deallocate(p, sizeof(TBlob)); }

  // A blob that comes in one block with its store and a first piece of capacity bytes (none
  // used yet): the form a fetched value takes, filled through GetFirstPiece and then
  // FinishCarved. With compressed, a compressed blob with a compressed store.
  static TBlob* CreateCarved(TValuePool* pool, bool compressed, bool isUnicode, uint32_t capacity);
  // The first piece of a carved blob now holds used bytes; the carve's unused tail goes back
  // when it can.
  void FinishCarved(uint32_t used);

  // The byte store, made on first use: an empty blob (every NULL value fetched) has none yet.
  TLxBlobData* Store() const {
    if (!FStore) FStore = const_cast<TBlob*>(this)->CreateBlobData();
    return FStore;
  }
  // The rollback copy's store (nil without a rollback). A rollback of empty content is kept as a
  // flag until a store is asked for.
  TLxBlobData* RollbackStore();
  bool IsUnicode() const { return FIsUnicode; }
  bool RollbackEnabled() const { return FRollbackEnabled; }
  void SetRollbackEnabled(bool v) { FRollbackEnabled = v; }

  virtual TLxBlobData* CreateBlobData();
  // Loads data on demand in descendants; nothing here.
  virtual void CheckValue() {}
  virtual void SaveToRollback();
  // Final and inline: the record store reads a value's size on every jump to a record, and the
  // size of plain content is two loads past the blob (compressed content asks its store).
  virtual uint32_t GetSize() final {
    CheckValid();
    if (!FStore) return 0;
    return FStore->HoldsPlainContent() ? FStore->PlainSize() : FStore->GetSize();
  }
  virtual void SetSize(uint32_t size);
  virtual void SetIsUnicode(bool value);
  virtual uint32_t GetSizeUni();
  virtual void SpareHook() {}
  virtual uint32_t Read(uint32_t position, uint32_t count, void* dest);
  virtual void Write(uint32_t position, uint32_t count, const void* source);
  virtual void Clear();
  virtual void Truncate(uint32_t size);
  virtual bool IsEmpty();
  virtual void Defrag();
  // Replaces the content by the whole stream, read from its beginning.
  virtual void LoadFromStream(TStream& stream);
  // Replaces the stream's content by the blob's.
  virtual void SaveToStream(TStream& stream);
  // Drops the rollback copy.
  virtual void Commit();
  // Returns to the rollback copy, when there is one.
  virtual void Cancel();

  // Raises "Invalid BLOB" for a blob that was destroyed.
  void CheckValid() const {
    if (FValidMarker != ValidMarkerAlive) RaiseInvalid();
  }
  TBlobPiece* GetFirstPiece() const { return FStore ? FStore->FirstPiece() : nullptr; }
  void Assign(TBlob& source);
  void SetStore(TLxBlobData* store);
  void CheckCached() const;
  void EnableRollback() { FRollbackEnabled = true; }
  bool HasRollback() const { return FHoldsOtherStore || FEmptyRollback; }
  // Shows the rollback copy in place of the current bytes (true) or the current bytes again.
  void SetReadRollback(bool value);
  uint32_t PieceCapacity() const { return Store()->PieceCapacity(); }
  uint32_t TranslatePosition(uint32_t ansiPosition);
  void AddCarriageReturns();
  void RemoveCarriageReturns();

  AnsiString GetAsString() { return GetAsAnsiString(); }
  void SetAsString(const AnsiString& value) { SetAsAnsiString(value); }
  AnsiString GetAsAnsiString();
  void SetAsAnsiString(const AnsiString& value);
  String GetAsWideString();
  void SetAsWideString(const String& value);
  TBytes GetAsBytes();
  void SetAsBytes(const TBytes& value);

 protected:
  // For descendants that keep their bytes in a store of their own class (nil: made on first use
  // by CreateBlobData).
  TBlob(bool isUnicode, TLxBlobData* store);
  ~TBlob() override;
  // The store when one was made, without making one.
  TLxBlobData* StoreIfMade() const { return FStore; }
  // The pool new stores of this blob come from.
  TValuePool* Pool() const;

 private:
  friend struct TBlobCarve;
  [[noreturn]] static void RaiseInvalid();
  void SaveBeforeChange() {
    if (FRollbackEnabled && !HasRollback()) SaveToRollback();
  }
  // Makes the store of a blob that has none for a first write of count bytes.
  void MakeStoreFor(uint32_t count);
  // The other store: the rollback copy's, or the current one while the rollback is shown. A
  // rollback lives only while a record is edited, so it is held outside the blob, in a table
  // keyed by the blob, and no blob pays a pointer for it.
  TLxBlobData* OtherStore() const;
  // Hands the other store over to the caller (nil without one).
  TLxBlobData* TakeOtherStore();
  // Holds store (not nil) as the other store, in place of none.
  void HoldOtherStore(TLxBlobData* store);

  // The flags first: they fill the shared object's tail padding.
  bool FIsUnicode;
  bool FRollbackEnabled = false;
  // The content before the first change was empty: no store is made for it, so that filling a
  // new blob costs no allocation for its rollback.
  bool FEmptyRollback : 1 = false;
  // The rollback copy is shown in place of the current bytes: FStore is the rollback copy's store
  // and the other store is the current one meanwhile, so that no third store is needed.
  bool FReadingRollback : 1 = false;
  // The blob was carved with its first store and piece (see CreateCarved).
  bool FCarved : 1 = false;
  // An other store is held for the blob (see OtherStore).
  bool FHoldsOtherStore : 1 = false;
  uint8_t FValidMarker = ValidMarkerAlive;
  mutable TLxBlobData* FStore;
};

static_assert(sizeof(TBlob) == 3 * sizeof(void*), "a blob holds one store pointer, not two");

// A piece store that can hold its bytes zlib-compressed in one piece behind a 20-byte header:
// a 16-byte GUID, then the uncompressed size. The store itself knows whether its content is
// compressed; plain bytes that happen to start with the header are never taken for it.
class TCompressedBlobData : public TLxBlobData {
 public:
  static constexpr uint32_t HeaderSize = 20;
  // Content of this size or less is never compressed.
  static constexpr uint32_t MinCompressSize = 50;
  static const uint8_t HeaderGuid[16];

  const char* ClassName() const override { return "TCompressedBlobData"; }

  bool IsCompressed() const { return FCompressedContent; }
  // The uncompressed size of compressed content.
  uint32_t RawSize() const;
  // Stores n source bytes compressed when that saves more than the header; whether it did.
  bool CompressData(const void* source, uint32_t size);
  // Decompresses the content into dest; size is the room on entry and the bytes produced after.
  void UncompressData(void* dest, uint32_t& size);
  // Switches the content to the requested form; whether the content changed form.
  bool SetCompressedState(bool compress);
  // Takes the current content for compressed content when it carries the header and an inflatable
  // stream of the size it states (bytes fetched from a column that the server keeps compressed).
  bool AdoptCompressedContent();

  uint32_t GetSize() override;
  void SetSize(uint32_t size) override;
  void Clear() override;
  void Truncate(uint32_t size) override;
  uint32_t Read(uint32_t position, uint32_t count, void* dest) override;
  void Write(uint32_t position, uint32_t count, const void* source) override;
  void MakePlain() override { SetCompressedState(false); }

 protected:
  bool StoresCompressed() const override { return FCompressedContent; }
  void SetStoresCompressed(bool value) override { FCompressedContent = value; }
};

class TCompressedBlob : public TBlob {
 public:
  explicit TCompressedBlob(bool isUnicode = false);
  const char* ClassName() const override { return "TCompressedBlob"; }

  TLxBlobData* CreateBlobData() override;
  bool GetCompressed();
  // Compresses (true) or decompresses the content; whether the content changed form. Compressing
  // content of 50 bytes or less, or content that does not shrink by more than the header, leaves
  // it plain and answers false.
  bool SetCompressed(bool value);

 private:
  TCompressedBlobData* CompressedStore() const;
};
