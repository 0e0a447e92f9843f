// The canvas's drawing tools: fonts, pens and brushes as persistent objects that notify their
// owner when they change and make their drawing handle when it is first asked for.
#pragma once

#include "platform/gdi/Colors.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Sets.h"

class TBitmap;

// The display's resolution, which turns point sizes into pixels.
constexpr int kScreenPixelsPerInch = 96;

class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;

 protected:
  // Fires OnChange.
  virtual void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, 4>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TFontQuality {
  fqDefault,
  fqDraft,
  fqProof,
  fqNonAntialiased,
  fqAntialiased,
  fqClearType,
  fqClearTypeNatural
};
using TFontCharset = uint8_t;

// A font: "Tahoma" at 8 points in the window text colour to begin with. Size is in points,
// Height in pixels (negative: the character height), one following the other.
class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* source) override;

  const String& Name() const { return FLog.Name; }
  void SetName(const String& value);
  int Size() const;
  void SetSize(int value);
  int Height() const { return FLog.Height; }
  void SetHeight(int value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFontStyles Style() const { return FLog.Style; }
  void SetStyle(TFontStyles value);
  TFontCharset Charset() const { return FLog.Charset; }
  void SetCharset(TFontCharset value);
  TFontPitch Pitch() const { return FLog.Pitch; }
  void SetPitch(TFontPitch value);
  // Turned counter-clockwise, in tenths of a degree.
  int Orientation() const { return FLog.Orientation; }
  void SetOrientation(int value);
  TFontQuality Quality() const { return FLog.Quality; }
  void SetQuality(TFontQuality value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int value) { FPixelsPerInch = value; }

  // The font handle, made on first use and remade after a change; the font owns it.
  HFONT Handle();
  // Takes the attributes of a logical font (the handle stays the font's own).
  void SetHandle(HFONT font);

 private:
  struct TFontData {
    String Name = u"Tahoma";
    int Height = -11;
    int Orientation = 0;
    TFontStyles Style;
    TFontCharset Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = fpDefault;
    TFontQuality Quality = fqDefault;
    bool operator==(const TFontData&) const = default;
  };
  void Change(const TFontData& data);
  void FreeHandle();

  TFontData FLog;
  TColor FColor = clWindowText;
  int FPixelsPerInch = kScreenPixelsPerInch;
  HFONT FHandle = nullptr;
};

enum TPenStyle {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate
};
// How the pen combines with what is under it (a binary raster operation).
enum TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
// The R2_* code of a pen mode.
int PenModeToRop2(TPenMode mode);

// A pen: black, one pixel wide, solid, copying.
class TPen : public TGraphicsObject {
 public:
  TPen() = default;
  ~TPen() override;
  void Assign(TPersistent* source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Width() const { return FWidth; }
  void SetWidth(int value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value);
  HPEN Handle();

 private:
  void FreeHandle();
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
  HPEN FHandle = nullptr;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// A brush: solid white; with a bitmap it paints that bitmap as a pattern.
class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;
  ~TBrush() override;
  void Assign(TPersistent* source) override;

  TColor Color() const { return FColor; }
  // Setting a colour makes a clear brush solid.
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);
  // The pattern bitmap; the brush does not own it.
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* value);
  HBRUSH Handle();

 private:
  void FreeHandle();
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
  HBRUSH FHandle = nullptr;
};
