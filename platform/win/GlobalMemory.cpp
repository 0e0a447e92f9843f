#include "platform/win/GlobalMemory.h"

#include <cstring>
#include <new>
#include <vector>

struct TGlobalBlock {
  std::vector<uint8_t> Data;
  int Locks = 0;
};

namespace {
// A block larger than this is refused rather than attempted.
constexpr size_t MaxBlock = size_t{1} << 31;
}  // namespace

HGLOBAL GlobalAlloc(UINT, size_t bytes) {
  if (bytes > MaxBlock) return nullptr;
  auto* block = new (std::nothrow) TGlobalBlock;
  if (!block) return nullptr;
  try {
    block->Data.assign(bytes, 0);
  } catch (const std::bad_alloc&) {
    delete block;
    return nullptr;
  }
  return block;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  delete block;
  return nullptr;
}

void* GlobalLock(HGLOBAL block) {
  if (!block) return nullptr;
  ++block->Locks;
  // A zero-sized block still locks to a valid address.
  if (block->Data.empty()) block->Data.reserve(1);
  return block->Data.data();
}

bool GlobalUnlock(HGLOBAL block) {
  if (!block || block->Locks == 0) return false;
  --block->Locks;
  return block->Locks > 0;
}

size_t GlobalSize(HGLOBAL block) { return block ? block->Data.size() : 0; }

HGLOBAL GlobalFromBytes(const void* data, size_t size) {
  HGLOBAL block = GlobalAlloc(GHND, size);
  if (block && size) std::memcpy(block->Data.data(), data, size);
  return block;
}
