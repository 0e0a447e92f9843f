#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "Common/MemData_Blob.h"
#include "Common/MemUtils.h"
#include "platform/rtl/Exceptions.h"

namespace {

struct CompressedBlob {
  CompressedBlob() : blob(new TCompressedBlob()) {}
  ~CompressedBlob() { blob->Free(); }
  TCompressedBlob* operator->() const { return blob; }
  TCompressedBlobData* Store() const { return static_cast<TCompressedBlobData*>(blob->Store()); }
  TCompressedBlob* blob;
};

TBytes Repetitive(size_t n) {
  TBytes bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>('a' + i % 3);
  return bytes;
}

TBytes Random(size_t n) {
  std::mt19937 gen(42);
  TBytes bytes(n);
  for (auto& b : bytes) b = static_cast<uint8_t>(gen());
  return bytes;
}

TEST(CompressedBlob, ThresholdsAndIncompressibleData) {
  struct Case {
    const char* name;
    TBytes content;
    bool compressed;
  } cases[] = {
      {"50 repetitive bytes stay plain", Repetitive(50), false},
      {"51 repetitive bytes are compressed", Repetitive(51), true},
      {"1,000 random bytes do not shrink enough", Random(1000), false},
      {"100,000 repetitive bytes", Repetitive(100000), true},
  };
  for (Case& c : cases) {
    CompressedBlob blob;
    blob->SetAsBytes(c.content);
    // The answer says whether the content is now compressed, never just that it was tried.
    EXPECT_EQ(blob->SetCompressed(true), c.compressed) << c.name;
    EXPECT_EQ(blob->GetCompressed(), c.compressed) << c.name;
    EXPECT_EQ(blob->GetSize(), c.content.size()) << c.name;
    EXPECT_EQ(blob->GetAsBytes(), c.content) << c.name;
    if (c.compressed) {
      EXPECT_LT(blob.Store()->FirstPiece()->UsedBytes, c.content.size()) << c.name;
      EXPECT_EQ(blob.Store()->RawSize(), c.content.size());
      EXPECT_EQ(std::memcmp(blob.Store()->FirstPiece()->Data(), TCompressedBlobData::HeaderGuid,
                            16), 0);
    }
    EXPECT_FALSE(blob->SetCompressed(c.compressed)) << c.name;  // already in that form
  }
}

TEST(CompressedBlob, WholeReadKeepsItCompressedPartialReadDoesNot) {
  CompressedBlob blob;
  const TBytes content = Repetitive(1000);
  blob->SetAsBytes(content);
  ASSERT_TRUE(blob->SetCompressed(true));
  TBytes all(1000);
  EXPECT_EQ(blob->Read(0, 0, all.data()), 1000u);
  EXPECT_EQ(all, content);
  EXPECT_TRUE(blob->GetCompressed());
  uint8_t part[10];
  EXPECT_EQ(blob->Read(10, 10, part), 10u);
  EXPECT_EQ(TBytes(part, part + 10), TBytes(content.begin() + 10, content.begin() + 20));
  EXPECT_FALSE(blob->GetCompressed());
  EXPECT_TRUE(blob->SetCompressed(true));
  EXPECT_TRUE(blob->SetCompressed(false));
  EXPECT_EQ(blob->GetAsBytes(), content);
}

TEST(CompressedBlob, WritesToCompressedContent) {
  CompressedBlob blob;
  blob->SetAsBytes(Repetitive(300));
  ASSERT_TRUE(blob->SetCompressed(true));
  // A rewrite of the whole content stays compressed while that pays.
  const TBytes other(300, 'z');
  blob->Write(0, 300, other.data());
  EXPECT_TRUE(blob->GetCompressed());
  EXPECT_EQ(blob->GetAsBytes(), other);
  // Any other write works on the plain form and leaves it plain.
  blob->Write(5, 3, "abc");
  EXPECT_FALSE(blob->GetCompressed());
  TBytes expected = other;
  std::memcpy(expected.data() + 5, "abc", 3);
  EXPECT_EQ(blob->GetAsBytes(), expected);
  // Truncating and resizing compressed content work on its plain form.
  ASSERT_TRUE(blob->SetCompressed(true));
  blob->Truncate(100);
  EXPECT_EQ(blob->GetAsBytes(), TBytes(expected.begin(), expected.begin() + 100));
  ASSERT_TRUE(blob->SetCompressed(true));
  blob->SetSize(120);
  EXPECT_EQ(blob->GetSize(), 120u);
  EXPECT_EQ(blob->GetAsBytes()[119], 0);
}

TEST(CompressedBlob, PlainContentThatLooksCompressedStaysPlain) {
  CompressedBlob blob;
  TBytes lookalike(50, 'x');
  std::memcpy(lookalike.data(), TCompressedBlobData::HeaderGuid, 16);
  const uint8_t hugeSize[4] = {0xFF, 0xFF, 0, 0};  // a huge "uncompressed size"
  std::memcpy(lookalike.data() + 16, hugeSize, 4);
  blob->SetAsBytes(lookalike);
  EXPECT_FALSE(blob->GetCompressed());
  EXPECT_EQ(blob->GetSize(), lookalike.size());
  EXPECT_EQ(blob->GetAsBytes(), lookalike);
  EXPECT_FALSE(blob->SetCompressed(false));
  EXPECT_FALSE(blob.Store()->AdoptCompressedContent());  // no valid stream behind the header
  EXPECT_EQ(blob->GetAsBytes(), lookalike);
}

// Fetched bytes that carry the header are only believed up to what their stream can inflate to:
// a stated size beyond that, or a header cut short, leaves the bytes as they came, and nothing is
// allocated for the size the header claims.
TEST(CompressedBlob, ImplausibleOrTruncatedHeadersStayPlainBytes) {
  CompressedBlob source;
  source->SetAsBytes(Repetitive(500));
  ASSERT_TRUE(source->SetCompressed(true));
  TBlobPiece* piece = source.Store()->FirstPiece();
  const TBytes stream(piece->Data() + 20, piece->Data() + piece->UsedBytes);

  auto withHeader = [](uint32_t size, const TBytes& rest, size_t sizeBytes = 4) {
    TBytes bytes(TCompressedBlobData::HeaderGuid, TCompressedBlobData::HeaderGuid + 16);
    for (size_t i = 0; i < sizeBytes; ++i) bytes.push_back(static_cast<uint8_t>(size >> (8 * i)));
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
  };
  const TBytes eight = {0x78, 0x9C, 1, 2, 3, 4, 5, 6};
  struct Case {
    const char* name;
    TBytes content;
  } cases[] = {
      {"4 GiB stated, 8 bytes follow", withHeader(0xFFFFFFFFu, eight)},
      {"4 GiB stated over a real stream", withHeader(0xFFFFFFFFu, stream)},
      {"1 GiB stated over a real stream", withHeader(0x40000000u, stream)},
      {"size cut to two bytes", withHeader(0xFFFFFFFFu, {}, 2)},
      {"size and nothing after it", withHeader(0xFFFFFFFFu, {})},
      {"one byte after the size", withHeader(0xFFFFFFFFu, {0x78})},
      {"the identifier alone", withHeader(0, {}, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CompressedBlob fetched;
    fetched->SetAsBytes(c.content);
    EXPECT_FALSE(fetched.Store()->AdoptCompressedContent());
    EXPECT_FALSE(fetched->GetCompressed());
    EXPECT_EQ(fetched->GetSize(), c.content.size());
    EXPECT_EQ(fetched->GetAsBytes(), c.content);
  }
}

TEST(CompressedBlob, FetchedCompressedBytesAreAdoptedOnRequest) {
  // Bytes that another client stored compressed reach the blob as a plain write.
  CompressedBlob source;
  source->SetAsBytes(Repetitive(500));
  ASSERT_TRUE(source->SetCompressed(true));
  TBlobPiece* piece = source.Store()->FirstPiece();
  const TBytes wire(piece->Data(), piece->Data() + piece->UsedBytes);

  CompressedBlob fetched;
  fetched->SetAsBytes(wire);
  EXPECT_EQ(fetched->GetSize(), wire.size());
  EXPECT_TRUE(fetched.Store()->AdoptCompressedContent());
  EXPECT_TRUE(fetched->GetCompressed());
  EXPECT_EQ(fetched->GetAsBytes(), Repetitive(500));
}

TEST(CompressedBlob, CorruptDataRaisesAndKeepsTheContent) {
  CompressedBlob blob;
  blob->SetAsBytes(Repetitive(400));
  ASSERT_TRUE(blob->SetCompressed(true));
  TBlobPiece* piece = blob.Store()->FirstPiece();
  for (uint32_t i = 24; i < piece->UsedBytes; ++i) piece->Data()[i] ^= 0x5A;
  const TBytes corrupted(piece->Data(), piece->Data() + piece->UsedBytes);
  struct Op {
    const char* name;
    std::function<void()> run;
  } ops[] = {
      {"decompress", [&] { blob->SetCompressed(false); }},
      {"whole read", [&] { blob->GetAsBytes(); }},
      {"partial read", [&] { uint8_t b[4]; blob->Read(3, 4, b); }},
  };
  for (Op& op : ops) {
    try {
      op.run();
      FAIL() << op.name;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), u"Invalid compressed blob data") << op.name;
    }
    EXPECT_TRUE(blob->GetCompressed()) << op.name;
    TBlobPiece* now = blob.Store()->FirstPiece();
    EXPECT_EQ(TBytes(now->Data(), now->Data() + now->UsedBytes), corrupted) << op.name;
  }
}

TEST(CompressedBlob, HeaderChecksOfUncompressData) {
  auto* store = new TCompressedBlobData();
  uint8_t out[64];
  uint32_t size = sizeof out;
  store->TLxBlobData::Write(0, 20, std::string(20, 'x').data());
  try {
    store->UncompressData(out, size);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Invalid compressed blob size");
  }
  store->TLxBlobData::Write(20, 10, std::string(10, 'y').data());
  try {
    store->UncompressData(out, size);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Invalid compressed blob header");
  }
  store->Free();
}

TEST(CompressedBlob, MissingCompressorIsNamed) {
  CompressedBlob blob;
  blob->SetAsBytes(Repetitive(100));
  const TCompressProc saved = CompressProc;
  CompressProc = nullptr;
  try {
    blob->SetCompressed(true);
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"Compressor function is not linked");
  }
  CompressProc = saved;
  EXPECT_FALSE(blob->GetCompressed());
  EXPECT_EQ(blob->GetAsBytes(), Repetitive(100));
}

TEST(CompressedBlob, RollbackOfCompressedContent) {
  CompressedBlob blob;
  blob->SetAsBytes(Repetitive(200));
  ASSERT_TRUE(blob->SetCompressed(true));
  blob->EnableRollback();
  blob->SetAsAnsiString("new text");
  blob->SetReadRollback(true);
  EXPECT_EQ(blob->GetAsBytes(), Repetitive(200));  // the rollback copy knows it is compressed
  blob->SetReadRollback(false);
  blob->Cancel();
  EXPECT_TRUE(blob->GetCompressed());
  EXPECT_EQ(blob->GetAsBytes(), Repetitive(200));
}

}  // namespace
