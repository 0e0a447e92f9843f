// The GDI calls: device contexts, drawing objects, regions and clipping, shapes, bit-block
// transfers, edges and frame controls, and text. Coordinates are logical (integer pixels moved by
// the window and viewport origins); right and bottom edges of rectangles are exclusive. Everything
// is drawn on cairo image surfaces without antialiasing, text with pango.
#pragma once

#include <string_view>

#include "platform/gdi/GdiConst.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiStructs.h"
#include "platform/gdi/SysColors.h"
#include "platform/gdi/WinTypes.h"
#include "platform/rtl/Types.h"

typedef struct _cairo_surface cairo_surface_t;
class TDrawingLog;
class TRegionData;

// --- Device contexts -------------------------------------------------------------------------

// A context over part of a cairo image surface: device (0, 0) lies at origin in the surface and
// painting stays inside bounds (device coordinates). The windows layer makes its window and paint
// contexts with it. The context holds a reference on the surface.
HDC CreateSurfaceDC(cairo_surface_t* surface, TPoint origin, const TRect& bounds);
// A context over an image surface of its own, filled white: the raster path of tests and the
// screen-compatible context that measures text.
HDC CreateImageDC(int width, int height);
// An image context that also records every call made on it into log.
HDC CreateRecordingDC(int width, int height, TDrawingLog* log);
// A memory context compatible with dc (which may be null); a 1 x 1 monochrome bitmap is selected.
HDC CreateCompatibleDC(HDC dc);
bool DeleteDC(HDC dc);
// Starts or stops recording the calls made on dc (log may be null).
void SetDrawingLog(HDC dc, TDrawingLog* log);
// The surface a context draws on (the selected bitmap's for a memory context).
cairo_surface_t* GetDCSurface(HDC dc);
// Where device (0, 0) lies in the surface.
bool GetDCOrgEx(HDC dc, TPoint* origin);
// Limits a surface context to a region of its device space (a window's visible part).
void SetDCVisibleRegion(HDC dc, const TRegionData& region);
int GetDeviceCaps(HDC dc, int index);

int SaveDC(HDC dc);
bool RestoreDC(HDC dc, int savedDC);

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, int objectType);

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int mode);
int GetROP2(HDC dc);
uint32_t SetTextAlign(HDC dc, uint32_t align);
uint32_t GetTextAlign(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);
int SetTextCharacterExtra(HDC dc, int extra);

bool SetWindowOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetWindowOrgEx(HDC dc, TPoint* origin);
bool OffsetWindowOrgEx(HDC dc, int dx, int dy, TPoint* old);
bool SetViewportOrgEx(HDC dc, int x, int y, TPoint* old);
bool GetViewportOrgEx(HDC dc, TPoint* origin);
bool OffsetViewportOrgEx(HDC dc, int dx, int dy, TPoint* old);
bool SetBrushOrgEx(HDC dc, int x, int y, TPoint* old);
bool LPtoDP(HDC dc, TPoint* points, int count);
bool DPtoLP(HDC dc, TPoint* points, int count);

// --- Drawing objects -------------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HPEN ExtCreatePen(uint32_t style, uint32_t width, const LOGBRUSH* brush, uint32_t styleCount,
                  const uint32_t* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HFONT CreateFontIndirect(const LOGFONTW* font);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                 uint32_t italic, uint32_t underline, uint32_t strikeOut, uint32_t charSet,
                 uint32_t outPrecision, uint32_t clipPrecision, uint32_t quality,
                 uint32_t pitchAndFamily, std::u16string_view faceName);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// bits: rows of bitsPixel (1, 24 or 32) bits a pixel, each row padded to 16 bits, top row first.
HBITMAP CreateBitmap(int width, int height, uint32_t planes, uint32_t bitsPixel, const void* bits);
// A 24- or 32-bit device-independent bitmap; *bits receives its rows (top row first, each row
// padded to 32 bits), which stay valid until the bitmap is deleted.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, uint32_t usage, void** bits,
                         void* section, uint32_t offset);
// Copies rows of a bitmap into a 24- or 32-bit buffer laid out as info describes.
int GetDIBits(HDC dc, HBITMAP bitmap, uint32_t start, uint32_t lines, void* bits, BITMAPINFO* info,
              uint32_t usage);
// Replaces rows of a bitmap from a buffer laid out as info describes.
int SetDIBits(HDC dc, HBITMAP bitmap, uint32_t start, uint32_t lines, const void* bits,
              const BITMAPINFO* info, uint32_t usage);
bool DeleteObject(HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
int GetObjectType(HGDIOBJ object);
// Fills a LOGPEN, LOGBRUSH, LOGFONTW or BITMAP; returns the bytes written (or needed when out is
// null), 0 on failure.
int GetObject(HGDIOBJ object, int size, void* out);

// --- Regions and clipping --------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const TRect& rect);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const TRect& rect);
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode);
bool SetRectRgn(HRGN region, int left, int top, int right, int bottom);
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
bool EqualRgn(HRGN a, HRGN b);
int OffsetRgn(HRGN region, int dx, int dy);
int GetRgnBox(HRGN region, TRect* box);
bool PtInRegion(HRGN region, int x, int y);
bool RectInRegion(HRGN region, const TRect& rect);
// The region's data, for the windows layer; null for a null handle.
const TRegionData* RegionData(HRGN region);
bool FillRgn(HDC dc, HRGN region, HBRUSH brush);
bool PaintRgn(HDC dc, HRGN region);
bool FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height);
bool InvertRgn(HDC dc, HRGN region);

// Regions given to the clip calls are in device coordinates; rectangles are logical.
int SelectClipRgn(HDC dc, HRGN region);
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
int GetClipBox(HDC dc, TRect* box);
// Copies the clip region into region; 0 when none is selected, 1 when copied, -1 on error.
int GetClipRgn(HDC dc, HRGN region);
bool PtVisible(HDC dc, int x, int y);
bool RectVisible(HDC dc, const TRect& rect);

// --- Shapes and pixels -----------------------------------------------------------------------

int FillRect(HDC dc, const TRect& rect, HBRUSH brush);
int FrameRect(HDC dc, const TRect& rect, HBRUSH brush);
bool InvertRect(HDC dc, const TRect& rect);
// The dotted focus frame, drawn by inverting: drawing it twice restores the pixels.
bool DrawFocusRect(HDC dc, const TRect& rect);
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
bool Polygon(HDC dc, const TPoint* points, int count);
bool Polyline(HDC dc, const TPoint* points, int count);
bool PolyPolygon(HDC dc, const TPoint* points, const int* counts, int polygons);
bool MoveToEx(HDC dc, int x, int y, TPoint* old);
bool LineTo(HDC dc, int x, int y);
bool GetCurrentPositionEx(HDC dc, TPoint* position);
// Arcs run counter-clockwise from the radial through (xStart, yStart) to the one through (xEnd, yEnd).
bool Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
bool Pie(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
bool Chord(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
           int yEnd);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
bool SetPixelV(HDC dc, int x, int y, COLORREF color);
// CLR_INVALID outside the visible part.
COLORREF GetPixel(HDC dc, int x, int y);
bool ExtFloodFill(HDC dc, int x, int y, COLORREF color, uint32_t type);
bool FloodFill(HDC dc, int x, int y, COLORREF border);

// --- Bit-block transfers ---------------------------------------------------------------------

bool PatBlt(HDC dc, int x, int y, int width, int height, uint32_t rop);
bool BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, uint32_t rop);
bool StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                int srcWidth, int srcHeight, uint32_t rop);
// Copies with the pixels of one colour of the source left out.
bool TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                    int srcWidth, int srcHeight, COLORREF transparent);
int StretchDIBits(HDC dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, uint32_t usage,
                  uint32_t rop);

// --- Edges and frame controls ----------------------------------------------------------------

bool DrawEdge(HDC dc, TRect& rect, uint32_t edge, uint32_t flags);
bool DrawFrameControl(HDC dc, TRect& rect, uint32_t type, uint32_t state);

// --- Text ------------------------------------------------------------------------------------

bool TextOut(HDC dc, int x, int y, std::u16string_view text);
bool TextOut(HDC dc, int x, int y, std::string_view utf8);
// dx: the advance of each character, or null.
bool ExtTextOut(HDC dc, int x, int y, uint32_t options, const TRect* rect, std::u16string_view text,
                const int* dx);
bool ExtTextOut(HDC dc, int x, int y, uint32_t options, const TRect* rect, std::string_view utf8,
                const int* dx);
bool GetTextExtentPoint32(HDC dc, std::u16string_view text, TSize* size);
bool GetTextExtentPoint32(HDC dc, std::string_view utf8, TSize* size);
// How many characters fit in maxExtent (fit), and the extent after each character (dx).
bool GetTextExtentExPoint(HDC dc, std::u16string_view text, int maxExtent, int* fit, int* dx,
                          TSize* size);
bool GetTextMetrics(HDC dc, TEXTMETRICW* metrics);
// The face name of the selected font as the caller gave it.
String GetTextFace(HDC dc);
// Formats text in rect; see TextLayout.h for the rules. Returns the height of the text (with
// DT_VCENTER or DT_BOTTOM, the offset from rect.Top to the bottom of the text); 0 on failure.
int DrawText(HDC dc, std::u16string_view text, TRect& rect, uint32_t format);
int DrawText(HDC dc, std::string_view utf8, TRect& rect, uint32_t format);
int DrawTextEx(HDC dc, std::u16string_view text, TRect& rect, uint32_t format,
               DRAWTEXTPARAMS* params);
int DrawTextEx(HDC dc, std::string_view utf8, TRect& rect, uint32_t format, DRAWTEXTPARAMS* params);
