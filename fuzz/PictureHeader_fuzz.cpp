// The picture header readers (the size a file announces before it is decoded) on arbitrary bytes,
// under every extension. Seed it with tests/platform/gdi/fixtures.
#include <cstddef>
#include <cstdint>

#include "controls/graphics/AdvGDIP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const char16_t* ext : {u"jpg", u"png", u"bmp", u"tif", u"gif"}) {
    TImageHeaderSize header = ReadImageHeaderSize(data, size, ext);
    if (header.Width > 32768 || header.Height > 32768) __builtin_trap();
  }
  return 0;
}
