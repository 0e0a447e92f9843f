#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Common/MemData_Storage.h"
#include "platform/rtl/Exceptions.h"

namespace {

TEST(StringHeap, SizeClassesAtTheirBoundaries) {
  struct Case {
    int32_t request;
    int32_t usable;
    bool large;
  } cases[] = {
      {1, 8, false}, {8, 8, false}, {9, 16, false}, {1999, 2000, false},
      {2000, 2000, false},  // the biggest size class
      {2001, 2001, true},   // allocated by itself
  };
  for (const Case& c : cases) {
    TStringHeap heap;
    uint8_t* buf = heap.NewBuf(c.request);
    ASSERT_NE(buf, nullptr) << c.request;
    EXPECT_EQ(TStringHeap::BufSize(buf), c.usable) << c.request;
    EXPECT_EQ(TStringHeap::BufRefWord(buf), 101) << c.request;
    EXPECT_EQ(heap.LargeAllocated(), c.large) << c.request;
    std::memset(buf, 0x5A, static_cast<size_t>(c.request));  // the whole request is writable
    heap.DisposeBuf(buf);
  }
}

TEST(StringHeap, NothingBelowOneByte) {
  TStringHeap heap;
  EXPECT_EQ(heap.NewBuf(0), nullptr);
  EXPECT_EQ(heap.NewBuf(-5), nullptr);
  EXPECT_TRUE(heap.Empty());
  heap.NewBuf(1);
  EXPECT_FALSE(heap.Empty());
}

TEST(StringHeap, DisposedBuffersAreReusedByTheirClass) {
  TStringHeap heap;
  uint8_t* a = heap.NewBuf(20);  // class 3
  uint8_t* b = heap.NewBuf(40);  // class 5
  heap.DisposeBuf(a);
  EXPECT_EQ(TStringHeap::BufRefWord(a), TStringHeap::RefFree);
  EXPECT_NE(heap.NewBuf(100), a);  // another class does not take it
  EXPECT_EQ(heap.NewBuf(17), a);  // class 3 again: the freed buffer
  EXPECT_EQ(TStringHeap::BufRefWord(a), 101);
  heap.DisposeBuf(b);
  EXPECT_EQ(heap.NewBuf(33), b);
}

TEST(StringHeap, SharedBufferSurvivesOneRelease) {
  TStringHeap heap;
  char* text = heap.AllocStr("shared");
  heap.AddRefStr(text);
  EXPECT_EQ(TStringHeap::BufRefWord(text), 102);
  heap.DisposeBuf(text);
  EXPECT_EQ(TStringHeap::BufRefWord(text), 101);
  EXPECT_STREQ(text, "shared");
  heap.DisposeBuf(text);
  EXPECT_EQ(TStringHeap::BufRefWord(text), 100);
}

TEST(StringHeap, ReferenceWordChecksAreAssertions) {
  TStringHeap heap;
  char* text = heap.AllocStr("x");
  heap.DisposeBuf(text);
  try {
    heap.DisposeBuf(text);
    FAIL() << "a second release of a free buffer must fail";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(String(e.Message()).rfind(u"DisposeBuf failed (", 0), 0u);
  }
  EXPECT_THROW(heap.AddRefStr(text), EAssertionFailed);
  heap.DisposeBuf(nullptr);  // nil is ignored
  heap.AddRefStr(nullptr);
}

TEST(StringHeap, TextCopiesAreTerminatedAndTrimmedOnRequest) {
  TStringHeap heap;
  EXPECT_EQ(heap.AllocStr(nullptr), nullptr);
  EXPECT_STREQ(heap.AllocStr("abc  "), "abc  ");
  EXPECT_STREQ(heap.AllocStr("abc  ", true), "abc");
  EXPECT_STREQ(heap.AllocStr("abcdef", false, 3), "abc");
  char16_t* wide = heap.AllocWideStr(u"Жаба  ", true);
  EXPECT_EQ(std::u16string(wide), u"Жаба");
  EXPECT_EQ(TStringHeap::BufSize(wide), 16);  // 2 x 4 + 2 = 10 bytes, class 2
  EXPECT_EQ(std::u16string(heap.AllocWideStr(u"")), u"");
}

TEST(StringHeap, FillingManyBlocksKeepsEveryValueIntact) {
  // Sizes that do not divide a block leave rests that become free buffers of smaller classes.
  TStringHeap heap;
  std::vector<std::pair<uint8_t*, int>> bufs;
  for (int i = 0; i < 5000; ++i) {
    const int size = 1 + (i * 37) % 700;
    uint8_t* buf = heap.NewBuf(size);
    std::memset(buf, i & 0xFF, static_cast<size_t>(size));
    bufs.emplace_back(buf, size);
  }
  for (int i = 0; i < 5000; ++i) {
    auto [buf, size] = bufs[static_cast<size_t>(i)];
    ASSERT_GE(TStringHeap::BufSize(buf), size);
    for (int j = 0; j < size; ++j) ASSERT_EQ(buf[j], i & 0xFF) << i;
  }
  for (auto [buf, size] : bufs) heap.DisposeBuf(buf);
  heap.Clear();
  EXPECT_TRUE(heap.Empty());
  EXPECT_FALSE(heap.LargeAllocated());
}

TEST(StringHeap, ClearFreesLargeBuffersToo) {
  // LeakSanitizer checks that nothing stays allocated.
  TStringHeap heap;
  heap.NewBuf(5000);
  heap.NewBuf(10);
  EXPECT_TRUE(heap.LargeAllocated());
  heap.Clear();
  EXPECT_FALSE(heap.LargeAllocated());
}

}  // namespace
