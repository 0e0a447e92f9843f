// The string heap: small by-reference values in 8-byte size classes, carved from 16 KB blocks.
#include <cstdlib>
#include <cstring>
#include <new>

#include "Common/MemData_Storage.h"
#include "platform/rtl/Exceptions.h"

struct TStringHeap::Block {
  Block* Prev;
  uint8_t Data[BlockDataSize];
};

// Buffers larger than the biggest size class are allocated one by one; the heap keeps them on a
// list so that clearing it frees them too.
struct TStringHeap::LargeHeader {
  LargeHeader* Prev;
  LargeHeader* Next;
};

namespace {

constexpr int32_t MaxSmallSize = 8 * TStringHeap::SmallClassCount;  // 2,000 bytes
constexpr uint16_t RefOneHolder = TStringHeap::RefFree + 1;

void SetWords(uint8_t* buf, int32_t size, uint16_t ref) {
  std::memcpy(buf - 6, &size, sizeof size);
  std::memcpy(buf - 2, &ref, sizeof ref);
}

void SetRefWord(uint8_t* buf, uint16_t ref) { std::memcpy(buf - 2, &ref, sizeof ref); }

// Free buffers keep the next free buffer of their class in their first bytes.
uint8_t* LoadLink(const uint8_t* buf) {
  uint8_t* next;
  std::memcpy(&next, buf, sizeof next);
  return next;
}

void StoreLink(uint8_t* buf, uint8_t* next) { std::memcpy(buf, &next, sizeof next); }

}  // namespace

TStringHeap::~TStringHeap() {
  FEmpty = false;
  Clear();
}

int32_t TStringHeap::BufSize(const void* buf) {
  int32_t size;
  std::memcpy(&size, static_cast<const uint8_t*>(buf) - 6, sizeof size);
  return size;
}

uint16_t TStringHeap::BufRefWord(const void* buf) {
  uint16_t ref;
  std::memcpy(&ref, static_cast<const uint8_t*>(buf) - 2, sizeof ref);
  return ref;
}

void TStringHeap::NewBlock() {
  auto* block = static_cast<Block*>(FArena.Allocate(sizeof(Block)));
  block->Prev = FCurrentBlock;
  FCurrentBlock = block;
  FFree = BlockDataSize;
}

void TStringHeap::PushFree(uint8_t* buf, int sizeClass) {
  StoreLink(buf, FSmallTab[sizeClass]);
  FSmallTab[sizeClass] = buf;
}

uint8_t* TStringHeap::CarveSmall(int sizeClass) {
  const int32_t need = 8 * sizeClass + HeaderSize;
  if (!FCurrentBlock || FFree < need) {
    // What is left of the block becomes a free buffer of the class that fits in it.
    const int restClass = (FFree - HeaderSize) / 8;
    if (FCurrentBlock && restClass >= 1) {
      uint8_t* rest = FCurrentBlock->Data + (BlockDataSize - FFree) + HeaderSize;
      SetWords(rest, 8 * restClass, RefFree);
      PushFree(rest, restClass);
    }
    NewBlock();
  }
  uint8_t* buf = FCurrentBlock->Data + (BlockDataSize - FFree) + HeaderSize;
  int32_t size = 8 * sizeClass;
  FFree -= need;
  if (FFree < 8 + HeaderSize) {
    // Too little left for any buffer: the last one takes it, and the next request starts a block.
    const int32_t extra = FFree / 8 * 8;
    if (size + extra <= MaxSmallSize) size += extra;
    FFree = 0;
  }
  SetWords(buf, size, RefOneHolder);
  return buf;
}

uint8_t* TStringHeap::NewBuf(int32_t size) {
  if (size < 1) return nullptr;
  FEmpty = false;
  const int32_t sizeClass = (size + 7) / 8;
  if (sizeClass <= SmallClassCount) {
    if (uint8_t* buf = FSmallTab[sizeClass]) {
      FSmallTab[sizeClass] = LoadLink(buf);
      SetRefWord(buf, RefOneHolder);
      return buf;
    }
    return CarveSmall(sizeClass);
  }
  auto* large = static_cast<LargeHeader*>(
      std::malloc(sizeof(LargeHeader) + HeaderSize + static_cast<size_t>(size)));
  if (!large) throw std::bad_alloc();
  large->Prev = nullptr;
  large->Next = FLargeList;
  if (FLargeList) FLargeList->Prev = large;
  FLargeList = large;
  uint8_t* buf = reinterpret_cast<uint8_t*>(large) + sizeof(LargeHeader) + HeaderSize;
  SetWords(buf, size, RefOneHolder);
  FLargeAllocated = true;
  return buf;
}

void TStringHeap::DisposeBuf(void* p) {
  if (!p) return;
  auto* buf = static_cast<uint8_t*>(p);
  const uint16_t ref = BufRefWord(buf);
  RTL_ASSERT(ref > RefFree, u"DisposeBuf failed");
  if (ref > RefOneHolder) {
    SetRefWord(buf, ref - 1);
    return;
  }
  const int32_t size = BufSize(buf);
  RTL_ASSERT(size >= 1, u"SmallTab in DisposeBuf failed");
  if (size <= MaxSmallSize) {
    SetRefWord(buf, RefFree);
    PushFree(buf, size / 8);
    return;
  }
  auto* large = reinterpret_cast<LargeHeader*>(buf - HeaderSize - sizeof(LargeHeader));
  if (large->Prev)
    large->Prev->Next = large->Next;
  else
    FLargeList = large->Next;
  if (large->Next) large->Next->Prev = large->Prev;
  std::free(large);
}

void TStringHeap::AddRefStr(void* p) {
  if (!p) return;
  auto* buf = static_cast<uint8_t*>(p);
  const uint16_t ref = BufRefWord(buf);
  RTL_ASSERT(ref > RefFree, u"AddRefStr failed");
  SetRefWord(buf, ref + 1);
}

void TStringHeap::Clear() {
  if (FEmpty) return;
  FCurrentBlock = nullptr;
  FArena.Release();
  while (FLargeList) {
    LargeHeader* next = FLargeList->Next;
    std::free(FLargeList);
    FLargeList = next;
  }
  std::memset(FSmallTab, 0, sizeof FSmallTab);
  FFree = 0;
  FEmpty = true;
  FLargeAllocated = false;
}

char* TStringHeap::AllocStr(const char* text, bool trim, int32_t len) {
  if (!text) return nullptr;
  if (len < 0) len = static_cast<int32_t>(std::strlen(text));
  if (trim)
    while (len > 0 && (text[len - 1] == ' ' || text[len - 1] == '\0')) --len;
  auto* buf = reinterpret_cast<char*>(NewBuf(len + 1));
  std::memcpy(buf, text, static_cast<size_t>(len));
  buf[len] = '\0';
  return buf;
}

char16_t* TStringHeap::AllocWideStr(const char16_t* text, bool trim, int32_t len) {
  if (!text) return nullptr;
  if (len < 0) len = static_cast<int32_t>(std::char_traits<char16_t>::length(text));
  if (trim)
    while (len > 0 && (text[len - 1] == u' ' || text[len - 1] == u'\0')) --len;
  auto* buf = reinterpret_cast<char16_t*>(NewBuf(2 * len + 2));
  std::memcpy(buf, text, 2 * static_cast<size_t>(len));
  buf[len] = u'\0';
  return buf;
}
