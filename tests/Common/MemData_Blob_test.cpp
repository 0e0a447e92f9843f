#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "Common/MemData_Blob.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

namespace {

// A blob released at the end of the test; pieces small enough to make chains.
struct BlobHolder {
  explicit BlobHolder(bool unicode = false, uint32_t pieceCapacity = 4)
      : blob(new TBlob(unicode)) {
    blob->Store()->SetPieceCapacity(pieceCapacity);
  }
  ~BlobHolder() { blob->Free(); }
  TBlob* operator->() const { return blob; }
  TBlob* blob;
};

std::string Content(TBlob* blob) { return blob->GetAsAnsiString(); }

std::vector<uint32_t> PieceSizes(TBlob* blob) {
  std::vector<uint32_t> sizes;
  for (TBlobPiece* p = blob->GetFirstPiece(); p; p = p->Next) sizes.push_back(p->UsedBytes);
  return sizes;
}

void WriteText(TBlob* blob, uint32_t position, const std::string& text) {
  blob->Write(position, static_cast<uint32_t>(text.size()), text.data());
}

TEST(BlobPieces, WritesFillPiecesOfTheStoresCapacity) {
  BlobHolder blob;
  WriteText(blob.blob, 0, "abcdefghij");
  EXPECT_EQ(PieceSizes(blob.blob), (std::vector<uint32_t>{4, 4, 2}));
  for (TBlobPiece* p = blob->GetFirstPiece(); p; p = p->Next) EXPECT_EQ(p->Owner, blob->Store());
  WriteText(blob.blob, 3, "XYZ");  // overwrites across a piece boundary
  EXPECT_EQ(Content(blob.blob), "abcXYZghij");
  WriteText(blob.blob, 10, "kl");  // the last piece was made just big enough: a new one
  EXPECT_EQ(PieceSizes(blob.blob), (std::vector<uint32_t>{4, 4, 2, 2}));
  EXPECT_EQ(Content(blob.blob), "abcXYZghijkl");
}

TEST(BlobPieces, WritePastTheEndAppends) {
  BlobHolder blob(false, 100);
  WriteText(blob.blob, 0, "12345");
  WriteText(blob.blob, 100, "abcdefghij");
  EXPECT_EQ(Content(blob.blob), "12345abcdefghij");
}

TEST(BlobPieces, ReadRanges) {
  BlobHolder blob;
  WriteText(blob.blob, 0, "abcdefghij");
  struct Case {
    uint32_t position, count;
    std::string expected;
  } cases[] = {
      {0, 0, "abcdefghij"}, {3, 0, "defghij"}, {3, 4, "defg"}, {8, 100, "ij"},
      {10, 0, ""},  // at the end: nothing
      {11, 5, ""},  // past the end: nothing
  };
  for (const Case& c : cases) {
    std::string out(20, '.');
    const uint32_t n = blob->Read(c.position, c.count, out.data());
    EXPECT_EQ(out.substr(0, n), c.expected) << c.position << "," << c.count;
    EXPECT_EQ(out.substr(n), std::string(20 - n, '.'));  // nothing written past the count
  }
}

TEST(BlobPieces, TruncateSetSizeAndWriteAgain) {
  BlobHolder blob;
  WriteText(blob.blob, 0, "abcdefghij");
  blob->Truncate(6);
  EXPECT_EQ(PieceSizes(blob.blob), (std::vector<uint32_t>{4, 2, 0}));
  WriteText(blob.blob, 6, "XYZW");  // fills the cut piece, then the emptied one
  EXPECT_EQ(Content(blob.blob), "abcdefXYZW");
  EXPECT_EQ(PieceSizes(blob.blob), (std::vector<uint32_t>{4, 4, 2}));
  blob->SetSize(13);
  EXPECT_EQ(blob->GetAsBytes().size(), 13u);
  EXPECT_EQ(blob->GetAsBytes()[12], 0);
  blob->Truncate(0);
  EXPECT_EQ(blob->GetFirstPiece(), nullptr);
  EXPECT_TRUE(blob->IsEmpty());
}

// The size is the used bytes of the whole chain: a single piece is answered from that piece, so
// every other shape (trailing and middle pieces, pieces left empty by a truncation, no piece at
// all) must still be summed.
TEST(BlobPieces, SizeCountsEveryPieceOfTheChain) {
  struct Case {
    const char* name;
    uint32_t pieceCapacity;
    std::string text;
    uint32_t truncateTo;  // applied when below the text's size
    std::vector<uint32_t> pieces;
  } cases[] = {
      {"one piece", 100, "abcdefghij", 100, {10}},
      {"one full piece", 10, "abcdefghij", 100, {10}},
      {"three pieces", 4, "abcdefghij", 100, {4, 4, 2}},
      {"cut into the middle piece, the last emptied", 4, "abcdefghij", 6, {4, 2, 0}},
      {"cut to the first piece, the others emptied", 4, "abcdefghij", 3, {3, 0, 0}},
      {"no content", 4, "", 100, {}},
  };
  for (const Case& c : cases) {
    BlobHolder blob(false, c.pieceCapacity);
    WriteText(blob.blob, 0, c.text);
    if (c.truncateTo < c.text.size()) blob->Truncate(c.truncateTo);
    EXPECT_EQ(PieceSizes(blob.blob), c.pieces) << c.name;
    const auto expected = static_cast<uint32_t>(std::min<size_t>(c.text.size(), c.truncateTo));
    EXPECT_EQ(blob->GetSize(), expected) << c.name;
    EXPECT_EQ(blob->Store()->GetSize(), expected) << c.name;
    EXPECT_EQ(Content(blob.blob).size(), expected) << c.name;
  }
}

TEST(BlobPieces, DefragAndMoveData) {
  BlobHolder blob;
  WriteText(blob.blob, 0, "abcdefghij");
  blob->Defrag();
  EXPECT_EQ(PieceSizes(blob.blob), (std::vector<uint32_t>{10}));
  EXPECT_EQ(Content(blob.blob), "abcdefghij");

  auto* dest = new TLxBlobData();
  TBlobPiece* oldFirst = blob->GetFirstPiece();
  blob->Store()->MoveDataTo(*dest);
  EXPECT_EQ(dest->FirstPiece(), oldFirst);  // the chain itself moved
  EXPECT_EQ(oldFirst->Owner, dest);
  EXPECT_NE(blob->GetFirstPiece(), oldFirst);
  EXPECT_EQ(Content(blob.blob), "abcdefghij");
  dest->Free();
}

TEST(BlobPieces, PieceCapacityMustBePositive) {
  EXPECT_THROW(TLxBlobData::AllocPiece(0), EAssertionFailed);
  auto* store = new TLxBlobData();
  TBlobPiece* piece = TLxBlobData::AllocPiece(8);
  auto* other = new TLxBlobData();
  store->AppendPiece(piece);
  EXPECT_THROW(other->RemovePiece(piece), EAssertionFailed);
  store->Free();
  other->Free();
}

TEST(BlobRollback, CancelRestoresTheBytesBeforeTheFirstChange) {
  BlobHolder blob;
  WriteText(blob.blob, 0, "original");
  EXPECT_THROW(blob->SaveToRollback(), Exception);  // not in cached mode
  blob->EnableRollback();
  WriteText(blob.blob, 0, "first");
  WriteText(blob.blob, 0, "second change");
  EXPECT_TRUE(blob->HasRollback());
  blob->SetReadRollback(true);
  EXPECT_EQ(Content(blob.blob), "original");
  blob->SetReadRollback(false);
  EXPECT_EQ(Content(blob.blob), "second change");
  blob->Cancel();
  EXPECT_FALSE(blob->HasRollback());
  EXPECT_EQ(Content(blob.blob), "original");
  blob->Truncate(3);
  blob->Commit();
  blob->Cancel();  // nothing to return to
  EXPECT_EQ(Content(blob.blob), "ori");
}

TEST(BlobRollback, ShowingTheRollbackSwapsStoresWithoutLosingEither) {
  BlobHolder blob(false, 100);
  WriteText(blob.blob, 0, "before");
  blob->EnableRollback();
  WriteText(blob.blob, 0, "after!");
  TLxBlobData* current = blob->Store();
  TLxBlobData* rollback = blob->RollbackStore();
  ASSERT_NE(current, rollback);
  blob->SetReadRollback(true);
  blob->SetReadRollback(true);  // already shown: stays shown
  EXPECT_EQ(blob->Store(), rollback);
  EXPECT_EQ(blob->RollbackStore(), rollback);
  EXPECT_TRUE(blob->HasRollback());
  EXPECT_EQ(Content(blob.blob), "before");
  // Committing, cancelling or replacing the store while the rollback is shown is refused.
  EXPECT_THROW(blob->Commit(), EAssertionFailed);
  EXPECT_THROW(blob->Cancel(), EAssertionFailed);
  EXPECT_THROW(blob->SaveToRollback(), EAssertionFailed);
  blob->SetReadRollback(false);
  blob->SetReadRollback(false);  // already back: nothing to swap
  EXPECT_EQ(blob->Store(), current);
  EXPECT_EQ(Content(blob.blob), "after!");
  // Freed while the rollback is shown: both stores go (the sanitizer sees a leak or a second
  // release).
  blob->SetReadRollback(true);
}

TEST(BlobRollback, ShowingAnEmptyRollbackOfABlobWithoutStore) {
  BlobHolder blob;
  blob->EnableRollback();
  blob->SaveToRollback();  // empty content: kept as a flag, no store made
  ASSERT_TRUE(blob->HasRollback());
  blob->SetReadRollback(true);
  EXPECT_EQ(blob->GetSize(), 0u);
  blob->SetReadRollback(false);
  WriteText(blob.blob, 0, "new");
  EXPECT_EQ(Content(blob.blob), "new");
}

TEST(BlobPieces, ContentNeverReachesTheHeader) {
  // The bytes start right after the reserved ones; filling every byte of a piece leaves its
  // header as it was.
  for (uint32_t capacity : {1u, 5u, 6u, 7u, 64u}) {
    TBlobPiece* piece = TLxBlobData::AllocPiece(capacity);
    std::memset(piece->Data(), 0xAB, capacity);
    EXPECT_EQ(piece->Owner, nullptr);
    EXPECT_EQ(piece->Capacity, capacity);
    EXPECT_EQ(piece->UsedBytes, 0u);
    EXPECT_EQ(piece->Prev, nullptr);
    EXPECT_EQ(piece->Next, nullptr);
    EXPECT_EQ(piece->Reserved[0], 0);
    EXPECT_EQ(piece->Reserved[1], 0);
    TLxBlobData::FreePiece(piece);
  }
}

TEST(BlobRollback, RollbackOfAnEmptyBlob) {
  BlobHolder blob;
  blob->EnableRollback();
  WriteText(blob.blob, 0, "typed into a new record");
  EXPECT_TRUE(blob->HasRollback());
  blob->SetReadRollback(true);
  EXPECT_EQ(Content(blob.blob), "");
  blob->SetReadRollback(false);
  blob->Cancel();
  EXPECT_TRUE(blob->IsEmpty());
  EXPECT_FALSE(blob->HasRollback());
  WriteText(blob.blob, 0, "kept");
  blob->Commit();
  EXPECT_FALSE(blob->HasRollback());
  EXPECT_EQ(Content(blob.blob), "kept");
}

TEST(BlobRollback, MessagesOfMisuse) {
  BlobHolder blob;
  try {
    blob->SaveToRollback();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Blob must be in cached mode");
  }
  WriteText(blob.blob, 0, "x");
  try {
    blob->SetIsUnicode(true);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Cannot change IsUnicode if Size > 0");
  }
  blob->SetIsUnicode(false);  // unchanged: allowed
  blob->Clear();
  blob->SetIsUnicode(true);
  EXPECT_TRUE(blob->IsUnicode());
}

TEST(BlobLineEnds, AddingCarriageReturns) {
  struct Case {
    std::string in, out;
    uint32_t pieceCapacity;
  } cases[] = {
      {"a\nb", "a\r\nb", 100},
      {"a\r\nb", "a\r\nb", 100},  // pairs stay pairs
      {"a\r", "a\r\n", 100},      // a CR that ends the content becomes a pair
      {"\n\n", "\r\n\r\n", 100},
      {"ab\r", "ab\r\n", 3},      // the CR ends a full piece
      {"abc\r\ndef", "abc\r\ndef", 4},  // the pair split across pieces is still a pair
      {"abc\rdef", "abc\rdef", 4},
      {"", "", 4},
  };
  for (const Case& c : cases) {
    BlobHolder blob(false, c.pieceCapacity);
    WriteText(blob.blob, 0, c.in);
    blob->AddCarriageReturns();
    EXPECT_EQ(Content(blob.blob), c.out) << c.in;
  }
}

TEST(BlobLineEnds, RemovingCarriageReturns) {
  struct Case {
    std::string in, out;
    uint32_t pieceCapacity;
  } cases[] = {
      {"a\r\nb", "a\nb", 100},
      {"a\r\r\nb\r", "a\r\nb\r", 100},  // a lone CR stays
      {"abc\r\ndef", "abc\ndef", 4},    // pair split across pieces
      {"\r\n\r\n", "\n\n", 1},
  };
  for (const Case& c : cases) {
    BlobHolder blob(false, c.pieceCapacity);
    WriteText(blob.blob, 0, c.in);
    blob->RemoveCarriageReturns();
    EXPECT_EQ(Content(blob.blob), c.out) << c.in;
  }
}

TEST(BlobLineEnds, NewPiecesFollowTheCapacityRule) {
  BlobHolder blob(false, 10);
  WriteText(blob.blob, 0, std::string(23, 'x') + "\n");
  blob->AddCarriageReturns();
  // Full pieces while at least half a piece of input remains; then twice the remaining input
  // (4 bytes when the third piece starts).
  EXPECT_EQ(PieceSizes(blob.blob), (std::vector<uint32_t>{10, 10, 5}));
  EXPECT_EQ(blob->GetFirstPiece()->Next->Next->Capacity, 8u);
  EXPECT_EQ(Content(blob.blob), std::string(23, 'x') + "\r\n");
  blob->RemoveCarriageReturns();
  // Removing: full pieces while a whole piece of input remains, then the remainder.
  EXPECT_EQ(PieceSizes(blob.blob), (std::vector<uint32_t>{10, 10, 4}));
  EXPECT_EQ(blob->GetFirstPiece()->Next->Next->Capacity, 5u);
  EXPECT_EQ(Content(blob.blob), std::string(23, 'x') + "\n");
}

TEST(BlobLineEnds, WideTextAcrossOddPieceBoundaries) {
  BlobHolder blob(true, 3);  // every other UTF-16 unit straddles two pieces
  blob->SetAsWideString(u"Ж\nя\r\nб\r");
  blob->AddCarriageReturns();
  EXPECT_EQ(blob->GetAsWideString(), u"Ж\r\nя\r\nб\r");  // no end rule for wide text
  blob->RemoveCarriageReturns();
  EXPECT_EQ(blob->GetAsWideString(), u"Ж\nя\nб\r");
}

TEST(BlobText, AnsiAndWideForms) {
  BlobHolder ansi(false, 5);
  ansi->SetAsWideString(u"Здраво");
  EXPECT_EQ(ansi->GetSize(), 12u);  // UTF-8 bytes
  EXPECT_EQ(ansi->GetAsWideString(), u"Здраво");
  BlobHolder wide(true, 5);
  wide->SetAsAnsiString("Здраво");
  EXPECT_EQ(wide->GetSize(), 12u);  // six UTF-16 units
  EXPECT_EQ(wide->GetAsAnsiString(), "Здраво");
  ansi->SetAsBytes(TBytes{0, 1, 2});
  EXPECT_EQ(ansi->GetAsBytes(), (TBytes{0, 1, 2}));
}

TEST(BlobText, AnsiPositionsOfUnicodeContent) {
  BlobHolder blob(true, 3);
  blob->SetAsWideString(u"abcd");
  EXPECT_EQ(blob->TranslatePosition(3), 6u);
  EXPECT_EQ(blob->GetSizeUni(), 4u);
  blob->SetAsWideString(u"aЖ😀b");  // 1 + 2 + 4 + 1 UTF-8 bytes
  EXPECT_EQ(blob->GetSizeUni(), 8u);
  EXPECT_EQ(blob->TranslatePosition(0), 0u);
  EXPECT_EQ(blob->TranslatePosition(1), 2u);
  EXPECT_EQ(blob->TranslatePosition(3), 4u);
  EXPECT_EQ(blob->TranslatePosition(7), 8u);
  EXPECT_EQ(blob->TranslatePosition(8), 10u);  // the end itself
  for (uint32_t inside : {2u, 4u, 5u, 6u, 9u}) {
    try {
      blob->TranslatePosition(inside);
      FAIL() << inside;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Invalid BLOB position");
    }
  }
  BlobHolder ansi;
  EXPECT_THROW(ansi->TranslatePosition(1), EAssertionFailed);
}

TEST(BlobText, AssignCopiesContentAndUnicodeFlag) {
  BlobHolder source(true, 3);
  source->SetAsWideString(u"текст");
  BlobHolder copy(false, 100);
  copy->SetAsAnsiString("old");
  copy->Assign(*source.blob);
  EXPECT_TRUE(copy->IsUnicode());
  EXPECT_EQ(copy->GetAsWideString(), u"текст");
}

TEST(BlobStreams, LoadAndSaveInPieceSizedChunks) {
  BlobHolder blob(false, 7);
  TMemoryStream in;
  const std::string text = "a stream longer than one piece of seven bytes";
  in.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
  blob->LoadFromStream(in);  // from position 0, wherever the stream stood
  EXPECT_EQ(Content(blob.blob), text);
  EXPECT_EQ(PieceSizes(blob.blob).front(), 7u);
  TMemoryStream out;
  out.WriteBuffer("old content that is longer than the blob's own", 46);
  blob->SaveToStream(out);
  EXPECT_EQ(out.Size(), static_cast<int64_t>(text.size()));
  EXPECT_EQ(std::string(static_cast<char*>(out.Memory()), text.size()), text);
}

}  // namespace
