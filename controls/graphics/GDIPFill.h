// The fill: the one appearance object behind every GDI+-drawn surface of the library (colours,
// gradient kinds, opacities, border, rounding, shadow, glow, a background and a foreground
// picture) and the painter that turns it into pixels; the geometry other painters share (rounded
// paths, gradient and radial parts, picture placement); the status badge and glossy-button
// painters with their colour arithmetic and gloss paths.
#pragma once

#include <memory>

#include "controls/graphics/AdvGDIP.h"
#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Persistent.h"
#include "platform/win/WinDefs.h"

enum TFillRoundingType { rtNone, rtTop, rtBottom, rtBoth, rtLeft, rtRight };
enum TShadowType { stRightBottom, stBottom, stSurround };
enum TGlowMode { gmNone, gmGradient, gmRadial, gmRadialGradient };
enum TFillPicturePosition {
  ppTopLeft,
  ppTopCenter,
  ppTopRight,
  ppBottomLeft,
  ppBottomCenter,
  ppBottomRight,
  ppTiled,
  ppStretched,
  ppCenterLeft,
  ppCenterCenter,
  ppCenterRight,
  ppCustom
};
enum TFillPictureSize { psOriginal, psCustom };
enum TFillPictureMode { pmInsideFill, pmOutsideFill };
enum TPictureMode { pmStretch, pmNormal };

// One rectangle or path painted with one gradient kind, and optionally outlined.
struct TFillPartParams {
  TGPGraphics* Graphics = nullptr;
  TGPGraphicsPath* Path = nullptr;
  bool UsePath = false;  // fill and outline the path, else the rectangle
  TGPFloatRect R;
  TAdvGradientType GradientType = gtSolid;
  TColor Color = clNone;
  TColor ColorTo = clNone;
  int Opacity = 255;
  int OpacityTo = 255;
  HatchStyle Hatch = HatchStyleHorizontal;
  int Angle = 0;
  TAdvGDIPPicture* Texture = nullptr;
  TColor OutlineColor = clNone;
  int OutlineWidth = 1;
  GpDashStyle OutlineDash = DashStyleSolid;
  bool FirstLine = false;  // repaint the top row in the start colour (the seam of a mirror half)
};

using TGPPathPtr = std::unique_ptr<TGPGraphicsPath, TObjectFree>;

// A closed rounded-rectangle figure, built clockwise from the top-left; the radius is not limited
// to the rectangle.
void AddRoundRectFigure(TGPGraphicsPath* path, const TGPFloatRect& r, int radius,
                        TFillRoundingType roundingType);
TGPPathPtr CreateRoundRectPath(const TGPFloatRect& r, int radius, TFillRoundingType roundingType);
void FillGradientPart(const TFillPartParams& params);
// The underlay, then an elliptical glow centred on the top (topMode) or bottom edge, clipped to the
// rounded rectangle; the clip is reset afterwards.
void FillRadialPart(TGPGraphics* graphics, const TGPFloatRect& r, TColor color, TColor colorTo,
                    int opacity, int opacityTo, bool topMode, int radius,
                    TFillRoundingType roundingType);
// Places a picture of the given size in the rectangle and draws it through its GDI+ draw.
void DrawFillPicture(TGPGraphics* graphics, bool aspectRatio, TPictureMode aspectMode,
                     TAdvGDIPPicture* picture, TFillPicturePosition position, int width, int height,
                     const TRect& r, int x, int y);
// The size a picture takes in a rectangle: 0 x 0 for any size 0 or less; pmNormal keeps a picture
// smaller in both directions; otherwise it fills one side and keeps its aspect.
void GetAspectSize(double& width, double& height, TPictureMode mode, double pictureWidth,
                   double pictureHeight, double rectWidth, double rectHeight);
// A soft shadow: the path filled with the colour from a tenth of the way in, fading to
// transparent at its outline.
void FillShadowPath(TGPGraphics* graphics, TGPGraphicsPath* path, ARGB color);
// The clipboard format "GDI+ Fill", registered once, on the first call (with a window session
// running). Nothing reads it: the fill offers no copy or paste.
UINT GDIPFillClipboardFormat();

class TGDIPFill : public TPersistent {
 public:
  TGDIPFill();
  ~TGDIPFill() override;

  // From another fill: every published property (the pictures by Assign), then Changed. Any other
  // source is ignored.
  void Assign(TPersistent* source) override;
  void BeginUpdate() { ++FUpdateCount; }
  // Does not make up for the changes made in between.
  void EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
  }
  void Changed();

  // Paints the fill into r; an opacity argument of 255 stands for the property. Returns the body
  // rectangle (r after the shadow's share). The clip is reset when a radial part, a glow or an
  // inside background picture was painted.
  TGPFloatRect Fill(TGPGraphics* graphics, const TGPFloatRect& r, int borderOpacity = 255,
                    int opacity = 255, int opacityTo = 255, int opacityMirror = 255,
                    int opacityMirrorTo = 255);

  TColor Color() const { return FColor; }
  void SetColor(TColor v) { Set(FColor, v); }
  TColor ColorTo() const { return FColorTo; }
  void SetColorTo(TColor v) { Set(FColorTo, v); }
  TColor ColorMirror() const { return FColorMirror; }
  void SetColorMirror(TColor v) { Set(FColorMirror, v); }
  TColor ColorMirrorTo() const { return FColorMirrorTo; }
  void SetColorMirrorTo(TColor v) { Set(FColorMirrorTo, v); }
  TAdvGradientType GradientType() const { return FGradientType; }
  void SetGradientType(TAdvGradientType v) { Set(FGradientType, v); }
  TAdvGradientType GradientMirrorType() const { return FGradientMirrorType; }
  void SetGradientMirrorType(TAdvGradientType v) { Set(FGradientMirrorType, v); }
  ::HatchStyle HatchStyle() const { return FHatchStyle; }
  void SetHatchStyle(::HatchStyle v) { Set(FHatchStyle, v); }
  ::HatchStyle HatchStyleMirror() const { return FHatchStyleMirror; }
  void SetHatchStyleMirror(::HatchStyle v) { Set(FHatchStyleMirror, v); }
  bool BackGroundPictureAspectRatio() const { return FBackGroundPictureAspectRatio; }
  void SetBackGroundPictureAspectRatio(bool v) { Set(FBackGroundPictureAspectRatio, v); }
  TFillPictureMode BackGroundPictureMode() const { return FBackGroundPictureMode; }
  void SetBackGroundPictureMode(TFillPictureMode v) { Set(FBackGroundPictureMode, v); }
  TAdvGDIPPicture* BackGroundPicture() const { return FBackGroundPicture.get(); }
  void SetBackGroundPicture(TAdvGDIPPicture* v);
  TFillPicturePosition BackGroundPicturePosition() const { return FBackGroundPicturePosition; }
  void SetBackGroundPicturePosition(TFillPicturePosition v) { Set(FBackGroundPicturePosition, v); }
  int BackGroundPictureLeft() const { return FBackGroundPictureLeft; }
  void SetBackGroundPictureLeft(int v) { Set(FBackGroundPictureLeft, v); }
  int BackGroundPictureTop() const { return FBackGroundPictureTop; }
  void SetBackGroundPictureTop(int v) { Set(FBackGroundPictureTop, v); }
  TPictureMode BackGroundPictureAspectMode() const { return FBackGroundPictureAspectMode; }
  void SetBackGroundPictureAspectMode(TPictureMode v) { Set(FBackGroundPictureAspectMode, v); }
  TAdvGDIPPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TAdvGDIPPicture* v);
  TFillPicturePosition PicturePosition() const { return FPicturePosition; }
  void SetPicturePosition(TFillPicturePosition v) { Set(FPicturePosition, v); }
  int PictureLeft() const { return FPictureLeft; }
  void SetPictureLeft(int v) { Set(FPictureLeft, v); }
  int PictureTop() const { return FPictureTop; }
  void SetPictureTop(int v) { Set(FPictureTop, v); }
  TFillPictureSize PictureSize() const { return FPictureSize; }
  void SetPictureSize(TFillPictureSize v) { Set(FPictureSize, v); }
  int PictureWidth() const { return FPictureWidth; }
  void SetPictureWidth(int v) { Set(FPictureWidth, v); }
  int PictureHeight() const { return FPictureHeight; }
  void SetPictureHeight(int v) { Set(FPictureHeight, v); }
  bool PictureAspectRatio() const { return FPictureAspectRatio; }
  void SetPictureAspectRatio(bool v) { Set(FPictureAspectRatio, v); }
  TPictureMode PictureAspectMode() const { return FPictureAspectMode; }
  void SetPictureAspectMode(TPictureMode v) { Set(FPictureAspectMode, v); }
  uint8_t Opacity() const { return FOpacity; }
  void SetOpacity(uint8_t v) { Set(FOpacity, v); }
  uint8_t OpacityTo() const { return FOpacityTo; }
  void SetOpacityTo(uint8_t v) { Set(FOpacityTo, v); }
  uint8_t OpacityMirror() const { return FOpacityMirror; }
  void SetOpacityMirror(uint8_t v) { Set(FOpacityMirror, v); }
  uint8_t OpacityMirrorTo() const { return FOpacityMirrorTo; }
  void SetOpacityMirrorTo(uint8_t v) { Set(FOpacityMirrorTo, v); }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor v) { Set(FBorderColor, v); }
  uint8_t BorderOpacity() const { return FBorderOpacity; }
  void SetBorderOpacity(uint8_t v) { Set(FBorderOpacity, v); }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int v) { Set(FBorderWidth, v); }
  int Rounding() const { return FRounding; }
  void SetRounding(int v) { Set(FRounding, v); }
  TFillRoundingType RoundingType() const { return FRoundingType; }
  void SetRoundingType(TFillRoundingType v) { Set(FRoundingType, v); }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor v) { Set(FShadowColor, v); }
  int ShadowOffset() const { return FShadowOffset; }
  void SetShadowOffset(int v) { Set(FShadowOffset, v); }
  TShadowType ShadowType() const { return FShadowType; }
  void SetShadowType(TShadowType v) { Set(FShadowType, v); }
  int Angle() const { return FAngle; }
  void SetAngle(int v) { Set(FAngle, v); }
  TGlowMode Glow() const { return FGlow; }
  void SetGlow(TGlowMode v) { Set(FGlow, v); }
  TColor GlowGradientColor() const { return FGlowGradientColor; }
  void SetGlowGradientColor(TColor v) { Set(FGlowGradientColor, v); }
  TColor GlowRadialColor() const { return FGlowRadialColor; }
  void SetGlowRadialColor(TColor v) { Set(FGlowRadialColor, v); }
  TNotifyEvent OnChange;

  // Not streamed: a dotted focus outline, and the rectangle inside the border of the last Fill.
  bool Focus = false;
  TColor FocusColor = 0;
  TGPFloatRect FocusRect;

 private:
  template <class T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  struct TOpacities {
    int Border, Color, ColorTo, Mirror, MirrorTo;
  };
  void PaintPart(TGPGraphics* g, const TGPFloatRect& r, bool mirror, const TOpacities& o);
  void PaintShadow(TGPGraphics* g, TGPFloatRect& r);
  void PaintBody(TGPGraphics* g, const TGPFloatRect& r, const TOpacities& o);
  void PaintGlow(TGPGraphics* g, const TGPFloatRect& r);
  void PaintFocus(TGPGraphics* g, const TOpacities& o);
  void PaintBackGroundPicture(TGPGraphics* g, const TGPFloatRect& r, bool clipped);
  void PaintPicture(TGPGraphics* g, const TGPFloatRect& r);

  TColor FColor = 0x00C0C0C0;
  TColor FColorTo = 0x00808080;
  TColor FColorMirror = clNone;
  TColor FColorMirrorTo = clNone;
  TAdvGradientType FGradientType = gtVertical;
  TAdvGradientType FGradientMirrorType = gtSolid;
  ::HatchStyle FHatchStyle = HatchStyleHorizontal;
  ::HatchStyle FHatchStyleMirror = HatchStyleHorizontal;
  bool FBackGroundPictureAspectRatio = false;
  TFillPictureMode FBackGroundPictureMode = pmOutsideFill;
  std::unique_ptr<TAdvGDIPPicture, TObjectFree> FBackGroundPicture;
  TFillPicturePosition FBackGroundPicturePosition = ppTopLeft;
  int FBackGroundPictureLeft = 0;
  int FBackGroundPictureTop = 0;
  TPictureMode FBackGroundPictureAspectMode = pmStretch;
  std::unique_ptr<TAdvGDIPPicture, TObjectFree> FPicture;
  TFillPicturePosition FPicturePosition = ppTopLeft;
  int FPictureLeft = 0;
  int FPictureTop = 0;
  TFillPictureSize FPictureSize = psOriginal;
  int FPictureWidth = 50;
  int FPictureHeight = 50;
  bool FPictureAspectRatio = false;
  TPictureMode FPictureAspectMode = pmStretch;
  uint8_t FOpacity = 255;
  uint8_t FOpacityTo = 255;
  uint8_t FOpacityMirror = 255;
  uint8_t FOpacityMirrorTo = 255;
  TColor FBorderColor = clNone;
  uint8_t FBorderOpacity = 255;
  int FBorderWidth = 1;
  int FRounding = 0;
  TFillRoundingType FRoundingType = rtBoth;
  TColor FShadowColor = 0x00808080;
  int FShadowOffset = 0;
  TShadowType FShadowType = stRightBottom;
  int FAngle = 0;
  TGlowMode FGlow = gmNone;
  TColor FGlowGradientColor = 0x00FFFFFF;
  TColor FGlowRadialColor = 0x00FFFFFF;
  int FUpdateCount = 0;
};

// --- Colour arithmetic and gloss paths ---------------------------------------------------------

DECLARE_EXCEPTION(EColorError, Exception)

// Adds the signed amount to each of red, green and blue of the resolved colour, clamped to 0..255.
TColor LightenColor(TColor color, int amount);
// The hexcone model: channels and V on 0..255, S on 0..1, H in degrees; an undefined hue (grey)
// is a quiet NaN.
void RGBToHSV(double r, double g, double b, double& h, double& s, double& v);
// Raises EColorError "HSVtoRGB: S = 0 and H has a value" for a grey with a defined hue.
void HSVToRGB(double h, double s, double v, double& r, double& g, double& b);
// The two halves of the rectangle extended to twice its height, split along a curve that dips by
// depth in the middle; depth 0 gives an empty path.
TGPPathPtr CreateGlossUpperPath(const TRect& r, int radius, int depth);
TGPPathPtr CreateGlossLowerPath(const TRect& r, int radius, int depth);
// The rounded outline of r and of r inset on every side; filled alternately, a ring.
TGPPathPtr CreateRingPath(const TRect& r, int radius, TFillRoundingType roundingType, int inset);

// --- Status badge ------------------------------------------------------------------------------

class TGDIPStatus : public TPersistent {
 public:
  TGDIPStatus();
  ~TGDIPStatus() override;
  // From another badge: fill, font, glow and spacing, then OnChange.
  void Assign(TPersistent* source) override;

  TGDIPFill* Fill() const { return FFill.get(); }
  void SetFill(TGDIPFill* value) { FFill->Assign(value); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int value);
  bool Glow() const { return FGlow; }
  void SetGlow(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value) { FAutoSize = value; }
  TNotifyEvent OnChange;

  // The badge's size for the caption (an empty caption keeps the size), at least the size of
  // the fill's picture.
  void CalcSize(TGPGraphics* graphics, const String& caption);
  int GetWidth() const { return FWidth; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // The pill-shaped body, the caption centred on it and the gloss over its upper half.
  void Draw(TGPGraphics* graphics, int x, int y, int width, int height, bool useOwnSize,
            const String& caption);

 private:
  void Changed();
  std::unique_ptr<TGDIPFill, TObjectFree> FFill;
  std::unique_ptr<TFont, TObjectFree> FFont;
  int FSpacing = 0;
  bool FGlow = true;
  bool FAutoSize = true;
  int FWidth = 0;
  int FHeight = 0;
};

// --- Glossy button -----------------------------------------------------------------------------

enum TGDIPButtonLayout { blPictureLeft, blPictureRight, blPictureBottom, blPictureTop, blNone };
using TFontStoredEvent = std::function<void(TObject* sender, bool& stored)>;

class TCustomImageList;
class TGDIPPictureContainer;

// What one button's paint needs besides the shared appearance.
struct TGDIPButtonPaint {
  String Caption;
  int X = 0, Y = 0, W = 0, H = 0;
  int HMargin = 0, VMargin = 0;
  TColor Color = clSilver;
  TColor DownColor = clNone;
  TColor BevelColor = clWhite;
  TColor TextColor = clBlack;
  bool Shadow = false;
  bool Down = false;
  bool Bevel = false;
  bool Rotated = false;
  bool RotateBack = false;
  TFillRoundingType RoundingType = rtBoth;
  TAdvGDIPPicture* Picture = nullptr;
  int CaptionWidth = 0, CaptionHeight = 0;
  bool FullWidthCaption = true;
  int ImageIndex = -1;
  String PictureName;
};

class TGDIPButton : public TPersistent {
 public:
  TGDIPButton();
  ~TGDIPButton() override;
  // From another button: the look (not the rounding, image sources, names or indexes).
  void Assign(TPersistent* source) override;
  virtual void Changed();
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
  }
  // The owner's Notification passes through here: a removed image source is forgotten.
  void Notification(TComponent* owner, TComponent* component, TOperation operation);
  // Paints one button cell.
  void Draw(TGPGraphics* graphics, const TGDIPButtonPaint& paint);

  int GlowPercentage() const { return FGlowPercentage; }
  void SetGlowPercentage(int v) { Set(FGlowPercentage, v); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v) { Set(FAlignment, v); }
  TAlignment PictureAlignment() const { return FPictureAlignment; }
  void SetPictureAlignment(TAlignment v) { Set(FPictureAlignment, v); }
  bool PictureStretch() const { return FPictureStretch; }
  void SetPictureStretch(bool v) { Set(FPictureStretch, v); }
  TPictureMode PictureStretchMode() const { return FPictureStretchMode; }
  void SetPictureStretchMode(TPictureMode v) { Set(FPictureStretchMode, v); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TGDIPButtonLayout Layout() const { return FLayout; }
  void SetLayout(TGDIPButtonLayout v) { Set(FLayout, v); }
  int Spacing() const { return FSpacing; }
  void SetSpacing(int v) { Set(FSpacing, v); }
  int ShiftDown() const { return FShiftDown; }
  void SetShiftDown(int v) { Set(FShiftDown, v); }
  TColor FocusColor() const { return FFocusColor; }
  void SetFocusColor(TColor v) { Set(FFocusColor, v); }
  bool SimpleLayout() const { return FSimpleLayout; }
  void SetSimpleLayout(bool v) { Set(FSimpleLayout, v); }
  TCustomImageList* ImageList() const { return FImageList; }
  void SetImageList(TCustomImageList* v) { Set(FImageList, v); }
  TGDIPPictureContainer* PictureContainer() const { return FPictureContainer; }
  void SetPictureContainer(TGDIPPictureContainer* v) { Set(FPictureContainer, v); }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int v) { Set(FImageIndex, v); }
  const String& PictureName() const { return FPictureName; }
  void SetPictureName(const String& v) { Set(FPictureName, v); }
  const String& DisabledPictureName() const { return FDisabledPictureName; }
  void SetDisabledPictureName(const String& v) { Set(FDisabledPictureName, v); }
  int DisabledImageIndex() const { return FDisabledImageIndex; }
  void SetDisabledImageIndex(int v) { Set(FDisabledImageIndex, v); }
  int Rounding() const { return FRounding; }
  void SetRounding(int v) { Set(FRounding, v); }
  // Whether Font is streamed: true unless OnIsFontStored says otherwise.
  bool IsFontStored();
  TNotifyEvent OnChange;
  TNotifyEvent OnFontChange;
  TFontStoredEvent OnIsFontStored;

 private:
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void FontChanged();
  // The picture a button shows: the argument, or the container's by name, or the list's by index.
  void WorkingPicture(const TGDIPButtonPaint& p, TAdvGDIPPicture& picture);
  TColor FaceColor(const TGDIPButtonPaint& p) const;
  TGDIPButtonLayout EffectiveLayout(const TGDIPButtonPaint& p) const;

  int FGlowPercentage = 100;
  TAlignment FAlignment = taCenter;
  TAlignment FPictureAlignment = taRightJustify;
  bool FPictureStretch = false;
  TPictureMode FPictureStretchMode = pmNormal;
  std::unique_ptr<TFont, TObjectFree> FFont;
  TGDIPButtonLayout FLayout = blPictureLeft;
  int FSpacing = 3;
  int FShiftDown = 1;
  TColor FFocusColor = 0;
  bool FSimpleLayout = false;
  TCustomImageList* FImageList = nullptr;
  TGDIPPictureContainer* FPictureContainer = nullptr;
  int FImageIndex = -1;
  String FPictureName;
  String FDisabledPictureName;
  int FDisabledImageIndex = -1;
  int FRounding = 8;
  int FUpdateCount = 0;
};
