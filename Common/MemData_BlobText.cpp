// Text views of blob content: line-end conversion across pieces and the ANSI (UTF-8) view of
// UTF-16 content.
#include <algorithm>
#include <cstring>

#include "Common/MemData_Blob.h"
#include "platform/rtl/Exceptions.h"

namespace {

// Reads a chain's content byte by byte, across piece boundaries.
class PieceReader {
 public:
  explicit PieceReader(TBlobPiece* first) : FPiece(first) { SkipEmpty(); }
  bool AtEnd() const { return FPiece == nullptr; }
  uint8_t Get() {
    const uint8_t b = FPiece->Data()[FOffset++];
    SkipEmpty();
    return b;
  }
  // A UTF-16 unit (two bytes, which may sit in two pieces); false when fewer than two remain.
  bool GetUnit(char16_t& unit) {
    if (AtEnd()) return false;
    uint8_t bytes[2];
    bytes[0] = Get();
    if (AtEnd()) return false;
    bytes[1] = Get();
    std::memcpy(&unit, bytes, 2);
    return true;
  }

 private:
  void SkipEmpty() {
    while (FPiece && FOffset >= FPiece->UsedBytes) {
      FPiece = FPiece->Next;
      FOffset = 0;
    }
  }
  TBlobPiece* FPiece;
  uint32_t FOffset = 0;
};

// Builds a new chain; each new piece's capacity depends on how much input is still to come.
class ChainWriter {
 public:
  template <typename CapacityRule>
  void Put(const void* data, uint32_t count, uint32_t remainingInput, CapacityRule rule) {
    auto* in = static_cast<const uint8_t*>(data);
    while (count > 0) {
      if (!FLast || FLast->UsedBytes == FLast->Capacity) {
        TBlobPiece* piece = TLxBlobData::AllocPiece(std::max<uint32_t>(rule(remainingInput), count));
        piece->Prev = FLast;
        if (FLast)
          FLast->Next = piece;
        else
          FFirst = piece;
        FLast = piece;
      }
      const uint32_t n = std::min(count, FLast->Capacity - FLast->UsedBytes);
      std::memcpy(FLast->Data() + FLast->UsedBytes, in, n);
      FLast->UsedBytes += n;
      in += n;
      count -= n;
    }
  }
  TBlobPiece* First() const { return FFirst; }

 private:
  TBlobPiece* FFirst = nullptr;
  TBlobPiece* FLast = nullptr;
};

// UTF-8 length of the next code point of UTF-16 content, and the bytes it takes; false at the end.
bool NextCodePoint(PieceReader& reader, uint32_t& ansiLength, uint32_t& byteLength) {
  char16_t unit;
  if (!reader.GetUnit(unit)) return false;
  byteLength = 2;
  if (unit < 0x80) {
    ansiLength = 1;
  } else if (unit < 0x800) {
    ansiLength = 2;
  } else if (unit >= 0xD800 && unit <= 0xDBFF) {
    // A high surrogate: with its low half a 4-byte character, alone a replacement character.
    PieceReader ahead = reader;
    char16_t low;
    if (ahead.GetUnit(low) && low >= 0xDC00 && low <= 0xDFFF) {
      reader = ahead;
      ansiLength = 4;
      byteLength = 4;
    } else {
      ansiLength = 3;
    }
  } else {
    ansiLength = 3;
  }
  return true;
}

}  // namespace

template <typename Unit, bool Adding>
void TLxBlobData::ConvertLineEnds() {
  MakePlain();
  const uint32_t size = StoredSize();
  if (size == 0) return;
  const uint32_t capacity = FPieceCapacity;
  auto rule = [capacity](uint32_t remaining) -> uint32_t {
    if (Adding) return remaining < capacity / 2 ? 2 * remaining : capacity;
    return remaining < capacity ? remaining : capacity;
  };
  const Unit cr = 13, lf = 10;
  PieceReader reader(FFirstPiece);
  ChainWriter writer;
  uint32_t remaining = size;
  Unit prev = 0;
  bool pendingCR = false;  // removing: a CR waiting to see whether an LF follows
  while (remaining >= sizeof(Unit)) {
    Unit unit = 0;
    if constexpr (sizeof(Unit) == 1) {
      unit = reader.Get();
    } else {
      reader.GetUnit(unit);
    }
    if (Adding) {
      if (unit == lf && prev != cr) writer.Put(&cr, sizeof cr, remaining, rule);
      writer.Put(&unit, sizeof unit, remaining, rule);
    } else {
      if (pendingCR && unit != lf) writer.Put(&cr, sizeof cr, remaining, rule);
      pendingCR = unit == cr;
      if (!pendingCR) writer.Put(&unit, sizeof unit, remaining, rule);
    }
    prev = unit;
    remaining -= sizeof(Unit);
  }
  if (pendingCR) writer.Put(&cr, sizeof cr, 1, rule);
  // Only byte text turns a CR that ends the content into a pair.
  if (Adding && sizeof(Unit) == 1 && prev == cr) writer.Put(&lf, sizeof lf, 1, rule);
  if (remaining > 0) {  // an odd byte after the last UTF-16 unit stays as it is
    const uint8_t odd = reader.Get();
    writer.Put(&odd, 1, 1, rule);
  }
  TLxBlobData::Clear();
  FFirstPiece = writer.First();
  for (TBlobPiece* piece = FFirstPiece; piece; piece = piece->Next) piece->Owner = this;
}

void TLxBlobData::AddCR() { ConvertLineEnds<uint8_t, true>(); }
void TLxBlobData::RemoveCR() { ConvertLineEnds<uint8_t, false>(); }
void TLxBlobData::AddCRWide() { ConvertLineEnds<char16_t, true>(); }
void TLxBlobData::RemoveCRWide() { ConvertLineEnds<char16_t, false>(); }

uint32_t TLxBlobData::GetSizeAnsi() {
  MakePlain();
  PieceReader reader(FFirstPiece);
  uint32_t total = 0, ansi = 0, bytes = 0;
  while (NextCodePoint(reader, ansi, bytes)) total += ansi;
  return total;
}

uint32_t TLxBlobData::TranslatePosition(uint32_t ansiPosition) {
  MakePlain();
  PieceReader reader(FFirstPiece);
  uint32_t ansiSoFar = 0, bytesSoFar = 0, ansi = 0, bytes = 0;
  while (ansiSoFar < ansiPosition) {
    // Past the end, or inside a multi-byte character.
    if (!NextCodePoint(reader, ansi, bytes) || ansiSoFar + ansi > ansiPosition)
      throw Exception(u"Invalid BLOB position");
    ansiSoFar += ansi;
    bytesSoFar += bytes;
  }
  return bytesSoFar;
}
