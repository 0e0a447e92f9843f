// JPEG through libjpeg. Its errors and warnings (truncated or corrupt data) come back by longjmp
// to the one function that sets the jump, which keeps only plain data in its own frame.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/gdi/ImageCodecs.h"

namespace {

struct TErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TErrorManager*>(cinfo->err)->Jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  // A warning about the data itself means damage: the decode fails at once rather than filling in
  // the rest. Warnings about a newer JFIF version or an odd colour profile are harmless.
  int code = cinfo->err->msg_code;
  if (code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM || code == JWRN_BOGUS_ICC) return;
  std::longjmp(reinterpret_cast<TErrorManager*>(cinfo->err)->Jump, 1);
}

void Silent(j_common_ptr) {}

constexpr long kMaxMemory = 512L * 1024 * 1024;

// Fills out (already sized by the caller's header check) from the decompressor; false on any error.
bool Decompress(const uint8_t* data, size_t size, TRasterImage* out) {
  jpeg_decompress_struct cinfo;
  TErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.Base);
  errors.Base.error_exit = OnError;
  errors.Base.emit_message = OnMessage;
  errors.Base.output_message = Silent;
  JSAMPLE* volatile row = nullptr;
  if (setjmp(errors.Jump) != 0) {
    delete[] row;
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxMemory;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  // Every 8 x 8 block of every component takes a few bits at the least.
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK ||
      !ImageSizePlausible(cinfo.image_width, cinfo.image_height, size, 1024)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  int width = static_cast<int>(cinfo.output_width), height = static_cast<int>(cinfo.output_height);
  int components = cinfo.output_components;
  out->Resize(width, height);
  row = new JSAMPLE[static_cast<size_t>(width) * components];
  while (cinfo.output_scanline < cinfo.output_height) {
    int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW rows[1] = {row};
    if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
    uint32_t* dst = &out->At(0, y);
    for (int x = 0; x < width; ++x) {
      const JSAMPLE* s = row + static_cast<size_t>(x) * components;
      uint32_t r, g, b;
      if (components == 4) {
        // Adobe's CMYK JPEGs store the inks inverted: the samples are already 255 - ink.
        r = s[0] * s[3] / 255, g = s[1] * s[3] / 255, b = s[2] * s[3] / 255;
      } else if (components == 3) {
        r = s[0], g = s[1], b = s[2];
      } else {
        r = g = b = s[0];
      }
      dst[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
  bool complete = cinfo.output_scanline == cinfo.output_height;
  if (complete) jpeg_finish_decompress(&cinfo);
  bool clean = complete && errors.Base.num_warnings == 0;
  delete[] row;
  row = nullptr;
  jpeg_destroy_decompress(&cinfo);
  return clean;
}

bool Compress(const TRasterImage* image, int quality, bool grayscale, TBytes* out) {
  jpeg_compress_struct cinfo;
  TErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.Base);
  errors.Base.error_exit = OnError;
  errors.Base.output_message = Silent;
  unsigned char* volatile buffer = nullptr;
  unsigned long length = 0;
  JSAMPLE* volatile row = nullptr;
  if (setjmp(errors.Jump) != 0) {
    delete[] row;
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return false;
  }
  jpeg_create_compress(&cinfo);
  unsigned char* dest = nullptr;
  jpeg_mem_dest(&cinfo, &dest, &length);
  cinfo.image_width = static_cast<JDIMENSION>(image->Width);
  cinfo.image_height = static_cast<JDIMENSION>(image->Height);
  cinfo.input_components = grayscale ? 1 : 3;
  cinfo.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  row = new JSAMPLE[static_cast<size_t>(image->Width) * 3];
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint32_t* src = image->Argb.data() + static_cast<size_t>(cinfo.next_scanline) * image->Width;
    for (int x = 0; x < image->Width; ++x) {
      uint32_t p = src[x];
      uint8_t r = static_cast<uint8_t>(p >> 16), g = static_cast<uint8_t>(p >> 8), b = static_cast<uint8_t>(p);
      if (grayscale) {
        row[x] = static_cast<JSAMPLE>((r * 299 + g * 587 + b * 114 + 500) / 1000);
      } else {
        row[3 * x] = r, row[3 * x + 1] = g, row[3 * x + 2] = b;
      }
    }
    JSAMPROW rows[1] = {row};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  buffer = dest;
  out->assign(dest, dest + length);
  delete[] row;
  row = nullptr;
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return true;
}

}  // namespace

bool DecodeJpegFile(const uint8_t* data, size_t size, TRasterImage& out) {
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  TRasterImage image;
  if (!Decompress(data, size, &image)) return false;
  out = std::move(image);
  return true;
}

TBytes EncodeJpegFile(const TRasterImage& image, int quality, bool grayscale) {
  TBytes out;
  if (image.Empty()) return out;
  if (!Compress(&image, quality, grayscale, &out)) out.clear();
  return out;
}
