// Every image reader on arbitrary bytes: BMP, icons, PNG, JPEG and GIF (every frame). Seed it
// with tests/platform/gdi/fixtures.
#include <cstddef>
#include <cstdint>

#include "platform/gdi/ImageCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TRasterImage image;
  int frames = 0;
  DecodeBmpFile(data, size, image);
  DecodeIcoFile(data, size, image, 16);
  DecodePngFile(data, size, image);
  DecodeJpegFile(data, size, image);
  if (DecodeGifFile(data, size, 0, image, &frames)) {
    for (int frame = 1; frame < frames && frame < 8; ++frame) DecodeGifFile(data, size, frame, image);
  }
  DecodeImageFile(data, size, image);
  return 0;
}
