// Image file readers and writers. Every reader takes bytes from outside: it checks each size,
// offset and count against the bytes at hand, refuses pictures beyond kMaxImagePixels, and answers
// false for anything truncated or malformed; it never reads past the buffer and never loops
// without consuming input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/Raster.h"
#include "platform/gdi/WinTypes.h"
#include "platform/rtl/Types.h"

enum class TImageFormat { Unknown, Bmp, Png, Jpeg, Gif, Ico, Tiff };

// The format the first bytes announce.
TImageFormat DetectImageFormat(const uint8_t* data, size_t size);

// A BMP file ("BM", file header, DIB header, colour table, rows).
bool DecodeBmpFile(const uint8_t* data, size_t size, TRasterImage& out, int* bitCount = nullptr);
// An icon or cursor file: the image nearest to wantedSize pixels square (0: the largest), DIB or
// PNG; the AND mask of DIB images makes pixels transparent.
bool DecodeIcoFile(const uint8_t* data, size_t size, TRasterImage& out, int wantedSize = 0);
bool DecodePngFile(const uint8_t* data, size_t size, TRasterImage& out);
// Baseline and progressive JPEG, greyscale, RGB and CMYK. A file libjpeg has to warn about
// (truncated, corrupt entropy data) counts as malformed.
bool DecodeJpegFile(const uint8_t* data, size_t size, TRasterImage& out);
// Frame `frame` (from 0) of a GIF, composed over the frames before it as their disposal says;
// frameCount (when given) receives the number of frames.
bool DecodeGifFile(const uint8_t* data, size_t size, int frame, TRasterImage& out, int* frameCount = nullptr);
// The logical screen size of a GIF and each frame's image-descriptor rectangle, read from the
// block structure alone (image data is skipped, not decoded); false for anything that is not a
// GIF whose blocks run complete to the trailer.
struct TGifLayout {
  int ScreenWidth = 0;
  int ScreenHeight = 0;
  std::vector<TRect> Frames;
};
bool ReadGifLayout(const uint8_t* data, size_t size, TGifLayout& out);
// Any of the above by its first bytes.
bool DecodeImageFile(const uint8_t* data, size_t size, TRasterImage& out, TImageFormat* format = nullptr);

// A BMP file of 24 (alpha dropped) or 32 bits a pixel, rows bottom-up.
TBytes EncodeBmpFile(const TRasterImage& image, int bitCount);
// An icon file of 32-bit images with AND masks from their alpha.
TBytes EncodeIcoFile(const std::vector<TRasterImage>& images);
TBytes EncodePngFile(const TRasterImage& image);
// A single-frame GIF: the picture's own colours when it has at most 255 (else a colour cube), and
// pixels under half opacity transparent.
TBytes EncodeGifFile(const TRasterImage& image);
// quality 1..100.
TBytes EncodeJpegFile(const TRasterImage& image, int quality, bool grayscale);
