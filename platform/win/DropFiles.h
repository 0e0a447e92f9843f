// The file list that a drag or the clipboard carries as CF_HDROP: a DROPFILES record, then the
// names, each zero-terminated, the list ended by an empty name. The record says where the names
// begin and whether they are UTF-16 ("wide") or in the code page (UTF-8 here).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/win/GlobalMemory.h"
#include "platform/win/WinDefs.h"

struct DROPFILES {
  DWORD pFiles = sizeof(DROPFILES);  // offset of the first name from the record's start
  TPoint pt;                         // where the drop happened (unused by readers here)
  int32_t fNC = 0;
  int32_t fWide = 0;
};
static_assert(sizeof(DROPFILES) == 20, "the record has the layout other programs write");

// A new block listing the names as UTF-16.
HGLOBAL MakeDropFiles(const std::vector<String>& names);
// The names of a block. A block from another program is not trusted: an offset beyond the block
// gives no names, and a name (or a list) that runs to the block's end without its terminator is
// cut there.
std::vector<String> ReadDropFiles(const void* data, size_t size);
std::vector<String> ReadDropFiles(HGLOBAL block);
