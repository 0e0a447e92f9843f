// Creating, describing and deleting pens, brushes, fonts and the stock objects.
#include <array>
#include <cstring>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"

namespace {

template <class T>
T* MakeStock(T* object) {
  object->Stock = true;
  return object;
}

TGdiPen* NewPen(uint32_t style, int width, COLORREF color) {
  auto* pen = new TGdiPen;
  uint32_t kind = style & PS_STYLE_MASK;
  if (kind > PS_ALTERNATE) kind = PS_SOLID;
  // Styled lines are one pixel wide; a wider cosmetic pen of a dashed style draws solid.
  if (width > 1 && (style & PS_GEOMETRIC) == 0 && kind >= PS_DASH && kind <= PS_DASHDOTDOT) {
    kind = PS_SOLID;
  }
  pen->Style = (style & ~PS_STYLE_MASK) | kind;
  pen->Width = std::max(width, 0);
  pen->Color = color & 0xFFFFFF;
  return pen;
}

TGdiFont* NewFont(std::u16string_view face, int height, int weight) {
  LOGFONTW log;
  log.lfHeight = height;
  log.lfWeight = weight;
  log.lfCharSet = DEFAULT_CHARSET;
  face = face.substr(0, LF_FACESIZE - 1);
  std::copy(face.begin(), face.end(), log.lfFaceName);
  return new TGdiFont(log);
}

}  // namespace

HGDIOBJ StockObject(int index) {
  static const std::array<TGdiObject*, 18> objects = [] {
    std::array<TGdiObject*, 18> made{};
    auto brush = [](uint32_t style, COLORREF color) {
      auto* b = new TGdiBrush;
      b->Style = style;
      b->Color = color;
      return MakeStock(b);
    };
    made[WHITE_BRUSH] = brush(BS_SOLID, RGB(255, 255, 255));
    made[LTGRAY_BRUSH] = brush(BS_SOLID, RGB(192, 192, 192));
    made[GRAY_BRUSH] = brush(BS_SOLID, RGB(128, 128, 128));
    made[DKGRAY_BRUSH] = brush(BS_SOLID, RGB(64, 64, 64));
    made[BLACK_BRUSH] = brush(BS_SOLID, RGB(0, 0, 0));
    made[NULL_BRUSH] = brush(BS_NULL, 0);
    made[WHITE_PEN] = MakeStock(NewPen(PS_SOLID, 1, RGB(255, 255, 255)));
    made[BLACK_PEN] = MakeStock(NewPen(PS_SOLID, 1, RGB(0, 0, 0)));
    made[NULL_PEN] = MakeStock(NewPen(PS_NULL, 1, 0));
    made[OEM_FIXED_FONT] = MakeStock(NewFont(u"Courier New", -13, FW_NORMAL));
    made[ANSI_FIXED_FONT] = MakeStock(NewFont(u"Courier New", -13, FW_NORMAL));
    made[ANSI_VAR_FONT] = MakeStock(NewFont(u"MS Sans Serif", -11, FW_NORMAL));
    made[SYSTEM_FONT] = MakeStock(NewFont(u"Tahoma", -11, FW_NORMAL));
    made[DEVICE_DEFAULT_FONT] = MakeStock(NewFont(u"Tahoma", -11, FW_NORMAL));
    made[SYSTEM_FIXED_FONT] = MakeStock(NewFont(u"Courier New", -13, FW_NORMAL));
    made[DEFAULT_GUI_FONT] = MakeStock(NewFont(u"Tahoma", -11, FW_NORMAL));
    return made;
  }();
  if (index < 0 || index >= static_cast<int>(objects.size())) return nullptr;
  return objects[index];
}

TGdiBitmap* DefaultBitmap() {
  static TGdiBitmap* bitmap = MakeStock(new TGdiBitmap(1, 1, 1));
  return bitmap;
}

HGDIOBJ GetStockObject(int index) { return StockObject(index); }

HPEN CreatePen(int style, int width, COLORREF color) {
  return NewPen(static_cast<uint32_t>(style), width, color);
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  return pen == nullptr ? nullptr : NewPen(pen->lopnStyle, pen->lopnWidth.X, pen->lopnColor);
}

HPEN ExtCreatePen(uint32_t style, uint32_t width, const LOGBRUSH* brush, uint32_t styleCount,
                  const uint32_t* styles) {
  if (brush == nullptr) return nullptr;
  if ((style & PS_STYLE_MASK) == PS_USERSTYLE && (styles == nullptr || styleCount == 0)) return nullptr;
  TGdiPen* pen = NewPen(style, static_cast<int>(width), brush->lbStyle == BS_NULL ? 0 : brush->lbColor);
  if (brush->lbStyle == BS_NULL) pen->Style = (pen->Style & ~PS_STYLE_MASK) | PS_NULL;
  if ((style & PS_STYLE_MASK) == PS_USERSTYLE) pen->UserStyle.assign(styles, styles + styleCount);
  return pen;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* brush = new TGdiBrush;
  brush->Style = BS_SOLID;
  brush->Color = color & 0xFFFFFF;
  return brush;
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  auto* brush = new TGdiBrush;
  brush->Style = BS_HATCHED;
  brush->Color = color & 0xFFFFFF;
  brush->Hatch = hatch;
  return brush;
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  if (bitmap == nullptr) return nullptr;
  auto* brush = new TGdiBrush;
  brush->Style = BS_PATTERN;
  brush->Pattern = bitmap;
  GdiAddRef(bitmap);
  return brush;
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (brush == nullptr) return nullptr;
  switch (brush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush->lbColor);
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    case BS_NULL: {
      auto* b = new TGdiBrush;
      b->Style = BS_NULL;
      return b;
    }
  }
  return nullptr;
}

HFONT CreateFontIndirect(const LOGFONTW* font) {
  return font == nullptr ? nullptr : new TGdiFont(*font);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                 uint32_t italic, uint32_t underline, uint32_t strikeOut, uint32_t charSet,
                 uint32_t outPrecision, uint32_t clipPrecision, uint32_t quality,
                 uint32_t pitchAndFamily, std::u16string_view faceName) {
  LOGFONTW log;
  log.lfHeight = height;
  log.lfWidth = width;
  log.lfEscapement = escapement;
  log.lfOrientation = orientation;
  log.lfWeight = weight;
  log.lfItalic = static_cast<uint8_t>(italic != 0);
  log.lfUnderline = static_cast<uint8_t>(underline != 0);
  log.lfStrikeOut = static_cast<uint8_t>(strikeOut != 0);
  log.lfCharSet = static_cast<uint8_t>(charSet);
  log.lfOutPrecision = static_cast<uint8_t>(outPrecision);
  log.lfClipPrecision = static_cast<uint8_t>(clipPrecision);
  log.lfQuality = static_cast<uint8_t>(quality);
  log.lfPitchAndFamily = static_cast<uint8_t>(pitchAndFamily);
  faceName = faceName.substr(0, LF_FACESIZE - 1);
  std::copy(faceName.begin(), faceName.end(), log.lfFaceName);
  return new TGdiFont(log);
}

bool DeleteObject(HGDIOBJ object) {
  if (object == nullptr) return false;
  if (object->Stock) return true;
  if (object->OwnerReleased) return false;
  object->OwnerReleased = true;
  GdiRelease(object);
  return true;
}

int GetObjectType(HGDIOBJ object) { return object == nullptr ? 0 : object->Type; }

namespace {

template <class T>
int CopyOut(const T& value, int size, void* out) {
  if (out == nullptr) return sizeof(T);
  if (size < static_cast<int>(sizeof(T))) return 0;
  std::memcpy(out, &value, sizeof(T));
  return sizeof(T);
}

}  // namespace

int GetObject(HGDIOBJ object, int size, void* out) {
  if (object == nullptr) return 0;
  switch (object->Type) {
    case OBJ_PEN: {
      auto* pen = static_cast<TGdiPen*>(object);
      LOGPEN log{pen->Style, {pen->Width, 0}, pen->Color};
      return CopyOut(log, size, out);
    }
    case OBJ_BRUSH: {
      auto* brush = static_cast<TGdiBrush*>(object);
      LOGBRUSH log{brush->Style,
                   brush->SysColorIndex >= 0 ? GetSysColor(brush->SysColorIndex) : brush->Color,
                   brush->Style == BS_PATTERN ? reinterpret_cast<uintptr_t>(brush->Pattern)
                                              : static_cast<uintptr_t>(brush->Hatch)};
      return CopyOut(log, size, out);
    }
    case OBJ_FONT: return CopyOut(static_cast<TGdiFont*>(object)->Log, size, out);
    case OBJ_BITMAP: {
      auto* bitmap = static_cast<TGdiBitmap*>(object);
      BITMAP info;
      info.bmWidth = bitmap->Width;
      info.bmHeight = bitmap->Height;
      info.bmWidthBytes = bitmap->RowBytes();
      info.bmBitsPixel = static_cast<uint16_t>(bitmap->BitsPixel);
      return CopyOut(info, size, out);
    }
  }
  return 0;
}
