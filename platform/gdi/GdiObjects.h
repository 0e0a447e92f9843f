// The drawing objects behind the handles: pens, brushes, fonts, bitmaps and regions. Each object
// counts its references: the handle's owner holds one until DeleteObject, and every device context
// (and saved state) that has it selected holds one, so deleting a selected object never leaves a
// context pointing at freed memory.
#pragma once

#include <memory>
#include <vector>

#include "platform/gdi/GdiConst.h"
#include "platform/gdi/GdiStructs.h"
#include "platform/gdi/Region.h"

typedef struct _cairo_surface cairo_surface_t;
class TFontFace;

struct TGdiObject {
  explicit TGdiObject(int type) : Type(type) {}
  virtual ~TGdiObject() = default;
  TGdiObject(const TGdiObject&) = delete;
  TGdiObject& operator=(const TGdiObject&) = delete;

  const int Type;  // OBJ_PEN, OBJ_BRUSH, ...
  int Refs = 1;
  bool Stock = false;          // never freed
  bool OwnerReleased = false;  // DeleteObject has been called
};

void GdiAddRef(TGdiObject* object);
void GdiRelease(TGdiObject* object);

// A counted reference to a drawing object.
template <class T>
class TGdiRef {
 public:
  TGdiRef() = default;
  explicit TGdiRef(T* object) : FObject(object) {
    if (FObject != nullptr) GdiAddRef(FObject);
  }
  TGdiRef(const TGdiRef& other) : TGdiRef(other.FObject) {}
  TGdiRef& operator=(const TGdiRef& other) {
    if (other.FObject != nullptr) GdiAddRef(other.FObject);
    if (FObject != nullptr) GdiRelease(FObject);
    FObject = other.FObject;
    return *this;
  }
  ~TGdiRef() {
    if (FObject != nullptr) GdiRelease(FObject);
  }
  T* get() const { return FObject; }
  T* operator->() const { return FObject; }
  explicit operator bool() const { return FObject != nullptr; }

 private:
  T* FObject = nullptr;
};

struct TGdiPen : TGdiObject {
  TGdiPen() : TGdiObject(OBJ_PEN) {}
  uint32_t Style = 0;  // PS_* style with end cap, join and type bits
  int Width = 1;
  COLORREF Color = 0;
  std::vector<uint32_t> UserStyle;
  uint32_t Kind() const;  // the PS_* style proper
};

struct TGdiBitmap;

struct TGdiBrush : TGdiObject {
  TGdiBrush();
  ~TGdiBrush() override;
  uint32_t Style = 0;  // BS_*
  COLORREF Color = 0;
  int Hatch = 0;
  TGdiBitmap* Pattern = nullptr;  // BS_PATTERN, referenced
  int SysColorIndex = -1;         // for the system colour brushes
};

struct TGdiFont : TGdiObject {
  explicit TGdiFont(const LOGFONTW& log);
  LOGFONTW Log;
  TFontFace& Face();

 private:
  std::shared_ptr<TFontFace> FFace;
};

class TDeviceContext;

// A bitmap's pixels live in a cairo image surface (one 32-bit word a pixel, 0x00RRGGBB). The rows
// its callers address directly (Bits) are the surface itself for a top-down 32-bit bitmap, and a
// buffer of their own layout otherwise (24 bits a pixel, or bottom-up rows); whichever side was
// written last is copied to the other when the other is asked for.
struct TGdiBitmap : TGdiObject {
  TGdiBitmap(int width, int height, int bitsPixel, bool bottomUp = false);
  ~TGdiBitmap() override;
  int Width = 0;
  int Height = 0;
  int BitsPixel = 32;     // 1, 24 or 32
  bool BottomUp = false;  // rows of Bits() run bottom to top
  int RowBytes() const;   // of the rows Bits() returns
  // The surface, up to date, for drawing and reading.
  cairo_surface_t* Surface();
  // The rows (32 bits: blue, green, red, unused; 24 bits: blue, green, red; 1 bit: set for
  // white, first pixel in the high bit), up to date; the caller may write them until it next draws
  // on the bitmap.
  uint8_t* Bits();
  // Pixel access for the blitting code: after Surface(); PixelsChanged() after writing.
  uint32_t* Pixels();
  int PixelStride() const;  // in 32-bit words
  void PixelsChanged();

 private:
  bool OwnRows() const { return BitsPixel != 32 || BottomUp; }
  cairo_surface_t* FSurface = nullptr;
  std::vector<uint8_t> FRows;
  bool FBitsNewer = false;
};

struct TGdiRegion : TGdiObject {
  TGdiRegion() : TGdiObject(OBJ_REGION) {}
  TRegionData Data;
};

// Colour reference <-> cairo pixel word (0x00RRGGBB).
inline uint32_t PixelOf(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}
inline COLORREF ColorOfPixel(uint32_t p) {
  return RGB(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p));
}
