// The GDI+ flat API the wrapper classes call: graphics over device contexts and images, paths,
// pens, brushes (solid, hatch, texture, linear and path gradients), regions, fonts and string
// formats, images from streams and bitmaps from memory, and image attributes with a colour key.
// Every call answers with a status and never throws; objects are created by the calls and freed
// by their delete or dispose call. Coordinates are floats in pixels, with pixel centres on whole
// numbers as the drawing calls of this API place them. Drawing is done with cairo, text with pango.
#pragma once

#include <cstdint>

#include "platform/gdi/ComStream.h"
#include "platform/gdi/WinTypes.h"

enum GpStatus {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20
};

using ARGB = uint32_t;
using REAL = float;
using GpPixelFormat = int32_t;

struct GpRectF {
  REAL X = 0, Y = 0, Width = 0, Height = 0;
};
struct GpPointF {
  REAL X = 0, Y = 0;
};
struct GpPoint {
  int32_t X = 0, Y = 0;
};

struct GUID {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  uint8_t Data4[8] = {};
  friend bool operator==(const GUID&, const GUID&) = default;
};

// The raw formats of images (GdipGetImageRawFormat).
constexpr GUID ImageFormatUndefined{0xb96b3ca9, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatMemoryBMP{0xb96b3caa, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatBMP{0xb96b3cab, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatEMF{0xb96b3cac, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatWMF{0xb96b3cad, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatJPEG{0xb96b3cae, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatPNG{0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatGIF{0xb96b3cb0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatTIFF{0xb96b3cb1, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatEXIF{0xb96b3cb2, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
constexpr GUID ImageFormatIcon{0xb96b3cb5, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

// Pixel formats: bits 8-15 the depth, bit 16 indexed, bit 17 GDI-compatible, bit 18 alpha,
// bit 19 premultiplied alpha, bit 21 canonical.
constexpr GpPixelFormat PixelFormatIndexed = 0x00010000;
constexpr GpPixelFormat PixelFormatGDI = 0x00020000;
constexpr GpPixelFormat PixelFormatAlpha = 0x00040000;
constexpr GpPixelFormat PixelFormatPAlpha = 0x00080000;
constexpr GpPixelFormat PixelFormatCanonical = 0x00200000;
constexpr GpPixelFormat PixelFormat1bppIndexed = 0x00030101;
constexpr GpPixelFormat PixelFormat4bppIndexed = 0x00030402;
constexpr GpPixelFormat PixelFormat8bppIndexed = 0x00030803;
constexpr GpPixelFormat PixelFormat16bppRGB555 = 0x00021005;
constexpr GpPixelFormat PixelFormat16bppRGB565 = 0x00021006;
constexpr GpPixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr GpPixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr GpPixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr GpPixelFormat PixelFormat32bppPARGB = 0x000E200B;

enum GpFillMode { FillModeAlternate = 0, FillModeWinding = 1 };
enum GpSmoothingMode {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
  SmoothingModeAntiAlias8x8 = 5
};
enum GpTextRenderingHint {
  TextRenderingHintSystemDefault = 0,
  TextRenderingHintSingleBitPerPixelGridFit = 1,
  TextRenderingHintSingleBitPerPixel = 2,
  TextRenderingHintAntiAliasGridFit = 3,
  TextRenderingHintAntiAlias = 4,
  TextRenderingHintClearTypeGridFit = 5
};
enum GpUnit {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6
};
enum GpDashStyle {
  DashStyleSolid = 0,
  DashStyleDash = 1,
  DashStyleDot = 2,
  DashStyleDashDot = 3,
  DashStyleDashDotDot = 4,
  DashStyleCustom = 5
};
enum GpWrapMode { WrapModeTile = 0, WrapModeTileFlipX = 1, WrapModeTileFlipY = 2, WrapModeTileFlipXY = 3, WrapModeClamp = 4 };
enum GpLinearGradientMode {
  LinearGradientModeHorizontal = 0,
  LinearGradientModeVertical = 1,
  LinearGradientModeForwardDiagonal = 2,
  LinearGradientModeBackwardDiagonal = 3
};
enum GpCombineMode {
  CombineModeReplace = 0,
  CombineModeIntersect = 1,
  CombineModeUnion = 2,
  CombineModeXor = 3,
  CombineModeExclude = 4,
  CombineModeComplement = 5
};
enum GpStringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };
enum GpStringTrimming {
  StringTrimmingNone = 0,
  StringTrimmingCharacter = 1,
  StringTrimmingWord = 2,
  StringTrimmingEllipsisCharacter = 3,
  StringTrimmingEllipsisWord = 4,
  StringTrimmingEllipsisPath = 5
};
enum GpHotkeyPrefix { HotkeyPrefixNone = 0, HotkeyPrefixShow = 1, HotkeyPrefixHide = 2 };
constexpr int32_t StringFormatFlagsDirectionRightToLeft = 0x0001;
constexpr int32_t StringFormatFlagsDirectionVertical = 0x0002;
constexpr int32_t StringFormatFlagsNoFitBlackBox = 0x0004;
constexpr int32_t StringFormatFlagsDisplayFormatControl = 0x0020;
constexpr int32_t StringFormatFlagsNoFontFallback = 0x0400;
constexpr int32_t StringFormatFlagsMeasureTrailingSpaces = 0x0800;
constexpr int32_t StringFormatFlagsNoWrap = 0x1000;
constexpr int32_t StringFormatFlagsLineLimit = 0x2000;
constexpr int32_t StringFormatFlagsNoClip = 0x4000;
enum GpFontStyle {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8
};
enum GpColorAdjustType {
  ColorAdjustTypeDefault = 0,
  ColorAdjustTypeBitmap = 1,
  ColorAdjustTypeBrush = 2,
  ColorAdjustTypePen = 3,
  ColorAdjustTypeText = 4,
  ColorAdjustTypeCount = 5,
  ColorAdjustTypeAny = 6
};
// The 53 hatch styles and their count.
enum HatchStyle {
  HatchStyleHorizontal, HatchStyleVertical, HatchStyleForwardDiagonal, HatchStyleBackwardDiagonal,
  HatchStyleCross, HatchStyleDiagonalCross, HatchStyle05Percent, HatchStyle10Percent,
  HatchStyle20Percent, HatchStyle25Percent, HatchStyle30Percent, HatchStyle40Percent,
  HatchStyle50Percent, HatchStyle60Percent, HatchStyle70Percent, HatchStyle75Percent,
  HatchStyle80Percent, HatchStyle90Percent, HatchStyleLightDownwardDiagonal,
  HatchStyleLightUpwardDiagonal, HatchStyleDarkDownwardDiagonal, HatchStyleDarkUpwardDiagonal,
  HatchStyleWideDownwardDiagonal, HatchStyleWideUpwardDiagonal, HatchStyleLightVertical,
  HatchStyleLightHorizontal, HatchStyleNarrowVertical, HatchStyleNarrowHorizontal,
  HatchStyleDarkVertical, HatchStyleDarkHorizontal, HatchStyleDashedDownwardDiagonal,
  HatchStyleDashedUpwardDiagonal, HatchStyleDashedHorizontal, HatchStyleDashedVertical,
  HatchStyleSmallConfetti, HatchStyleLargeConfetti, HatchStyleZigZag, HatchStyleWave,
  HatchStyleDiagonalBrick, HatchStyleHorizontalBrick, HatchStyleWeave, HatchStylePlaid,
  HatchStyleDivot, HatchStyleDottedGrid, HatchStyleDottedDiamond, HatchStyleShingle,
  HatchStyleTrellis, HatchStyleSphere, HatchStyleSmallGrid, HatchStyleSmallCheckerBoard,
  HatchStyleLargeCheckerBoard, HatchStyleOutlinedDiamond, HatchStyleSolidDiamond, HatchStyleTotal,
  HatchStyleLargeGrid = HatchStyleCross, HatchStyleMin = HatchStyleHorizontal, HatchStyleMax = HatchStyleTotal - 1
};
// Whether the 8 x 8 pattern of a hatch style (0..52) covers (x, y).
bool GpHatchCovers(int style, int x, int y);

struct GpGraphics;
struct GpPath;
struct GpPen;
struct GpBrush;
struct GpSolidFill;
struct GpHatch;
struct GpTexture;
struct GpLineGradient;
struct GpPathGradient;
struct GpRegion;
struct GpFontFamily;
struct GpFontCollection;
struct GpFont;
struct GpStringFormat;
struct GpImage;
struct GpBitmap;
struct GpImageAttributes;

// --- Start-up and memory -----------------------------------------------------------------------

struct GdiplusStartupInput {
  uint32_t GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  bool SuppressBackgroundThread = false;
  bool SuppressExternalCodecs = false;
};
struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};
// Counted: memory can be had from GdipAlloc while at least one start-up is not shut down.
GpStatus GdiplusStartup(uintptr_t* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(uintptr_t token);
// Null while GDI+ is not started.
void* GdipAlloc(size_t size);
void GdipFree(void* memory);

// --- Graphics ----------------------------------------------------------------------------------

GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipGetDC(GpGraphics* graphics, HDC* dc);
GpStatus GdipReleaseDC(GpGraphics* graphics, HDC dc);
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, GpSmoothingMode mode);
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, GpSmoothingMode* mode);
GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, GpTextRenderingHint hint);
GpStatus GdipGetTextRenderingHint(GpGraphics* graphics, GpTextRenderingHint* hint);
GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, GpCombineMode mode);
GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, GpCombineMode mode);
GpStatus GdipResetClip(GpGraphics* graphics);
GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path);
GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path);
GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, int32_t x, int32_t y, int32_t width, int32_t height);
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, int32_t x, int32_t y);
GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
// Draws the source part of the image (in srcUnit, pixels) stretched into the destination, through
// the attributes' colour key when given. The callback is not supported and must be null.
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstX, REAL dstY, REAL dstWidth,
                               REAL dstHeight, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight,
                               GpUnit srcUnit, const GpImageAttributes* attributes, void* callback,
                               void* callbackData);
// The bounding box of the laid-out text: its width includes a sixth of an em of padding on each
// side, as text drawn by DrawString has. length -1: up to the terminating zero.
GpStatus GdipMeasureString(GpGraphics* graphics, const char16_t* text, int32_t length, const GpFont* font,
                           const GpRectF* layoutRect, const GpStringFormat* format, GpRectF* boundingBox,
                           int32_t* codepointsFitted, int32_t* linesFilled);
GpStatus GdipDrawString(GpGraphics* graphics, const char16_t* text, int32_t length, const GpFont* font,
                        const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush);

// --- Paths and regions -------------------------------------------------------------------------

GpStatus GdipCreatePath(GpFillMode fillMode, GpPath** path);
GpStatus GdipDeletePath(GpPath* path);
GpStatus GdipResetPath(GpPath* path);
GpStatus GdipClosePathFigure(GpPath* path);
GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
// An elliptical arc of the ellipse in the rectangle, angles in degrees clockwise from the x axis.
GpStatus GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle);
GpStatus GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, int32_t count);
GpStatus GdipAddPathPolygonI(GpPath* path, const GpPoint* points, int32_t count);
GpStatus GdipGetPointCount(GpPath* path, int32_t* count);
GpStatus GdipSetPathFillMode(GpPath* path, GpFillMode fillMode);
GpStatus GdipCreateRegionRect(const GpRectF* rect, GpRegion** region);
GpStatus GdipCreateRegionPath(GpPath* path, GpRegion** region);
GpStatus GdipDeleteRegion(GpRegion* region);

// --- Pens and brushes --------------------------------------------------------------------------

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
GpStatus GdipDeletePen(GpPen* pen);
GpStatus GdipSetPenDashStyle(GpPen* pen, GpDashStyle dashStyle);
GpStatus GdipDeleteBrush(GpBrush* brush);
GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
GpStatus GdipCreateHatchBrush(int32_t hatchStyle, ARGB foreColor, ARGB backColor, GpHatch** brush);
GpStatus GdipCreateTexture(GpImage* image, GpWrapMode wrapMode, GpTexture** brush);
GpStatus GdipCreateLineBrush(const GpPointF* point1, const GpPointF* point2, ARGB color1, ARGB color2,
                             GpWrapMode wrapMode, GpLineGradient** brush);
GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, GpLinearGradientMode mode,
                                     GpWrapMode wrapMode, GpLineGradient** brush);
// angle in degrees clockwise; a scalable angle is taken in a square mapped onto the rectangle.
GpStatus GdipCreateLineBrushFromRectWithAngle(const GpRectF* rect, ARGB color1, ARGB color2, REAL angle,
                                              bool isAngleScalable, GpWrapMode wrapMode, GpLineGradient** brush);
// Interpolates in linear light (gamma 2.2) rather than between the stored values.
GpStatus GdipSetLineGammaCorrection(GpLineGradient* brush, bool useGammaCorrection);
// Colours at positions from 0 to 1 along the gradient, replacing its two colours.
GpStatus GdipSetLinePresetBlend(GpLineGradient* brush, const ARGB* colors, const REAL* positions, int32_t count);
GpStatus GdipCreatePathGradientFromPath(const GpPath* path, GpPathGradient** brush);
GpStatus GdipSetPathGradientCenterColor(GpPathGradient* brush, ARGB color);
GpStatus GdipSetPathGradientCenterPoint(GpPathGradient* brush, const GpPointF* point);
GpStatus GdipSetPathGradientCenterPointI(GpPathGradient* brush, const GpPoint* point);
GpStatus GdipGetPathGradientPointCount(GpPathGradient* brush, int32_t* count);
// One colour per point of the path (the last repeats for the points after it); count receives
// the number used. More colours than points is InvalidParameter.
GpStatus GdipSetPathGradientSurroundColorsWithCount(GpPathGradient* brush, const ARGB* colors, int32_t* count);
// Colours at positions from 0 (the path) to 1 (the centre).
GpStatus GdipSetPathGradientPresetBlend(GpPathGradient* brush, const ARGB* colors, const REAL* positions,
                                        int32_t count);
GpStatus GdipSetPathGradientWrapMode(GpPathGradient* brush, GpWrapMode wrapMode);

// --- Fonts and string formats ------------------------------------------------------------------

// FontFamilyNotFound (and no family) for a name no installed face or known alias answers to.
GpStatus GdipCreateFontFamilyFromName(const char16_t* name, GpFontCollection* collection, GpFontFamily** family);
GpStatus GdipDeleteFontFamily(GpFontFamily* family);
GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, int32_t style, int32_t unit, GpFont** font);
GpStatus GdipDeleteFont(GpFont* font);
GpStatus GdipCreateStringFormat(int32_t formatAttributes, uint16_t language, GpStringFormat** format);
GpStatus GdipDeleteStringFormat(GpStringFormat* format);
GpStatus GdipSetStringFormatFlags(GpStringFormat* format, int32_t flags);
GpStatus GdipSetStringFormatAlign(GpStringFormat* format, GpStringAlignment align);
GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, GpStringAlignment align);
GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, GpStringTrimming trimming);
GpStatus GdipSetStringFormatHotkeyPrefix(GpStringFormat* format, int32_t hotkeyPrefix);

// --- Images ------------------------------------------------------------------------------------

// PNG, JPEG, GIF (first frame), BMP and ICO; UnknownImageFormat for anything else, including
// damaged data. The stream is read from its position and not kept.
GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image);
GpStatus GdipLoadImageFromStreamICM(IStream* stream, GpImage** image);
GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap);
// A bitmap of the size and format; with scan0 its pixels are copied from rows of stride bytes
// (32bppARGB, 32bppPARGB, 32bppRGB or 24bppRGB), else it starts transparent black.
GpStatus GdipCreateBitmapFromScan0(int32_t width, int32_t height, int32_t stride, GpPixelFormat format,
                                   const uint8_t* scan0, GpBitmap** bitmap);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipGetImageWidth(GpImage* image, uint32_t* width);
GpStatus GdipGetImageHeight(GpImage* image, uint32_t* height);
GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format);
GpStatus GdipGetImagePixelFormat(GpImage* image, GpPixelFormat* format);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, int32_t x, int32_t y, ARGB* color);
GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, int32_t x, int32_t y, ARGB color);
GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes);
// Pixels whose every channel lies between low's and high's are left out when drawn.
GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, GpColorAdjustType type, bool enable,
                                         ARGB low, ARGB high);

// The object kinds, so that a solid fill is a brush and a bitmap an image to the compiler too.
#include "platform/gdi/GdiPlusObjects.h"
