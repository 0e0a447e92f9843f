// Blobs made in one block with their store and first piece: every way the three parts can part
// company must leave the content readable while any of them is held, and give the block back
// exactly once, after the last. The pool's live count shows the block is gone; the sanitizer
// build reports a part used after its death or a block given back early.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Common/MemData_Arena.h"
#include "Common/MemData_Blob.h"
#include "Common/MemUtils.h"
#include "platform/rtl/Exceptions.h"

namespace {

// A pool detached at the end: a value still held then would be reported as a leak.
struct Pool {
  Pool() : pool(TValuePool::Create()) {}
  ~Pool() { pool->Detach(); }
  TValuePool* pool;
};

// A carved blob filled as the row converter fills one, rollback on.
TBlob* Carved(TValuePool* pool, const std::string& text, bool compressed = false,
              uint32_t capacity = 0) {
  TBlob* blob = TBlob::CreateCarved(pool, compressed, false,
                                    capacity ? capacity : static_cast<uint32_t>(text.size()));
  std::memcpy(blob->GetFirstPiece()->Data(), text.data(), text.size());
  blob->FinishCarved(static_cast<uint32_t>(text.size()));
  blob->SetRollbackEnabled(true);
  return blob;
}

std::string Content(TBlob* blob) { return blob->GetAsAnsiString(); }

void WriteText(TBlob* blob, uint32_t position, const std::string& text) {
  blob->Write(position, static_cast<uint32_t>(text.size()), text.data());
}

TEST(CarvedBlob, BehavesAsAWrittenBlob) {
  Pool p;
  struct Case {
    const char* name;
    std::function<void(TBlob*)> change;
    std::string expected;
  } cases[] = {
      {"read as filled", [](TBlob*) {}, "white stork"},
      {"overwritten in place", [](TBlob* b) { WriteText(b, 6, "STORK"); }, "white STORK"},
      {"grown beyond its first piece",
       [](TBlob* b) { WriteText(b, 11, std::string(70000, 'x')); },
       "white stork" + std::string(70000, 'x')},
      {"truncated", [](TBlob* b) { b->Truncate(5); }, "white"},
      {"cleared", [](TBlob* b) { b->Clear(); }, ""},
      {"defragmented after growing",
       [](TBlob* b) {
         WriteText(b, 11, "s and black storks");
         b->Defrag();
       },
       "white storks and black storks"},
      {"line ends added", [](TBlob* b) { WriteText(b, 5, "\n"); b->AddCarriageReturns(); },
       "white\r\nstork"},
      {"made whole again by Assign",
       [](TBlob* b) {
         TBlob* other = new TBlob();
         other->SetAsAnsiString("grey heron");
         b->Assign(*other);
         other->Free();
       },
       "grey heron"},
  };
  for (const Case& c : cases) {
    TBlob* blob = Carved(p.pool, "white stork");
    blob->SetRollbackEnabled(false);
    c.change(blob);
    EXPECT_EQ(Content(blob), c.expected) << c.name;
    EXPECT_EQ(blob->GetSize(), c.expected.size()) << c.name;
    blob->Free();
    EXPECT_EQ(p.pool->LiveCount(), 0u) << c.name;
  }
}

// The parts die in every order the blob's own operations allow.
TEST(CarvedBlob, PartsOutliveEachOtherAndTheBlockGoesBackOnce) {
  Pool p;
  struct Case {
    const char* name;
    std::function<void(TValuePool*)> run;
  } cases[] = {
      {"rollback kept, then cancelled: the carved piece comes back",
       [](TValuePool* pool) {
         TBlob* blob = Carved(pool, "before");
         WriteText(blob, 0, "AFTER!");  // the carved piece moves to the rollback copy
         EXPECT_EQ(Content(blob), "AFTER!");
         blob->SetReadRollback(true);
         EXPECT_EQ(Content(blob), "before");
         blob->SetReadRollback(false);
         blob->Cancel();  // the carved store dies, its piece lives on in the rollback store
         EXPECT_EQ(Content(blob), "before");
         blob->Free();
       }},
      {"rollback committed: the carved piece dies with the rollback copy",
       [](TValuePool* pool) {
         TBlob* blob = Carved(pool, "before");
         WriteText(blob, 0, "after!");
         blob->Commit();
         EXPECT_EQ(Content(blob), "after!");
         blob->Free();
       }},
      {"the store held by another blob outlives the carved blob",
       [](TValuePool* pool) {
         TBlob* blob = Carved(pool, "shared bytes");
         TBlob* other = new TBlob();
         other->SetStore(blob->Store());
         blob->Free();
         EXPECT_EQ(Content(other), "shared bytes");
         WriteText(other, 12, " grown beyond the carve");
         EXPECT_EQ(Content(other), "shared bytes grown beyond the carve");
         other->Free();
       }},
      {"the piece shrunk to its content leaves the carve first",
       [](TValuePool* pool) {
         TBlob* blob = Carved(pool, "tern", false, 64);
         TBlobPiece* piece = blob->GetFirstPiece();
         blob->Store()->TrimPiece(piece);
         EXPECT_NE(blob->GetFirstPiece(), piece);
         EXPECT_EQ(Content(blob), "tern");
         blob->Free();
       }},
      {"compressed and back, then rolled back",
       [](TValuePool* pool) {
         const std::string text(400, 'q');
         TBlob* blob = Carved(pool, text, true);
         auto* compressed = static_cast<TCompressedBlob*>(blob);
         blob->SetRollbackEnabled(false);
         EXPECT_TRUE(compressed->SetCompressed(true));
         EXPECT_EQ(Content(blob), text);
         EXPECT_TRUE(compressed->SetCompressed(false));
         blob->SetRollbackEnabled(true);
         WriteText(blob, 0, "changed");
         blob->Cancel();
         EXPECT_EQ(Content(blob), text);
         blob->Free();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.run(p.pool);
    EXPECT_EQ(p.pool->LiveCount(), 0u);
  }
}

TEST(CarvedBlob, UnusedRoomOfTheLatestCarveGoesBack) {
  Pool p;
  TBlob* first = Carved(p.pool, "ab", false, 400);
  EXPECT_EQ(first->GetFirstPiece()->Capacity, 2u);  // the latest carve gave its tail back
  TBlob* second = Carved(p.pool, "cd", false, 400);
  // Both carves are whole and apart: writing one to its capacity leaves the other alone.
  WriteText(first, 0, "AB");
  EXPECT_EQ(Content(second), "cd");
  EXPECT_EQ(Content(first), "AB");
  first->Free();
  // The block of the first goes back to its size class and serves the next carve of that class,
  // which cannot give room back: it is not the latest.
  TBlob* third = Carved(p.pool, "ef", false, 2);
  EXPECT_EQ(Content(third), "ef");
  EXPECT_EQ(Content(second), "cd");
  second->Free();
  third->Free();
  EXPECT_EQ(p.pool->LiveCount(), 0u);
}

// A store that is closed lets go of its pool; a blob fetched into it and still held keeps the
// pool alive until it is freed, whatever part goes last.
TEST(CarvedBlob, OutlivesTheStoreThatReleasedItsPool) {
  TValuePool* pool = TValuePool::Create();
  TBlob* blob = Carved(pool, "kept after close");
  WriteText(blob, 0, "KEPT");  // the carved piece is now the rollback copy's
  pool->Detach();
  EXPECT_EQ(Content(blob), "KEPT after close");
  blob->Cancel();
  EXPECT_EQ(Content(blob), "kept after close");
  blob->Free();  // the last part: the pool goes with it (a leak otherwise)
}

TEST(CarvedBlob, MisuseIsRefused) {
  Pool p;
  EXPECT_THROW(TBlob::CreateCarved(p.pool, false, false, 0), EAssertionFailed);
  TBlob* plain = new (p.pool) TBlob();
  EXPECT_THROW(plain->FinishCarved(0), EAssertionFailed);
  plain->Free();
  TBlob* blob = Carved(p.pool, "abc", false, 8);
  EXPECT_THROW(blob->FinishCarved(100), EAssertionFailed);  // more than the piece holds
  blob->Free();
  EXPECT_EQ(p.pool->LiveCount(), 0u);
}

}  // namespace
