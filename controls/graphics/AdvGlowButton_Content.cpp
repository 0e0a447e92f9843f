// The content of a glow button: the choice between GDI+ and GDI text, the measuring that gives
// the content size, the placement of caption and glyph in the eight layouts, the notes, and the
// drop-down separator and arrow.
#include <algorithm>
#include <memory>

#include "controls/graphics/AdvGlowButtonContent.h"
#include "platform/gdi/FontFace.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Screen.h"

using namespace AdvGlowButton;

namespace {

constexpr float kMeasureLayout = 4096;

int Rnd(double v) { return static_cast<int>(Round(v)); }

bool GrowsWidth(TButtonLayout l) {
  return l == blGlyphLeft || l == blGlyphRight || l == blGlyphLeftAdjusted ||
         l == blGlyphRightAdjusted;
}

bool IsVertical(TButtonLayout l) {
  return l == blGlyphTop || l == blGlyphBottom || l == blGlyphTopAdjusted ||
         l == blGlyphBottomAdjusted;
}

// The two characters backslash and "n" (either case) become a line break, or a blank.
String ExpandLineBreaks(const String& caption, bool blank) {
  String out;
  out.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'\\' && i + 1 < caption.size() &&
        (caption[i + 1] == u'n' || caption[i + 1] == u'N')) {
      // One break for every text layer here; a line feed before a carriage return would be two.
      out += blank ? u" " : u"\r\n";
      ++i;
    } else {
      out += caption[i];
    }
  }
  return out;
}

bool IsScreenFont(const String& name) {
  if (Screen != nullptr) return Screen->Fonts()->IndexOf(name) >= 0;
  std::vector<String> names = ScreenFontNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

// A GDI+ family of the font's face, "Arial" when GDI+ does not know the family or its style.
std::unique_ptr<TGPFontFamily> FamilyOf(TFont* font) {
  auto family = std::make_unique<TGPFontFamily>(font->Name());
  GpStatus status = family->GetLastStatus();
  if (status == FontFamilyNotFound || status == FontStyleNotFound)
    family = std::make_unique<TGPFontFamily>(u"Arial");
  return family;
}

std::unique_ptr<TGPFont> GPFontOf(TGPFontFamily* family, TFont* font) {
  int style = 0;
  TFontStyles s = font->Style();
  if (s.Contains(fsBold)) style |= FontStyleBold;
  if (s.Contains(fsItalic)) style |= FontStyleItalic;
  if (s.Contains(fsUnderline)) style |= FontStyleUnderline;
  return std::make_unique<TGPFont>(family, float(font->Size()), style, UnitPoint);
}

String NotesText(TStrings* notes) {
  String text;
  for (int i = 0; i < notes->Count(); ++i) {
    if (i > 0) text += u"\r\n";
    text += notes->Strings(i);
  }
  return text;
}

TEncodedPicture* Encoded(TGraphic* picture) { return dynamic_cast<TEncodedPicture*>(picture); }

// Measured text: caption and notes sizes, where the caption starts, the arrow's reference line.
struct TTextMeasure {
  double X = 0, Tw = 0, Th = 0, Nw = 0, Nh = 0;
  int ArrowRef = 0;
};

// The text rectangle the caption is laid out in.
struct TTextRect {
  double X, Y, W, H;
};

class TContentPainter {
 public:
  TContentPainter(TControl* control, TCanvas* canvas, TGPGraphics* graphics, const TRect& r,
                  const TGlowDrawParams& p)
      : FControl(control), FCanvas(canvas), FGraphics(graphics), FR(r), FP(p) {}

  TSize Run();

 private:
  void Frame();
  void GlyphSize();
  void PrepareText();
  void MeasureGdiPlus();
  void MeasureGdi();
  TSize ContentSize() const;
  void Place();
  void DrawGdiPlusText();
  void DrawGdiText();
  void DrawGlyph();
  void DrawDropDownPart();

  TControl* FControl;
  TCanvas* FCanvas;
  TGPGraphics* FGraphics;
  const TRect FR;
  const TGlowDrawParams& FP;

  TRect FStrip, FContent;
  int FCw = 0, FCh = 0;
  TButtonLayout FLayout = blGlyphLeft;
  bool FHasNotes = false;
  bool FHasCaption = false;
  bool FForced = false;
  int FGw = 0, FGh = 0;          // grown by the spacing on the caption side
  int FGlyphW = 0, FGlyphH = 0;  // as drawn
  String FCaption;
  bool FGdiPlus = false;
  uint32_t FPrefix = 0;
  TTextRect FText{};
  TTextMeasure FM;
  int FGx = 0, FGy = 0;
  std::unique_ptr<TGPFontFamily> FFamily, FNotesFamily;
  std::unique_ptr<TGPFont> FFont, FNotesFont;
  std::unique_ptr<TGPStringFormat> FFormat;
};

TSize TContentPainter::Run() {
  Frame();
  GlyphSize();
  TSize size{FGw, FGh};
  if (FHasCaption) {
    PrepareText();
    size = ContentSize();
  }
  if (FP.MeasureOnly) return size;
  Place();
  if (FHasCaption) {
    if (FGdiPlus)
      DrawGdiPlusText();
    else
      DrawGdiText();
  }
  DrawGlyph();
  DrawDropDownPart();
  return size;
}

void TContentPainter::Frame() {
  const int L = FR.Left, T = FR.Top, R = FR.Right, B = FR.Bottom;
  FStrip = FP.DropDownPosition == dpRight ? Rect(R - kDropDownWidth, T, R, B)
                                          : Rect(L, B - kDropDownWidth, R, B);
  FContent = FR;
  if (FP.DropDownButton) {
    if (FP.DropDownPosition == dpRight)
      FContent.Right = FStrip.Left;
    else
      FContent.Bottom = FStrip.Top;
  }
  FCw = FContent.Width();
  FCh = FContent.Height();
  FHasNotes = FP.Notes != nullptr && FP.Notes->Count() > 0;
  FLayout = FHasNotes ? blGlyphLeftAdjusted : FP.Layout;
  FHasCaption = !FP.Caption.empty();
  FForced = FP.ForcedWidth > 0 || FP.ForcedHeight > 0;
}

void TContentPainter::GlyphSize() {
  if (FP.GlyphBitmap != nullptr) {
    FGlyphW = FForced ? FP.ForcedWidth : FP.GlyphBitmap->Width();
    FGlyphH = FForced ? FP.ForcedHeight : FP.GlyphBitmap->Height();
  } else if (FP.Picture != nullptr && !FP.Picture->Empty()) {
    FGlyphW = FForced ? FP.ForcedWidth : FP.Picture->Width();
    FGlyphH = FForced ? FP.ForcedHeight : FP.Picture->Height();
  } else if (FP.Images != nullptr && FP.ImageIndex >= 0) {
    FGlyphW = FP.Images->Width();
    FGlyphH = FP.Images->Height();
  }
  FGw = FGlyphW;
  FGh = FGlyphH;
  if (!FHasCaption) return;
  if (FGw > 0 && GrowsWidth(FLayout)) FGw += FP.Spacing;
  if (FGh > 0 && (FLayout == blGlyphTop || FLayout == blGlyphTopAdjusted)) FGh += FP.Spacing;
}

void TContentPainter::PrepareText() {
  FCaption = ExpandLineBreaks(FP.Caption, FForced);
  FCanvas->Font()->Assign(FP.Font);
  TEXTMETRICW metrics{};
  GetTextMetrics(FCanvas->Handle(), &metrics);
  bool trueType = (metrics.tmPitchAndFamily & TMPF_TRUETYPE) != 0 && IsScreenFont(FP.Font->Name());
  FGdiPlus = FP.AntiAlias != aaNone && trueType;
  FPrefix = GetAccelHideFlag(FControl);
  FText = {double(FContent.Left), double(FContent.Top), double(FCw), double(FCh)};
  if (FP.MeasureOnly) FText.W = FText.H = kMeasureLayout;
  if (FGdiPlus)
    MeasureGdiPlus();
  else
    MeasureGdi();
}

void TContentPainter::MeasureGdiPlus() {
  FFamily = FamilyOf(FP.Font);
  FFont = GPFontOf(FFamily.get(), FP.Font);
  FFormat = std::make_unique<TGPStringFormat>(FP.WordWrap ? 0 : StringFormatFlagsNoWrap);
  FFormat->SetAlignment(FLayout == blGlyphLeftAdjusted    ? StringAlignmentNear
                        : FLayout == blGlyphRightAdjusted ? StringAlignmentFar
                                                          : StringAlignmentCenter);
  FFormat->SetLineAlignment(FLayout == blGlyphTopAdjusted      ? StringAlignmentNear
                            : FLayout == blGlyphBottomAdjusted ? StringAlignmentFar
                                                               : StringAlignmentCenter);
  FFormat->SetHotkeyPrefix(FPrefix != 0 ? HotkeyPrefixHide : HotkeyPrefixShow);
  FFormat->SetTrimming(FP.Trimming);
  FGraphics->SetTextRenderingHint(FP.AntiAlias == aaClearType ? TextRenderingHintClearTypeGridFit
                                                              : TextRenderingHintAntiAlias);
  TGPFloatRect layout = MakeRectF(float(FText.X), float(FText.Y), float(FText.W), float(FText.H));
  TGPFloatRect bounds{};
  FGraphics->MeasureString(FCaption, -1, FFont.get(), layout, FFormat.get(), bounds);
  FM.X = bounds.X;
  FM.Tw = bounds.Width;
  FM.Th = bounds.Height;
  FM.ArrowRef = Rnd(bounds.Y + bounds.Height);
  if (FGw > 0) FText.W -= FGw + FP.Spacing;
  if (FHasNotes) {
    FNotesFamily = FamilyOf(FP.NotesFont);
    FNotesFont = GPFontOf(FNotesFamily.get(), FP.NotesFont);
    TGPFloatRect notes{};
    FGraphics->MeasureString(NotesText(FP.Notes), -1, FNotesFont.get(), layout, FFormat.get(),
                             notes);
    FM.Nw = notes.Width;
    FM.Nh = notes.Height;
  }
}

// The canvas's handle is taken at each call: it carries the font and colours set just before.
void TContentPainter::MeasureGdi() {
  FCanvas->Font()->Assign(FP.Font);
  int left = Rnd(FText.X), top = Rnd(FText.Y);
  TRect m = Rect(left, top, FP.WordWrap ? left + Rnd(FText.W) : left + 2, top + Rnd(FText.H));
  uint32_t flags = DT_CALCRECT | FPrefix | (FP.WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
  int height = DrawText(FCanvas->Handle(), FCaption, m, flags);
  FM.X = left;
  FM.Tw = m.Right - m.Left;
  FM.Th = height - top;
  FM.ArrowRef = (Rnd(FText.H) + height) / 2;
  if (FHasNotes) {
    FCanvas->Font()->Assign(FP.NotesFont);
    TRect n = Rect(left, top, left + Rnd(FText.W), top + 0xFFFF);
    DrawText(FCanvas->Handle(), NotesText(FP.Notes), n, DT_CALCRECT | DT_WORDBREAK);
    FM.Nw = n.Width();
    FM.Nh = n.Height();
    FCanvas->Font()->Assign(FP.Font);
  }
}

TSize TContentPainter::ContentSize() const {
  const int sp = FP.Spacing, tw = Rnd(FM.Tw), th = Rnd(FM.Th), nw = Rnd(FM.Nw),
            nh = Rnd(FM.Nh);
  if (IsVertical(FLayout))
    return {std::max(tw + sp, FGw + sp), FGdiPlus ? th + FGh : th + FGh + sp};
  if (FLayout == blGlyphLeftAdjusted || FGdiPlus)
    return {std::max(nw, tw) + FGw + sp, std::max(th + sp + nh, FGh + sp)};
  return {tw + FGw + sp, std::max(th + sp, FGh + sp)};
}

void TContentPainter::Place() {
  if (!FP.WordWrap)
    FText = {double(FContent.Left), double(FContent.Top), double(FCw), double(FCh)};
  const int L = FR.Left, T = FR.Top, sp = FP.Spacing, cw = FCw, ch = FCh, gw = FGw, gh = FGh;
  const double tw = FM.Tw, th = FM.Th;
  const int centredX = std::max(0, (cw - gw) / 2) + L;
  const int middleY = std::max(0, (ch - gh) / 2) + T;
  switch (FLayout) {
    case blGlyphLeft:
    case blGlyphLeftAdjusted:
      FText.X = L + gw + 2;
      FText.W = cw - gw - 2;
      FGx = !FGdiPlus && FLayout == blGlyphLeft ? (cw - Rnd(tw) - gw) / 2
                                                : Rnd(FM.X) - gw / 2;
      FGx = std::max(FGx, 2);
      FGy = middleY;
      break;
    case blGlyphTop:
    case blGlyphTopAdjusted:
      FText.Y = T + gh;
      FText.H = ch - gh - 2;
      FGx = centredX;
      if (FLayout == blGlyphTop)
        FGy = std::max(0, Rnd(FText.H - th) / 2) + Rnd(FText.Y) - gh - (FGdiPlus ? 0 : 4);
      else
        FGy = T;
      FGy = std::max(FGy, 2);
      break;
    case blGlyphBottom:
      FText.Y = 2;
      FText.H = ch - gh - 2;
      FGx = centredX;
      FGy = std::max(0, Rnd(FText.H - th) / 2) + Rnd(th + 2) + (FGdiPlus ? 0 : 5);
      FGy = std::min(FGy, ch - gh - 2);
      break;
    case blGlyphBottomAdjusted:
      FText.Y = 2;
      FText.H = ch - gh - 2 - (FGdiPlus ? 0 : 4);
      FGx = centredX;
      FGy = std::min(ch / 2 + Rnd(th + 2), ch - gh - 2);
      break;
    case blGlyphRight:
      FText.X = 2;
      FText.W = cw - gw - 4;
      FGx = std::min(std::max(0, Rnd(FText.W - tw) / 2) + Rnd(tw) + 4, cw - gw - 2) + sp;
      FGy = middleY;
      break;
    case blGlyphRightAdjusted:
      FText.X = 2;
      FText.W = cw - gw - 4;
      FGx = cw - gw - 2 + sp;
      FGy = middleY;
      break;
  }
}

void TContentPainter::DrawGdiPlusText() {
  TGPSolidBrush brush(ColorToARGB(FP.Enabled ? FP.Font->Color() : kDisabledInk));
  if (FHasNotes) {
    FFormat->SetLineAlignment(StringAlignmentNear);
    FText.Y += (FText.H - FM.Th - FM.Nh) / 2;
  }
  FText.X -= 1;
  TGPFloatRect layout = MakeRectF(float(FText.X), float(FText.Y), float(FText.W), float(FText.H));
  FGraphics->DrawWideString(FCaption, -1, FFont.get(), layout, FFormat.get(), &brush);
  if (!FHasNotes) return;
  layout.Y += float(FM.Th);
  TGPSolidBrush notesBrush(ColorToARGB(FP.NotesFont->Color()));
  FGraphics->DrawWideString(NotesText(FP.Notes), -1, FNotesFont.get(), layout, FFormat.get(),
                            &notesBrush);
}

void TContentPainter::DrawGdiText() {
  FCanvas->Brush()->SetStyle(bsClear);
  TRect r = Rect(Rnd(FText.X), Rnd(FText.Y), Rnd(FText.X + FText.W), Rnd(FText.Y + FText.H));
  uint32_t flags = FP.WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
  switch (FLayout) {
    case blGlyphLeft:
    case blGlyphRight:
    case blGlyphBottom: flags |= DT_CENTER | DT_VCENTER; break;
    case blGlyphTop:
    case blGlyphTopAdjusted: flags |= DT_CENTER; break;
    case blGlyphLeftAdjusted:
      if (!FHasNotes) flags |= DT_VCENTER;
      r.Left += 2;
      break;
    case blGlyphRightAdjusted: flags |= DT_RIGHT | DT_VCENTER; break;
    case blGlyphBottomAdjusted: flags |= DT_CENTER | DT_BOTTOM; break;
  }
  FCanvas->Font()->Assign(FP.Font);
  if (!FP.Enabled) FCanvas->Font()->SetColor(kDisabledInk);
  const int th = Rnd(FM.Th), nh = Rnd(FM.Nh);
  if (FHasNotes) {
    r.Top += (r.Height() - (th + nh)) / 2;
  } else if (FP.WordWrap) {
    TRect calc = r;
    int height = DrawText(FCanvas->Handle(), FCaption, calc, flags | DT_CALCRECT | FPrefix);
    switch (FLayout) {
      case blGlyphTop: r.Top = FGy + FGh; break;
      case blGlyphTopAdjusted: break;
      case blGlyphBottomAdjusted: r.Top = r.Bottom - height; break;
      default: r.Top = (r.Bottom - r.Top - height) / 2; break;
    }
  }
  DrawText(FCanvas->Handle(), FCaption, r, flags | FPrefix);
  if (!FHasNotes) return;
  r.Top += th;
  r.Bottom = r.Top + nh;
  FCanvas->Font()->Assign(FP.NotesFont);
  DrawText(FCanvas->Handle(), NotesText(FP.Notes), r,
           DT_WORDBREAK | (flags & (DT_CENTER | DT_RIGHT)));
}

void TContentPainter::DrawGlyph() {
  TRect area = FHasCaption ? FContent : FR;
  if (FP.DropDownButton) {
    if (FP.DropDownPosition == dpRight)
      area.Right -= 8;
    else
      area.Bottom -= 8;
  }
  const int w = FGlyphW, h = FGlyphH;
  TPoint at = FHasCaption ? TPoint{FGx, FGy}
                          : TPoint{area.Left + (area.Width() - w) / 2,
                                   area.Top + (area.Height() - h) / 2};
  if (FP.GlyphBitmap != nullptr) {
    if (FForced) {
      FP.GlyphBitmap->SetTransparent(true);
      FCanvas->StretchDraw(Rect(at.X, at.Y, at.X + w, at.Y + h), FP.GlyphBitmap);
    } else {
      FCanvas->Draw(at.X, at.Y, FP.GlyphBitmap);
    }
  } else if (FP.Picture != nullptr && !FP.Picture->Empty()) {
    if (FForced)
      DrawPictureStretched(FGraphics, FCanvas, Rect(at.X, at.Y, at.X + w, at.Y + h), FP.Picture);
    else
      DrawPictureAt(FGraphics, at, FP.Picture);
  } else if (FP.Images != nullptr && FP.ImageIndex != -1) {
    FP.Images->Draw(FCanvas, at.X, at.Y, FP.ImageIndex, FP.ImageEnabled);
  }
}

void TContentPainter::DrawDropDownPart() {
  if (!FP.DropDownButton) return;
  FCanvas->Brush()->SetStyle(bsClear);
  if (FP.StateColors && FP.DropDownSplit && FP.Colors.Border != clNone) {
    FCanvas->Pen()->SetColor(FP.Colors.Border);
    if (FP.DropDownPosition == dpBottom) {
      FCanvas->MoveTo(FStrip.Left, FStrip.Top);
      FCanvas->LineTo(FStrip.Right, FStrip.Top);
    } else {
      FCanvas->MoveTo(FStrip.Left, FStrip.Top);
      FCanvas->LineTo(FStrip.Left, FStrip.Bottom);
    }
  }
  int x = FStrip.Left + (FStrip.Width() - 5) / 2;
  int y = FP.DropDownPosition == dpBottom || !FHasCaption
              ? FStrip.Top + (FStrip.Height() - 3) / 2 + 1
              : FM.ArrowRef - 8;
  DrawDropDownArrow(FCanvas, x, y, FP.Enabled ? clBlack : kDisabledInk, FP.ArrowDown, clWhite);
}

}  // namespace

namespace AdvGlowButton {

TSize DrawGlowContent(TControl* control, TCanvas* canvas, TGPGraphics* graphics, const TRect& r,
                      const TGlowDrawParams& p) {
  return TContentPainter(control, canvas, graphics, r, p).Run();
}

void DrawDropDownArrow(TCanvas* canvas, int x, int y, TColor color, bool down, TColor highlight) {
  canvas->Pen()->SetColor(color);
  if (down) {
    canvas->MoveTo(x, y);
    canvas->LineTo(x + 5, y);
    canvas->MoveTo(x + 1, y + 1);
    canvas->LineTo(x + 4, y + 1);
    canvas->SetPixels(x + 2, y + 2, color);
    for (TPoint p : {TPoint{x, y + 1}, TPoint{x + 4, y + 1}, TPoint{x + 1, y + 2},
                     TPoint{x + 3, y + 2}, TPoint{x + 2, y + 3}})
      canvas->SetPixels(p.X, p.Y, highlight);
    return;
  }
  canvas->MoveTo(x, y);
  canvas->LineTo(x, y + 5);
  canvas->MoveTo(x + 1, y + 1);
  canvas->LineTo(x + 1, y + 4);
  canvas->SetPixels(x + 2, y + 2, color);
  for (TPoint p : {TPoint{x + 2, y + 1}, TPoint{x + 1, y + 4}, TPoint{x + 3, y + 2}})
    canvas->SetPixels(p.X, p.Y, highlight);
}

void DrawPictureAt(TGPGraphics* graphics, TPoint at, TGraphic* picture) {
  TEncodedPicture* encoded = Encoded(picture);
  if (encoded == nullptr || encoded->Empty()) return;
  TDecodedImage decoded(encoded->Bytes());
  if (!decoded.Valid()) return;
  TGPImage& image = decoded.Image();
  if (image.GetFormat() != TGPImageFormat::ifBMP) {
    graphics->DrawImage(&image, at.X, at.Y);
    return;
  }
  // A BMP has no alpha: the colour of its bottom-left pixel stands for transparent.
  const int w = int(image.GetWidth()), h = int(image.GetHeight());
  ARGB key = 0;
  decoded.NewBitmap()->GetPixel(0, h - 1, key);
  TGPImageAttributes attributes;
  attributes.SetColorKey(key, key);
  graphics->DrawImageRect(&image, MakeRectF(float(at.X), float(at.Y), float(w), float(h)), 0, 0,
                          float(w), float(h), UnitPixel, &attributes);
}

void DrawPictureStretched(TGPGraphics* graphics, TCanvas* canvas, const TRect& r,
                          TGraphic* picture) {
  TEncodedPicture* encoded = Encoded(picture);
  if (encoded == nullptr || encoded->Empty()) return;
  TDecodedImage decoded(encoded->Bytes());
  if (!decoded.Valid()) return;
  if (decoded.Image().GetFormat() == TGPImageFormat::ifBMP) {
    TBitmap bitmap;
    TBytesStream stream(encoded->Bytes());
    bitmap.LoadFromStream(&stream);
    bitmap.SetTransparent(true);
    canvas->StretchDraw(r, &bitmap);
    return;
  }
  graphics->DrawImageStretched(&decoded.Image(), r.Left, r.Top, r.Width(), r.Height());
}

uint32_t GetAccelHideFlag(TControl* control) {
  TControl* top = control;
  while (top->Parent() != nullptr) top = top->Parent();
  return (top->Perform(WM_QUERYUISTATE) & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0;
}

}  // namespace AdvGlowButton
