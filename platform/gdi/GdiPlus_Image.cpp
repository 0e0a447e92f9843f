// Images, bitmaps and image attributes of the GDI+ flat API, and drawing images.
#include <cairo.h>

#include <cmath>
#include <cstring>

#include "platform/gdi/GdiPlusObjects.h"
#include "platform/gdi/ImageCodecs.h"
#include "platform/gdi/RasterDraw.h"

namespace {

GpPixelFormat BmpPixelFormat(int bits, const TRasterImage& image) {
  switch (bits) {
    case 1: return PixelFormat1bppIndexed;
    case 4: return PixelFormat4bppIndexed;
    case 8: return PixelFormat8bppIndexed;
    case 16: return PixelFormat16bppRGB555;
    case 24: return PixelFormat24bppRGB;
    default: return image.HasTransparency() ? PixelFormat32bppARGB : PixelFormat32bppRGB;
  }
}

GpPixelFormat PngPixelFormat(const TBytes& data) {
  switch (data.size() > 25 ? data[25] : 6) {
    case 0: case 3: return PixelFormat8bppIndexed;
    case 2: return PixelFormat24bppRGB;
    default: return PixelFormat32bppARGB;
  }
}

// Decodes any supported file into a new image; null for unknown or damaged data.
template <class T>
T* Decode(const TBytes& data) {
  TRasterImage image;
  GUID format;
  GpPixelFormat pixels;
  switch (DetectImageFormat(data.data(), data.size())) {
    case TImageFormat::Bmp: {
      int bits = 0;
      if (!DecodeBmpFile(data.data(), data.size(), image, &bits)) return nullptr;
      format = ImageFormatBMP;
      pixels = BmpPixelFormat(bits, image);
      break;
    }
    case TImageFormat::Png:
      if (!DecodePngFile(data.data(), data.size(), image)) return nullptr;
      format = ImageFormatPNG;
      pixels = PngPixelFormat(data);
      break;
    case TImageFormat::Jpeg:
      if (!DecodeJpegFile(data.data(), data.size(), image)) return nullptr;
      format = ImageFormatJPEG;
      pixels = PixelFormat24bppRGB;
      break;
    case TImageFormat::Gif:
      if (!DecodeGifFile(data.data(), data.size(), 0, image)) return nullptr;
      format = ImageFormatGIF;
      pixels = PixelFormat8bppIndexed;
      break;
    case TImageFormat::Ico:
      if (!DecodeIcoFile(data.data(), data.size(), image)) return nullptr;
      format = ImageFormatIcon;
      pixels = PixelFormat32bppARGB;
      break;
    default: return nullptr;
  }
  auto* made = new T;
  made->Surface = RasterToSurface(image);
  made->RawFormat = format;
  made->PixelFormat = pixels;
  return made;
}

template <class T>
GpStatus Load(IStream* stream, T** out) {
  if (stream == nullptr || out == nullptr) return InvalidParameter;
  *out = nullptr;
  // The stream is held only while it is read.
  stream->AddRef();
  TBytes data;
  bool read = ReadWholeStream(stream, data);
  stream->Release();
  if (!read) return Win32Error;
  *out = Decode<T>(data);
  return *out != nullptr ? Ok : UnknownImageFormat;
}

uint32_t* PixelAt(GpImage* image, int x, int y) {
  auto* data = cairo_image_surface_get_data(image->Surface);
  int stride = cairo_image_surface_get_stride(image->Surface);
  return reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride) + x;
}

// The image's pixels with the colour key's range made transparent.
cairo_surface_t* KeyedCopy(GpImage* image, const GpImageAttributes& attributes) {
  TRasterImage raster = SurfaceToRaster(image->Surface);
  auto inRange = [&](uint32_t p) {
    for (int shift : {16, 8, 0}) {
      uint32_t v = (p >> shift) & 0xFF;
      if (v < ((attributes.KeyLow >> shift) & 0xFF) || v > ((attributes.KeyHigh >> shift) & 0xFF)) return false;
    }
    return true;
  };
  for (uint32_t& p : raster.Argb) {
    if ((p >> 24) != 0 && inRange(p)) p = 0;
  }
  return RasterToSurface(raster);
}

}  // namespace

GpImage::~GpImage() {
  if (Surface != nullptr) cairo_surface_destroy(Surface);
}

int GpImage::Width() const { return Surface == nullptr ? 0 : cairo_image_surface_get_width(Surface); }
int GpImage::Height() const { return Surface == nullptr ? 0 : cairo_image_surface_get_height(Surface); }

GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image) { return Load(stream, image); }
GpStatus GdipLoadImageFromStreamICM(IStream* stream, GpImage** image) { return Load(stream, image); }
GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) { return Load(stream, bitmap); }
GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap) { return Load(stream, bitmap); }

GpStatus GdipCreateBitmapFromScan0(int32_t width, int32_t height, int32_t stride, GpPixelFormat format,
                                   const uint8_t* scan0, GpBitmap** bitmap) {
  if (bitmap == nullptr || !ImageSizeAcceptable(width, height)) return InvalidParameter;
  int bytesPerPixel = format == PixelFormat24bppRGB ? 3 : 4;
  bool known = format == PixelFormat24bppRGB || format == PixelFormat32bppRGB || format == PixelFormat32bppARGB ||
               format == PixelFormat32bppPARGB;
  if (scan0 != nullptr && (!known || std::abs(static_cast<int64_t>(stride)) < int64_t(width) * bytesPerPixel)) {
    return InvalidParameter;
  }
  auto* made = new GpBitmap;
  made->Surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  made->PixelFormat = format;
  if (scan0 != nullptr) {
    cairo_surface_flush(made->Surface);
    for (int y = 0; y < height; ++y) {
      const uint8_t* row = scan0 + static_cast<int64_t>(y) * stride;
      for (int x = 0; x < width; ++x) {
        const uint8_t* s = row + x * bytesPerPixel;
        uint32_t a = format == PixelFormat32bppARGB || format == PixelFormat32bppPARGB ? s[3] : 255;
        uint32_t r = s[2], g = s[1], b = s[0];
        if (format == PixelFormat32bppARGB && a < 255) {
          r = (r * a + 127) / 255, g = (g * a + 127) / 255, b = (b * a + 127) / 255;
        }
        *PixelAt(made, x, y) = (a << 24) | (std::min(r, a) << 16) | (std::min(g, a) << 8) | std::min(b, a);
      }
    }
    cairo_surface_mark_dirty(made->Surface);
  }
  *bitmap = made;
  return Ok;
}

GpStatus GdipDisposeImage(GpImage* image) {
  if (image == nullptr) return InvalidParameter;
  delete image;
  return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, uint32_t* width) {
  if (image == nullptr || width == nullptr) return InvalidParameter;
  *width = static_cast<uint32_t>(image->Width());
  return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, uint32_t* height) {
  if (image == nullptr || height == nullptr) return InvalidParameter;
  *height = static_cast<uint32_t>(image->Height());
  return Ok;
}

GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format) {
  if (image == nullptr || format == nullptr) return InvalidParameter;
  *format = image->RawFormat;
  return Ok;
}

GpStatus GdipGetImagePixelFormat(GpImage* image, GpPixelFormat* format) {
  if (image == nullptr || format == nullptr) return InvalidParameter;
  *format = image->PixelFormat;
  return Ok;
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, int32_t x, int32_t y, ARGB* color) {
  if (bitmap == nullptr || color == nullptr || x < 0 || y < 0 || x >= bitmap->Width() || y >= bitmap->Height()) {
    return InvalidParameter;
  }
  cairo_surface_flush(bitmap->Surface);
  uint32_t p = *PixelAt(bitmap, x, y), a = p >> 24;
  if (a == 0 || a == 255) {
    *color = a == 0 ? 0 : p;
    return Ok;
  }
  auto unmultiply = [&](int shift) { return std::min<uint32_t>(255, (((p >> shift) & 0xFF) * 255 + a / 2) / a); };
  *color = (a << 24) | (unmultiply(16) << 16) | (unmultiply(8) << 8) | unmultiply(0);
  return Ok;
}

GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, int32_t x, int32_t y, ARGB color) {
  if (bitmap == nullptr || x < 0 || y < 0 || x >= bitmap->Width() || y >= bitmap->Height()) return InvalidParameter;
  cairo_surface_flush(bitmap->Surface);
  uint32_t a = color >> 24;
  auto multiply = [&](int shift) { return (((color >> shift) & 0xFF) * a + 127) / 255; };
  *PixelAt(bitmap, x, y) = (a << 24) | (multiply(16) << 16) | (multiply(8) << 8) | multiply(0);
  cairo_surface_mark_dirty(bitmap->Surface);
  return Ok;
}

GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes) {
  if (attributes == nullptr) return InvalidParameter;
  *attributes = new GpImageAttributes;
  return Ok;
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes) {
  if (attributes == nullptr) return InvalidParameter;
  delete attributes;
  return Ok;
}

GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, GpColorAdjustType type, bool enable,
                                         ARGB low, ARGB high) {
  if (attributes == nullptr || type < ColorAdjustTypeDefault || type >= ColorAdjustTypeCount) return InvalidParameter;
  attributes->KeyEnabled = enable;
  attributes->KeyLow = low;
  attributes->KeyHigh = high;
  return Ok;
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstX, REAL dstY, REAL dstWidth,
                               REAL dstHeight, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight, GpUnit srcUnit,
                               const GpImageAttributes* attributes, void* callback, void*) {
  if (graphics == nullptr || image == nullptr || callback != nullptr ||
      !Finite({dstX, dstY, dstWidth, dstHeight, srcX, srcY, srcWidth, srcHeight})) {
    return InvalidParameter;
  }
  if (srcUnit != UnitPixel && srcUnit != UnitWorld) return NotImplemented;
  if (dstWidth == 0 || dstHeight == 0 || srcWidth <= 0 || srcHeight <= 0) return Ok;
  cairo_surface_t* source = attributes != nullptr && attributes->KeyEnabled ? KeyedCopy(image, *attributes)
                                                                             : cairo_surface_reference(image->Surface);
  cairo_t* cr = graphics->Begin();
  // The image's corner goes on the destination's corner: pixel edges, not centres.
  double left = dstX - 0.5, top = dstY - 0.5;
  cairo_rectangle(cr, left, top, dstWidth, dstHeight);
  cairo_clip(cr);
  cairo_translate(cr, left, top);
  cairo_scale(cr, dstWidth / srcWidth, dstHeight / srcHeight);
  cairo_set_source_surface(cr, source, -srcX, -srcY);
  bool scaled = std::abs(dstWidth - srcWidth) > 1e-3 || std::abs(dstHeight - srcHeight) > 1e-3;
  cairo_pattern_set_filter(cairo_get_source(cr), scaled ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_rectangle(cr, srcX, srcY, srcWidth, srcHeight);
  cairo_clip(cr);
  cairo_paint(cr);
  graphics->End();
  cairo_surface_destroy(source);
  return Ok;
}

GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height) {
  if (image == nullptr) return InvalidParameter;
  return GdipDrawImageRectRect(graphics, image, x, y, width, height, 0, 0, REAL(image->Width()),
                               REAL(image->Height()), UnitPixel, nullptr, nullptr, nullptr);
}

GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, int32_t x, int32_t y) {
  if (image == nullptr) return InvalidParameter;
  return GdipDrawImageRect(graphics, image, REAL(x), REAL(y), REAL(image->Width()), REAL(image->Height()));
}
