// Paths, regions, pens, brushes, fonts, string formats, images and image attributes.
#include <vector>

#include "controls/graphics/AdvGDIP.h"
#include "controls/graphics/AdvGDIP_Log.h"

// --- Regions and paths -------------------------------------------------------------------------

TGPRegion::TGPRegion(const TGPFloatRect& rect) : FBounds(rect) {
  SetStatus(gplog::Report("GdipCreateRegionRect", GdipCreateRegionRect(&rect, &FNative),
                          {rect.X, rect.Y, rect.Width, rect.Height}));
}

TGPRegion::TGPRegion(TGPGraphicsPath* path) {
  GpPath* native = path != nullptr ? path->NativeHandle() : nullptr;
  if (path != nullptr) FBounds = path->GetBounds();
  SetStatus(gplog::Report("GdipCreateRegionPath", GdipCreateRegionPath(native, &FNative), {},
                          nullptr, native));
}

TGPRegion::~TGPRegion() {
  if (FNative != nullptr) GdipDeleteRegion(FNative);
}

TGPGraphicsPath::TGPGraphicsPath(GpFillMode fillMode) {
  SetStatus(GdipCreatePath(fillMode, &FNative));
}

TGPGraphicsPath::~TGPGraphicsPath() {
  if (FNative != nullptr) GdipDeletePath(FNative);
}

GpStatus TGPGraphicsPath::Log(const char* name, GpStatus status,
                              std::initializer_list<float> args) {
  return SetStatus(gplog::Report(name, status, args, nullptr, FNative));
}

GpStatus TGPGraphicsPath::Reset() { return Log("GdipResetPath", GdipResetPath(FNative), {}); }

GpStatus TGPGraphicsPath::CloseFigure() {
  return Log("GdipClosePathFigure", GdipClosePathFigure(FNative), {});
}

GpStatus TGPGraphicsPath::AddLine(float x1, float y1, float x2, float y2) {
  return Log("GdipAddPathLine", GdipAddPathLine(FNative, x1, y1, x2, y2), {x1, y1, x2, y2});
}

GpStatus TGPGraphicsPath::AddArc(float x, float y, float width, float height, float startAngle,
                                 float sweepAngle) {
  return Log("GdipAddPathArc", GdipAddPathArc(FNative, x, y, width, height, startAngle, sweepAngle),
             {x, y, width, height, startAngle, sweepAngle});
}

GpStatus TGPGraphicsPath::AddArc(const TGPFloatRect& r, float startAngle, float sweepAngle) {
  return AddArc(r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle);
}

GpStatus TGPGraphicsPath::AddEllipse(float x, float y, float width, float height) {
  return Log("GdipAddPathEllipse", GdipAddPathEllipse(FNative, x, y, width, height),
             {x, y, width, height});
}

GpStatus TGPGraphicsPath::AddEllipse(const TGPFloatRect& r) {
  return AddEllipse(r.X, r.Y, r.Width, r.Height);
}

GpStatus TGPGraphicsPath::AddRectangle(const TGPFloatRect& r) {
  return Log("GdipAddPathRectangle", GdipAddPathRectangle(FNative, r.X, r.Y, r.Width, r.Height),
             {r.X, r.Y, r.Width, r.Height});
}

GpStatus TGPGraphicsPath::AddPolygon(const TGPIntPoint* points, int count) {
  return Log("GdipAddPathPolygonI", GdipAddPathPolygonI(FNative, points, count), {float(count)});
}

int TGPGraphicsPath::GetPointCount() const {
  int32_t count = 0;
  if (GdipGetPointCount(FNative, &count) != Ok) return 0;
  return count;
}

TGPFloatRect TGPGraphicsPath::GetBounds() const {
  TGPCall call;
  gplog::SetPath(call, FNative);
  return call.PathBounds;
}

// --- Pens --------------------------------------------------------------------------------------

TGPPen::TGPPen(ARGB color, float width) {
  FInfo.Present = true;
  FInfo.Color = color;
  FInfo.Width = width;
  SetStatus(GdipCreatePen1(color, width, UnitWorld, &FNative));
}

TGPPen::~TGPPen() {
  if (FNative != nullptr) GdipDeletePen(FNative);
}

GpStatus TGPPen::SetDashStyle(GpDashStyle dashStyle) {
  GpStatus status = GdipSetPenDashStyle(FNative, dashStyle);
  if (status == Ok) FInfo.DashStyle = dashStyle;
  return SetStatus(gplog::Report("GdipSetPenDashStyle", status, {float(dashStyle)}));
}

// --- Brushes -----------------------------------------------------------------------------------

TGPBrush::~TGPBrush() {
  if (FNative != nullptr) GdipDeleteBrush(FNative);
}

GpStatus TGPBrush::Log(const char* name, GpStatus status, std::initializer_list<float> args) {
  return SetStatus(gplog::Report(name, status, args, &FInfo));
}

TGPSolidBrush::TGPSolidBrush(ARGB color) {
  FInfo.Kind = TGPBrushKind::Solid;
  FInfo.Colors = {color};
  GpSolidFill* native = nullptr;
  SetStatus(GdipCreateSolidFill(color, &native));
  FNative = native;
}

TGPHatchBrush::TGPHatchBrush(HatchStyle style, ARGB foreColor, ARGB backColor) {
  FInfo.Kind = TGPBrushKind::Hatch;
  FInfo.Colors = {foreColor, backColor};
  FInfo.HatchStyle = style;
  GpHatch* native = nullptr;
  SetStatus(GdipCreateHatchBrush(style, foreColor, backColor, &native));
  FNative = native;
}

TGPTextureBrush::TGPTextureBrush(TGPImage* image, GpWrapMode wrapMode) {
  FInfo.Kind = TGPBrushKind::Texture;
  GpTexture* native = nullptr;
  SetStatus(
      GdipCreateTexture(image != nullptr ? image->NativeHandle() : nullptr, wrapMode, &native));
  FNative = native;
}

TGPLinearGradientBrush::TGPLinearGradientBrush(const TGPFloatPoint& point1,
                                               const TGPFloatPoint& point2, ARGB color1,
                                               ARGB color2) {
  FInfo.Kind = TGPBrushKind::LinearGradient;
  FInfo.Colors = {color1, color2};
  FInfo.Rect = {point1.X, point1.Y, point2.X - point1.X, point2.Y - point1.Y};
  GpLineGradient* native = nullptr;
  SetStatus(GdipCreateLineBrush(&point1, &point2, color1, color2, WrapModeTile, &native));
  FNative = native;
}

TGPLinearGradientBrush::TGPLinearGradientBrush(const TGPFloatRect& rect, ARGB color1, ARGB color2,
                                               GpLinearGradientMode mode) {
  FInfo.Kind = TGPBrushKind::LinearGradient;
  FInfo.Colors = {color1, color2};
  FInfo.Rect = rect;
  FInfo.GradientMode = mode;
  GpLineGradient* native = nullptr;
  SetStatus(GdipCreateLineBrushFromRect(&rect, color1, color2, mode, WrapModeTile, &native));
  FNative = native;
}

TGPLinearGradientBrush::TGPLinearGradientBrush(const TGPFloatRect& rect, ARGB color1, ARGB color2,
                                               float angle, bool isAngleScalable) {
  FInfo.Kind = TGPBrushKind::LinearGradient;
  FInfo.Colors = {color1, color2};
  FInfo.Rect = rect;
  FInfo.HasAngle = true;
  FInfo.Angle = angle;
  GpLineGradient* native = nullptr;
  SetStatus(GdipCreateLineBrushFromRectWithAngle(&rect, color1, color2, angle, isAngleScalable,
                                                 WrapModeTile, &native));
  FNative = native;
}

GpStatus TGPLinearGradientBrush::SetGammaCorrection(bool useGammaCorrection) {
  return Log("GdipSetLineGammaCorrection", GdipSetLineGammaCorrection(Line(), useGammaCorrection),
             {float(useGammaCorrection)});
}

GpStatus TGPLinearGradientBrush::SetInterpolationColors(const ARGB* colors, const float* positions,
                                                        int count) {
  if (count <= 0 || colors == nullptr || positions == nullptr) return SetStatus(InvalidParameter);
  GpStatus status = GdipSetLinePresetBlend(Line(), colors, positions, count);
  if (status == Ok) {
    FInfo.BlendColors.assign(colors, colors + count);
    FInfo.BlendPositions.assign(positions, positions + count);
  }
  return Log("GdipSetLinePresetBlend", status, {float(count)});
}

TGPPathGradientBrush::TGPPathGradientBrush(TGPGraphicsPath* path) {
  FInfo.Kind = TGPBrushKind::PathGradient;
  FInfo.CenterColor = 0xFFFFFFFF;
  GpPathGradient* native = nullptr;
  SetStatus(
      GdipCreatePathGradientFromPath(path != nullptr ? path->NativeHandle() : nullptr, &native));
  FNative = native;
}

GpStatus TGPPathGradientBrush::SetCenterColor(ARGB color) {
  GpStatus status = GdipSetPathGradientCenterColor(Path(), color);
  if (status == Ok) FInfo.CenterColor = color;
  return Log("GdipSetPathGradientCenterColor", status, {});
}

GpStatus TGPPathGradientBrush::SetCenterPoint(const TGPIntPoint& point) {
  GpStatus status = GdipSetPathGradientCenterPointI(Path(), &point);
  if (status == Ok) {
    FInfo.HasCenterPoint = true;
    FInfo.CenterPoint = {float(point.X), float(point.Y)};
  }
  return Log("GdipSetPathGradientCenterPointI", status, {float(point.X), float(point.Y)});
}

GpStatus TGPPathGradientBrush::SetCenterPointF(const TGPFloatPoint& point) {
  GpStatus status = GdipSetPathGradientCenterPoint(Path(), &point);
  if (status == Ok) {
    FInfo.HasCenterPoint = true;
    FInfo.CenterPoint = point;
  }
  return Log("GdipSetPathGradientCenterPoint", status, {point.X, point.Y});
}

int TGPPathGradientBrush::GetPointCount() {
  int32_t count = 0;
  if (SetStatus(GdipGetPathGradientPointCount(Path(), &count)) != Ok) return 0;
  return count;
}

GpStatus TGPPathGradientBrush::SetSurroundColors(const ARGB* colors, int& count) {
  int points = GetPointCount();
  if (colors == nullptr || points == 0 || points < count) return SetStatus(InvalidParameter);
  int32_t used = count;
  GpStatus status = GdipSetPathGradientSurroundColorsWithCount(Path(), colors, &used);
  if (status == Ok) {
    count = used;
    FInfo.SurroundColors.assign(colors, colors + used);
  }
  return Log("GdipSetPathGradientSurroundColorsWithCount", status, {float(used)});
}

GpStatus TGPPathGradientBrush::SetInterpolationColors(const ARGB* colors, const float* positions,
                                                      int count) {
  if (count <= 0 || colors == nullptr || positions == nullptr) return SetStatus(InvalidParameter);
  GpStatus status = GdipSetPathGradientPresetBlend(Path(), colors, positions, count);
  if (status == Ok) {
    FInfo.BlendColors.assign(colors, colors + count);
    FInfo.BlendPositions.assign(positions, positions + count);
  }
  return Log("GdipSetPathGradientPresetBlend", status, {float(count)});
}

GpStatus TGPPathGradientBrush::SetWrapMode(GpWrapMode wrapMode) {
  return Log("GdipSetPathGradientWrapMode", GdipSetPathGradientWrapMode(Path(), wrapMode),
             {float(wrapMode)});
}

// --- Fonts and string formats ------------------------------------------------------------------

TGPFontFamily::TGPFontFamily(const String& name, GpFontCollection* collection) : FName(name) {
  SetStatus(GdipCreateFontFamilyFromName(name.c_str(), collection, &FNative));
}

TGPFontFamily::~TGPFontFamily() {
  if (FNative != nullptr) GdipDeleteFontFamily(FNative);
}

TGPFont::TGPFont(TGPFontFamily* family, float emSize, int style, GpUnit unit) {
  SetStatus(GdipCreateFont(family != nullptr ? family->NativeHandle() : nullptr, emSize, style,
                           unit, &FNative));
}

TGPFont::~TGPFont() {
  if (FNative != nullptr) GdipDeleteFont(FNative);
}

TGPStringFormat::TGPStringFormat(int32_t formatFlags, uint16_t language) {
  SetStatus(GdipCreateStringFormat(formatFlags, language, &FNative));
}

TGPStringFormat::~TGPStringFormat() {
  if (FNative != nullptr) GdipDeleteStringFormat(FNative);
}

GpStatus TGPStringFormat::SetAlignment(GpStringAlignment align) {
  return SetStatus(GdipSetStringFormatAlign(FNative, align));
}

GpStatus TGPStringFormat::SetLineAlignment(GpStringAlignment align) {
  return SetStatus(GdipSetStringFormatLineAlign(FNative, align));
}

GpStatus TGPStringFormat::SetTrimming(GpStringTrimming trimming) {
  return SetStatus(GdipSetStringFormatTrimming(FNative, trimming));
}

GpStatus TGPStringFormat::SetHotkeyPrefix(GpHotkeyPrefix prefix) {
  return SetStatus(GdipSetStringFormatHotkeyPrefix(FNative, prefix));
}

// --- Images ------------------------------------------------------------------------------------

TGPImage::TGPImage(IStream* stream, bool useEmbeddedColorManagement) {
  if (stream != nullptr) stream->AddRef();
  SetStatus(useEmbeddedColorManagement ? GdipLoadImageFromStreamICM(stream, &FNative)
                                       : GdipLoadImageFromStream(stream, &FNative));
  if (stream != nullptr) stream->Release();
}

TGPImage::~TGPImage() {
  if (FNative != nullptr) GdipDisposeImage(FNative);
}

uint32_t TGPImage::GetWidth() {
  uint32_t width = 0;
  if (SetStatus(GdipGetImageWidth(FNative, &width)) != Ok) return 0;
  return width;
}

uint32_t TGPImage::GetHeight() {
  uint32_t height = 0;
  if (SetStatus(GdipGetImageHeight(FNative, &height)) != Ok) return 0;
  return height;
}

TGPImageFormat TGPImage::GetFormat() {
  static const GUID* const kFormats[] = {
      &ImageFormatMemoryBMP, &ImageFormatBMP, &ImageFormatEMF,  &ImageFormatWMF,  &ImageFormatJPEG,
      &ImageFormatPNG,       &ImageFormatGIF, &ImageFormatTIFF, &ImageFormatEXIF, &ImageFormatIcon};
  GUID raw;
  if (SetStatus(GdipGetImageRawFormat(FNative, &raw)) != Ok) return TGPImageFormat::ifUndefined;
  for (size_t i = 0; i < std::size(kFormats); ++i) {
    if (*kFormats[i] == raw) return static_cast<TGPImageFormat>(i + 1);
  }
  return TGPImageFormat::ifUndefined;
}

GpPixelFormat TGPImage::GetPixelFormat() {
  GpPixelFormat format = 0;
  if (SetStatus(GdipGetImagePixelFormat(FNative, &format)) != Ok) return 0;
  return format;
}

TGPBitmap::TGPBitmap(IStream* stream, bool useEmbeddedColorManagement) {
  GpBitmap* native = nullptr;
  if (stream != nullptr) stream->AddRef();
  SetStatus(useEmbeddedColorManagement ? GdipCreateBitmapFromStreamICM(stream, &native)
                                       : GdipCreateBitmapFromStream(stream, &native));
  if (stream != nullptr) stream->Release();
  FNative = native;
}

TGPBitmap::TGPBitmap(int width, int height, GpPixelFormat format) {
  GpBitmap* native = nullptr;
  SetStatus(GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &native));
  FNative = native;
}

GpStatus TGPBitmap::GetPixel(int x, int y, ARGB& color) {
  return SetStatus(GdipBitmapGetPixel(Bitmap(), x, y, &color));
}

TGPImageAttributes::TGPImageAttributes() { SetStatus(GdipCreateImageAttributes(&FNative)); }

TGPImageAttributes::~TGPImageAttributes() {
  if (FNative != nullptr) GdipDisposeImageAttributes(FNative);
}

GpStatus TGPImageAttributes::SetColorKey(ARGB low, ARGB high, GpColorAdjustType type) {
  return SetStatus(GdipSetImageAttributesColorKeys(FNative, type, true, low, high));
}
