#include "platform/gdi/Bitmap.h"

#include <cstring>

#include "platform/gdi/ProgramResources.h"
#include "platform/gdi/RasterDraw.h"

// --- TBitmapCanvas -----------------------------------------------------------------------------

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
  FContext = CreateCompatibleDC(nullptr);
  FOldBitmap = SelectObject(FContext, FBitmap->Handle());
  SetHandle(FContext);
}

void TBitmapCanvas::FreeContext() {
  if (FContext == nullptr) return;
  SetHandle(nullptr);
  SelectObject(FContext, FOldBitmap);
  DeleteDC(FContext);
  FContext = nullptr;
}

// --- TBitmap -----------------------------------------------------------------------------------

TBitmap::TBitmap() { FHandle = CreateBitmap(0, 0, 1, 32, nullptr); }

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() {
  FCanvas.reset();
  DeleteObject(FHandle);
}

int TBitmap::StorageBits() const {
  switch (FPixelFormat) {
    case pf1bit: return 1;
    case pf24bit: return 24;
    default: return 32;
  }
}

void TBitmap::ChangedImage() {
  if (FCanvas) FCanvas->FreeContext();
}

void TBitmap::Recreate(int width, int height, int bits) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  HBITMAP fresh = CreateBitmap(width, height, 1, static_cast<uint32_t>(bits), nullptr);
  if (fresh == nullptr) throw EOutOfResources(u"Out of system resources");
  HDC to = CreateCompatibleDC(nullptr);
  HGDIOBJ oldTo = SelectObject(to, fresh);
  PatBlt(to, 0, 0, width, height, WHITENESS);
  if (FWidth > 0 && FHeight > 0) {
    HDC from = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFrom = SelectObject(from, FHandle);
    BitBlt(to, 0, 0, std::min(width, FWidth), std::min(height, FHeight), from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    DeleteDC(from);
  }
  SelectObject(to, oldTo);
  DeleteDC(to);
  ChangedImage();
  DeleteObject(FHandle);
  FHandle = fresh;
  FWidth = width;
  FHeight = height;
}

void TBitmap::SetSize(int width, int height) {
  if (width == FWidth && height == FHeight) return;
  Recreate(width, height, StorageBits());
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  if (value == FPixelFormat) return;
  int before = StorageBits();
  FPixelFormat = value;
  if (StorageBits() != before) Recreate(FWidth, FHeight, StorageBits());
  Changed();
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas.reset(new TBitmapCanvas(this));
  return FCanvas.get();
}

HBITMAP TBitmap::Handle() { return FHandle; }

void TBitmap::SetHandle(HBITMAP value) {
  if (value == FHandle) return;
  ChangedImage();
  DeleteObject(FHandle);
  if (value == nullptr) value = CreateBitmap(0, 0, 1, 32, nullptr);
  FHandle = value;
  BITMAP info;
  GetObject(value, sizeof info, &info);
  FWidth = info.bmWidth;
  FHeight = info.bmHeight;
  FPixelFormat = info.bmBitsPixel == 1 ? pf1bit : info.bmBitsPixel == 24 ? pf24bit : pf32bit;
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  ChangedImage();
  HBITMAP handle = FHandle;
  FHandle = CreateBitmap(0, 0, 1, 32, nullptr);
  FWidth = FHeight = 0;
  Changed();
  return handle;
}

void* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= FHeight) throw EInvalidGraphicOperation(u"Scan line index out of range");
  return FHandle->Bits() + static_cast<size_t>(row) * FHandle->RowBytes();
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (Monochrome()) return clWhite;
  if (Empty()) return clDefault;
  const uint32_t* pixels = FHandle->Pixels();
  return static_cast<TColor>(ColorOfPixel(pixels[(FHeight - 1) * FHandle->PixelStride()]));
}

void TBitmap::SetTransparentColor(TColor value) {
  FTransparentColor = value;
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  if (value == tmAuto) {
    FTransparentColor = clDefault;
    FTransparentMode = tmAuto;
  } else {
    SetTransparentColor(TransparentColor());
    return;
  }
  Changed();
}

void TBitmap::SetAlphaFormat(TAlphaFormat value) {
  if (value == FAlphaFormat) return;
  FAlphaFormat = value;
  Changed();
}

TRasterImage TBitmap::ToRaster() {
  TRasterImage image;
  image.Resize(FWidth, FHeight);
  if (Empty()) return image;
  bool alpha = FAlphaFormat != afIgnored && StorageBits() == 32;
  const uint8_t* bits = alpha ? FHandle->Bits() : nullptr;
  const uint32_t* pixels = FHandle->Pixels();
  int stride = FHandle->PixelStride();
  for (int y = 0; y < FHeight; ++y) {
    for (int x = 0; x < FWidth; ++x) {
      uint32_t p = pixels[y * stride + x] & 0xFFFFFF;
      uint32_t a = alpha ? bits[(static_cast<size_t>(y) * FWidth + x) * 4 + 3] : 255;
      if (alpha && FAlphaFormat == afPremultiplied && a > 0 && a < 255) {
        auto unmultiply = [&](int shift) { return std::min<uint32_t>(255, (((p >> shift) & 0xFF) * 255 + a / 2) / a); };
        p = (unmultiply(16) << 16) | (unmultiply(8) << 8) | unmultiply(0);
      }
      image.At(x, y) = (a << 24) | p;
    }
  }
  return image;
}

void TBitmap::LoadFromRaster(const TRasterImage& image) {
  bool alpha = image.HasTransparency();
  FPixelFormat = pf32bit;
  Recreate(0, 0, 32);
  Recreate(image.Width, image.Height, 32);
  if (!Empty()) {
    uint8_t* bits = FHandle->Bits();
    for (int y = 0; y < FHeight; ++y) {
      for (int x = 0; x < FWidth; ++x) {
        uint32_t p = image.At(x, y);
        uint8_t* d = bits + (static_cast<size_t>(y) * FWidth + x) * 4;
        d[0] = static_cast<uint8_t>(p);
        d[1] = static_cast<uint8_t>(p >> 8);
        d[2] = static_cast<uint8_t>(p >> 16);
        d[3] = static_cast<uint8_t>(p >> 24);
      }
    }
  }
  FAlphaFormat = alpha ? afDefined : afIgnored;
  Changed();
}

void TBitmap::LoadFromResourceName(const void*, const String& name) {
  TRasterImage image;
  if (!FindResourceImage(name, image)) RaiseResourceNotFound(name);
  LoadFromRaster(image);
}

void TBitmap::Assign(TPersistent* source) {
  if (source == nullptr) {
    Recreate(0, 0, StorageBits());
    Changed();
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
    if (bitmap == this) return;
    FPixelFormat = bitmap->FPixelFormat;
    ChangedImage();
    DeleteObject(FHandle);
    FHandle = CreateBitmap(0, 0, 1, 32, nullptr);
    FWidth = FHeight = 0;
    Recreate(bitmap->FWidth, bitmap->FHeight, bitmap->StorageBits());
    if (!Empty()) {
      // Both surfaces have the same size, hence the same layout.
      std::memcpy(FHandle->Pixels(), bitmap->FHandle->Pixels(),
                  static_cast<size_t>(FHandle->PixelStride()) * 4 * FHeight);
      FHandle->PixelsChanged();
    }
    FTransparent = bitmap->FTransparent;
    FTransparentColor = bitmap->FTransparentColor;
    FTransparentMode = bitmap->FTransparentMode;
    FAlphaFormat = bitmap->FAlphaFormat;
    Changed();
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    LoadFromRaster(graphic->ToRaster());
    FTransparent = graphic->Transparent();
  } else {
    TGraphic::Assign(source);
  }
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect) {
  if (canvas == nullptr || Empty()) return;
  HDC dest = canvas->Handle();
  if (FAlphaFormat != afIgnored && StorageBits() == 32) {
    DrawRasterImage(dest, rect, ToRaster());
    return;
  }
  HDC src = Canvas()->Handle();
  if (FTransparent) {
    TransparentBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, FWidth, FHeight,
                   ColorToRGB(TransparentColor()));
  } else {
    StretchBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), src, 0, 0, FWidth, FHeight,
               canvas->CopyMode());
  }
}

void TBitmap::LoadFromStream(TStream* stream) {
  TBytes bytes = ReadPictureBytes(stream);
  TRasterImage image;
  int bitCount = 0;
  if (!DecodeBmpFile(bytes.data(), bytes.size(), image, &bitCount)) {
    throw EInvalidGraphic(u"Bitmap image is not valid");
  }
  LoadFromRaster(image);
  if (bitCount != 32 && !Empty()) {
    TPixelFormat format = bitCount == 1 ? pf1bit : bitCount == 4 ? pf4bit : bitCount == 8 ? pf8bit
                          : bitCount == 16                    ? pf16bit
                                                              : pf24bit;
    SetPixelFormat(format);
  }
}

void TBitmap::SaveToStream(TStream* stream) {
  bool alpha = FAlphaFormat != afIgnored && StorageBits() == 32;
  WritePictureBytes(stream, EncodeBmpFile(ToRaster(), alpha || FPixelFormat == pf32bit ? 32 : 24));
}
