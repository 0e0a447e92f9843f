// Movable memory blocks as the clipboard and drag and drop pass data in them: allocate, lock to
// get the bytes, unlock, free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win/WinDefs.h"

struct TGlobalBlock;
using HGLOBAL = TGlobalBlock*;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// A block of the size, zero-filled; nullptr when the size is beyond reason.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
// Frees a block; answers nullptr on success and the block itself on failure.
HGLOBAL GlobalFree(HGLOBAL block);
void* GlobalLock(HGLOBAL block);
bool GlobalUnlock(HGLOBAL block);
size_t GlobalSize(HGLOBAL block);
// A new block holding a copy of the bytes.
HGLOBAL GlobalFromBytes(const void* data, size_t size);
