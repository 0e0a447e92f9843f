// The objects behind the GDI+ handles, shared by the flat API's source files.
#pragma once

#include <cmath>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/FontFace.h"
#include "platform/gdi/GdiPlusFlat.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/Region.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_pattern cairo_pattern_t;

// Path points as GDI+ counts them: figure starts, line ends and Bézier control points.
enum : uint8_t { kPathStart = 0, kPathLine = 1, kPathBezier = 3, kPathClose = 0x80 };

struct GpPathPoint {
  REAL X, Y;
  uint8_t Type;
};

struct GpPath {
  GpFillMode FillMode = FillModeAlternate;
  std::vector<GpPathPoint> Points;
  bool StartFigure = true;  // the next point starts a figure

  void Add(REAL x, REAL y, uint8_t type);
  // Joins (x, y) to the current figure with a line, or starts a figure there.
  void LineTo(REAL x, REAL y);
  void CloseFigure();
  // The path in cairo, world coordinates.
  void Trace(cairo_t* cr) const;
  // The figures as polygons, curves flattened; each vertex lies Fraction of the way from path
  // point Point to path point Next (the anchors around a curve).
  struct TVertex {
    REAL X, Y;
    int Point, Next;
    REAL Fraction;
  };
  std::vector<std::vector<TVertex>> Flatten() const;
};

struct GpPen {
  ARGB Color = 0xFF000000;
  REAL Width = 1;
  GpDashStyle Dash = DashStyleSolid;
};

enum class TBrushKind { Solid, Hatch, Texture, Linear, Path };

struct GpBrush {
  explicit GpBrush(TBrushKind kind) : Kind(kind) {}
  virtual ~GpBrush() = default;
  // A cairo source for the brush in world coordinates; the caller destroys it.
  virtual cairo_pattern_t* Pattern() const = 0;
  const TBrushKind Kind;
};

struct GpSolidFill : GpBrush {
  GpSolidFill() : GpBrush(TBrushKind::Solid) {}
  cairo_pattern_t* Pattern() const override;
  ARGB Color = 0;
};

struct GpHatch : GpBrush {
  GpHatch() : GpBrush(TBrushKind::Hatch) {}
  cairo_pattern_t* Pattern() const override;
  int Style = 0;
  ARGB Fore = 0, Back = 0;
};

struct GpTexture : GpBrush {
  GpTexture() : GpBrush(TBrushKind::Texture) {}
  ~GpTexture() override;
  cairo_pattern_t* Pattern() const override;
  cairo_surface_t* Surface = nullptr;  // referenced
  GpWrapMode Wrap = WrapModeTile;
};

struct GpLineGradient : GpBrush {
  GpLineGradient() : GpBrush(TBrushKind::Linear) {}
  cairo_pattern_t* Pattern() const override;
  // The gradient runs from Start to End in the space that Transform maps world coordinates into.
  GpPointF Start, End;
  std::optional<GpRectF> UnitSquare;  // a scalable angle: the square (0..1) mapped onto this rectangle
  ARGB Color1 = 0, Color2 = 0;
  bool Gamma = false;
  std::vector<ARGB> BlendColors;
  std::vector<REAL> BlendPositions;
  GpWrapMode Wrap = WrapModeTile;
};

struct GpPathGradient : GpBrush {
  GpPathGradient() : GpBrush(TBrushKind::Path) {}
  cairo_pattern_t* Pattern() const override;
  GpPath Path;
  GpPointF Center;
  ARGB CenterColor = 0xFFFFFFFF;
  std::vector<ARGB> Surround{0xFFFFFFFF};
  std::vector<ARGB> BlendColors;
  std::vector<REAL> BlendPositions;
  GpWrapMode Wrap = WrapModeClamp;
};

struct GpRegion {
  TRegionData Data;  // world coordinates, whole pixels
};

struct GpFontFamily {
  String Name;
};

struct GpFont {
  String Family;
  REAL Size = 0;
  int32_t Style = 0;
  int32_t Unit = UnitPoint;
  std::shared_ptr<TFontFace> Face;
  double EmPixels() const { return Face->EmPixels(); }
};

struct GpStringFormat {
  int32_t Flags = 0;
  GpStringAlignment Align = StringAlignmentNear;
  GpStringAlignment LineAlign = StringAlignmentNear;
  GpStringTrimming Trimming = StringTrimmingCharacter;
  int32_t Hotkey = HotkeyPrefixNone;
};

struct GpImage {
  virtual ~GpImage();
  cairo_surface_t* Surface = nullptr;  // premultiplied ARGB32, owned
  GUID RawFormat = ImageFormatMemoryBMP;
  GpPixelFormat PixelFormat = PixelFormat32bppARGB;
  int Width() const;
  int Height() const;
};

struct GpBitmap : GpImage {};

struct GpImageAttributes {
  bool KeyEnabled = false;
  ARGB KeyLow = 0, KeyHigh = 0;
};

struct GpGraphics {
  ~GpGraphics();
  cairo_t* Cr = nullptr;
  HDC Dc = nullptr;            // the context it was made on, if any
  HDC OwnDc = nullptr;         // a context made for GdipGetDC on an image
  GpImage* Image = nullptr;    // the image it draws into, if any
  std::optional<TRegionData> Visible;  // surface coordinates: where it may paint at all
  double OriginX = 0, OriginY = 0;     // world (0, 0) in the surface
  std::optional<TRegionData> Clip;     // world coordinates
  GpSmoothingMode Smoothing = SmoothingModeDefault;
  GpTextRenderingHint TextHint = TextRenderingHintSystemDefault;

  // Prepares the cairo context for one drawing call (clip, world transform, antialiasing) and
  // puts it back afterwards.
  cairo_t* Begin();
  void End();
};

// ARGB to a cairo source colour.
void SetSourceArgb(cairo_t* cr, ARGB color);

// The flat API refuses coordinates and sizes that are not finite numbers.
inline bool Finite(std::initializer_list<REAL> values) {
  for (REAL v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

inline constexpr double kPi = 3.14159265358979323846;
