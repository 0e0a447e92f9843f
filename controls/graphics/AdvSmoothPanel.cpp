// The smooth panel's creation, properties, messages and painting.
#include "controls/graphics/AdvSmoothPanel.h"

#include "controls/graphics/SmoothCaptionText.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/RtlMath.h"

using namespace AdvSmoothPanel;

TPoint AdvSmoothPanel::PlaceInFrame(TAdvSmoothPanelLocation location, const TGPFloatRect& frame,
                                    int w, int h) {
  int rx = static_cast<int>(Round(frame.X)), ry = static_cast<int>(Round(frame.Y));
  int rw = static_cast<int>(Round(frame.Width)), rh = static_cast<int>(Round(frame.Height));
  int xs[3] = {rx, std::max(rw - w, rx) / 2, std::max(rw - w, rx)};
  int ys[3] = {ry, (rh - h) / 2, rh - h};
  return {xs[SmoothCaptionText::LocationColumn(location)],
          ys[SmoothCaptionText::LocationRow(location)]};
}

// --- The caption ---------------------------------------------------------------------------------

TAdvSmoothPanelCaption::TAdvSmoothPanelCaption(TAdvSmoothPanel* owner)
    : FOwner(owner),
      FFont(std::make_unique<TFont>()),
      FPicture(new TAdvGDIPPicture),
      FHTMLFont(std::make_unique<TFont>()) {
  FFont->SetName(u"Tahoma");
  FFont->SetSize(12);
  FHTMLFont->SetName(u"Tahoma");
  FFont->OnChange = [this](TObject*) { Changed(); };
  FHTMLFont->OnChange = [this](TObject*) { Changed(); };
  FPicture->OnChange = [this](TObject*) { Changed(); };
}

TAdvSmoothPanelCaption::~TAdvSmoothPanelCaption() = default;

void TAdvSmoothPanelCaption::Changed() {
  if (OnChange) OnChange(FOwner);
}

void TAdvSmoothPanelCaption::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothPanelCaption*>(source);
  if (other == nullptr) return;
  TNotifyEvent notify = std::move(OnChange);
  OnChange = nullptr;
  FText = other->FText;
  FLocation = other->FLocation;
  FLeft = other->FLeft;
  FTop = other->FTop;
  FColorStart = other->FColorStart;
  FColorEnd = other->FColorEnd;
  FGradientType = other->FGradientType;
  FHatchStyle = other->FHatchStyle;
  FOpacityStart = other->FOpacityStart;
  FOpacityEnd = other->FOpacityEnd;
  FPicture->Assign(other->FPicture.get());
  FHTMLText = other->FHTMLText;
  FHTMLLocation = other->FHTMLLocation;
  FHTMLLeft = other->FHTMLLeft;
  FHTMLTop = other->FHTMLTop;
  FHTMLURLColor = other->FHTMLURLColor;
  FHTMLShadowColor = other->FHTMLShadowColor;
  FHTMLShadowOffset = other->FHTMLShadowOffset;
  FHTMLFont->Assign(other->FHTMLFont.get());
  FFont->Assign(other->FFont.get());
  FLine = other->FLine;
  OnChange = std::move(notify);
  Changed();
}

// --- The panel -----------------------------------------------------------------------------------

TAdvSmoothPanel::TAdvSmoothPanel(TComponent* owner)
    : TCustomControl(owner),
      FCaption(new TAdvSmoothPanelCaption(this)),
      FFill(new TGDIPFill),
      FOfficeHint(new TAdvHintInfo) {
  TControlStyle style = ControlStyle();
  style << csAcceptsControls;
  SetControlStyle(style);
  FFill->OnChange = [this](TObject*) { Changed(); };
  FCaption->OnChange = [this](TObject*) { Changed(); };
  SetDoubleBuffered(true);
  SetBounds(Left(), Top(), 256, 128);
}

TAdvSmoothPanel::~TAdvSmoothPanel() {
  FFill->OnChange = nullptr;
  FCaption->OnChange = nullptr;
  if (FImages) FImages->RemoveFreeNotification(this);
  if (FPictureContainer) FPictureContainer->RemoveFreeNotification(this);
}

String TAdvSmoothPanel::Version() const {
  uint32_t v = GetVersionNr();
  return Format(u"%d.%d.%d.%d",
                {int(v >> 24), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)});
}

void TAdvSmoothPanel::Changed() {
  FCacheStale = true;
  Invalidate();
}

void TAdvSmoothPanel::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothPanel*>(source);
  if (other == nullptr) return;
  FCaption->Assign(other->FCaption.get());
  FFill->Assign(other->FFill.get());
  FTransparent = other->FTransparent;
  Changed();
}

void TAdvSmoothPanel::SetCaption(TAdvSmoothPanelCaption* value) {
  FCaption->Assign(value);
  Changed();
}

void TAdvSmoothPanel::SetFill(TGDIPFill* value) {
  FFill->Assign(value);
  Changed();
}

void TAdvSmoothPanel::SetTransparent(bool value) {
  if (FTransparent == value) return;
  FTransparent = value;
  Changed();
}

void TAdvSmoothPanel::SetImages(TCustomImageList* value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = value;
  if (FImages) FImages->FreeNotification(this);
}

void TAdvSmoothPanel::SetPictureContainer(TGDIPPictureContainer* value) {
  if (FPictureContainer) FPictureContainer->RemoveFreeNotification(this);
  FPictureContainer = value;
  if (FPictureContainer) FPictureContainer->FreeNotification(this);
}

void TAdvSmoothPanel::SetCursor(TCursor value) {
  TCustomControl::SetCursor(value);
  FSavedCursor = value;
}

void TAdvSmoothPanel::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != opRemove || ComponentState().Contains(csDestroying)) return;
  if (component == FPictureContainer) FPictureContainer = nullptr;
  if (component == FImages) FImages = nullptr;
}

void TAdvSmoothPanel::Resize() {
  TCustomControl::Resize();
  Changed();
}

void TAdvSmoothPanel::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style &= ~static_cast<DWORD>(WS_BORDER);
}

// --- Styles --------------------------------------------------------------------------------------

namespace {

struct TPanelPreset {
  TColor Start, End, Line;
  TColor Color, ColorTo, Mirror, MirrorTo, Border;
  bool MirrorVertical;  // GradientMirrorType gtVertical
  TGlowMode Glow;
  bool Flat;  // no rounding and no shadow
};

constexpr TColor N = clNone;
constexpr TPanelPreset Presets[20] = {
    {0, 0, 0, 0xFDEADA, 0xE4AE88, N, N, 0xDFD2C5, false, gmNone, false},
    {0, 0, 0, 0xF7F3F3, 0xE6D8D8, N, N, 0x927476, false, gmNone, false},
    {0, 0, 0, 0xCFF0EA, 0x8CC0B1, N, N, 0x6B7760, false, gmNone, false},
    {0, 0, 0, 0xFFFFFF, 0xC9D1D5, N, N, 0x808080, false, gmNone, false},
    {0xB0721C, 0x9F661A, 0xB0721C, 0xFAF1E9, 0xEDD8C7, 0xEDD8C7, 0xFFF2E7, 0xE3B28D, true, gmNone,
     false},
    {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xCFC6C1, 0xC5BBB4, 0xC5BBB4, 0xECECE5, 0x000000, true, gmNone,
     false},
    {0, 0, 0, clBtnFace, clBtnFace, N, N, 0x000000, false, gmNone, false},
    {0, 0, 0, 0xFFFFFF, 0xD9E9EC, N, N, 0x828F92, false, gmNone, false},
    {},  // 8 keeps the colours
    {0xB0721C, 0x9F661A, 0xB0721C, 0xF6F1EE, 0xE7DCD5, 0xE7DCD5, 0xF4F4EE, 0x74706F, true, gmNone,
     false},
    {0, 0, 0xFDDE99, 0xFDF8F1, 0xFCEFD5, N, N, 0xFDDE99, false, gmNone, false},
    {0, 0, 0xCEA27D, 0xFCEBDC, 0xFCDBC1, N, N, 0xCEA27D, false, gmNone, false},
    {0, 0, 0, clBtnFace, clBtnFace, N, N, 0x000000, false, gmNone, false},
    {0x5B391E, 0x5B391E, 0x5B391E, 0xFDF6EF, 0xF0DAC7, N, N, 0xC7B29F, false, gmRadial, false},
    {0x5B391E, 0x5B391E, 0x5B391E, 0xFFFFFF, 0xEDE5E0, N, N, 0xD2CDC8, false, gmRadial, false},
    {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xBFBFBF, 0x919191, N, N, 0x6D6D6D, false, gmRadial, false},
    {0, 0, 0xE4E3E2, 0xFFFFFF, 0xFFFFFF, N, N, 0xE4E3E2, false, gmRadial, true},
    {0, 0, 0xD4D4D4, 0xFFFFFF, 0xFFFFFF, N, N, 0xD4D4D4, false, gmRadial, true},
    {0, 0, 0xC6C6C6, 0xFFFFFF, 0xFFFFFF, N, N, 0xC6C6C6, false, gmRadial, true},
    {0, 0, 0xABABAB, 0xFFFFFF, 0xFFFFFF, N, N, 0xABABAB, false, gmRadial, true},
};

}  // namespace

void TAdvSmoothPanel::SetComponentStyle(TStylePreset style) {
  if (style > 19) return;
  TGDIPFill* fill = FFill.get();
  fill->SetGradientType(gtVertical);
  fill->SetGlow(gmNone);
  fill->SetRounding(10);
  fill->SetShadowColor(0x00808080);
  fill->SetShadowOffset(10);
  if (style != 8) {
    FCaption->SetBackgroundColor(clNone);
    FCaption->SetBackgroundColorTo(clNone);
    const TPanelPreset& p = Presets[style];
    FCaption->SetColorStart(p.Start);
    FCaption->SetColorEnd(p.End);
    FCaption->SetLineColor(p.Line);
    fill->SetColor(p.Color);
    fill->SetColorTo(p.ColorTo);
    fill->SetColorMirror(p.Mirror);
    fill->SetColorMirrorTo(p.MirrorTo);
    fill->SetBorderColor(p.Border);
    if (p.MirrorVertical) fill->SetGradientMirrorType(gtVertical);
    fill->SetGlow(p.Glow);
    if (p.Flat) {
      fill->SetRounding(0);
      fill->SetShadowOffset(0);
    }
  }
  Changed();
}

void TAdvSmoothPanel::SetColorTones(const TColorTones& tones) {
  FCaption->SetBackgroundColor(tones.Down.Color);
  FCaption->SetBackgroundColorTo(tones.Down.Color);
  FCaption->SetColorStart(tones.Down.TextColor);
  FCaption->SetColorEnd(tones.Down.TextColor);
  FCaption->SetLineColor(tones.Normal.BorderColor);
  FCaption->HTMLFont()->SetColor(tones.Normal.TextColor);
  FCaption->Font()->SetName(GetDefaultFontName());
  Font()->SetName(GetDefaultFontName());
  Font()->SetColor(tones.Normal.TextColor);
  FFill->SetColor(tones.Normal.Color);
  FFill->SetColorTo(tones.Normal.Color);
  FFill->SetColorMirror(tones.Normal.Color);
  FFill->SetColorMirrorTo(tones.Normal.Color);
  FFill->SetBorderColor(tones.Normal.BorderColor);
  FFill->SetRounding(0);
  FFill->SetShadowColor(clNone);
  Changed();
}

// --- Painting ------------------------------------------------------------------------------------

void TAdvSmoothPanel::Paint() {
  if (Width() > 1 && Height() > 1) {
    if (FCacheStale || !FCache) {
      FCacheStale = false;
      FCache.reset(new TGPBitmap(Width(), Height(), PixelFormat32bppARGB));
      TGPGraphics g(FCache.get());
      g.SetSmoothingMode(SmoothingModeAntiAlias);
      switch (FCaption->TextRendering()) {
        case tAntiAlias: g.SetTextRenderingHint(TextRenderingHintAntiAlias); break;
        case tAntiAliasGridFit: g.SetTextRenderingHint(TextRenderingHintAntiAliasGridFit); break;
        case tClearType: g.SetTextRenderingHint(TextRenderingHintClearTypeGridFit); break;
      }
      DrawPanel(&g);
    }
    TGPGraphics screen(Canvas()->Handle());
    screen.SetSmoothingMode(SmoothingModeAntiAlias);
    screen.DrawImage(FCache.get(), 0, 0);
  }
  if (OnDraw) OnDraw(this, Canvas(), ClientRect());
}

void TAdvSmoothPanel::DrawPanel(TGPGraphics* graphics) {
  TGPFloatRect r = FFill->BorderColor() != clNone && FFill->BorderWidth() != 0
                       ? MakeRectF(0, 0, Width() - 1, Height() - 1)
                       : MakeRectF(-1, -1, Width() + 1, Height() + 1);
  FBodyRect = FFill->Fill(graphics, r);
  float textHeight = 0;
  if (!FCaption->Text().empty()) DrawCaptionText(graphics, FBodyRect, textHeight);
  if (!FCaption->HTMLText().empty()) DrawHTMLCaption(graphics, FBodyRect, textHeight);
}

void TAdvSmoothPanel::DrawCaptionText(TGPGraphics* graphics, const TGPFloatRect& body,
                                      float& textHeight) {
  TAdvSmoothPanelCaption* c = FCaption.get();
  SmoothCaptionText::TFontPtr font = SmoothCaptionText::NewFont(graphics, c->Font());
  TGPStringFormat format(0, 0);
  // A picture in a top or bottom corner of the fill moves or narrows the caption on that edge.
  TGPFloatRect t = body;
  float pictureShift = 0;
  TAdvGDIPPicture* picture = FFill->Picture();
  if (picture != nullptr && !picture->Empty()) {
    float pw = FFill->PictureSize() == psOriginal ? static_cast<float>(picture->Width())
                                                  : static_cast<float>(FFill->PictureWidth());
    bool top = c->Location() == plTopLeft || c->Location() == plTopRight;
    bool bottom = c->Location() == plBottomLeft || c->Location() == plBottomRight;
    switch (FFill->PicturePosition()) {
      case ppTopLeft:
        if (top) t.X += pw, pictureShift = pw;
        break;
      case ppTopRight:
        if (top) t.Width -= pw;
        break;
      case ppBottomLeft:
        if (bottom) t.X += pw, pictureShift = pw;
        break;
      case ppBottomRight:
        if (bottom) t.Width -= pw;
        break;
      default: break;
    }
  }
  const String& text = c->Text();
  TGPFloatRect box;
  graphics->MeasureString(text, static_cast<int>(text.size()), font.get(),
                          MakeRectF(t.X, t.Y, t.Width - pictureShift, t.Height), &format, box);
  float tw = box.Width, th = box.Height;
  textHeight = th;
  TPoint p = c->Location() == plCustom
                 ? TPoint{c->Left(), c->Top()}
                 : PlaceInFrame(c->Location(), t, static_cast<int>(Round(tw)),
                                static_cast<int>(Round(th)));
  float x = static_cast<float>(p.X), y = static_cast<float>(p.Y);

  // The strip always starts at the panel's corner, wherever the text sits.
  if (c->BackgroundColor() != clNone) {
    TGDIPFill strip;
    strip.SetColor(c->BackgroundColor());
    strip.SetColorTo(c->BackgroundColorTo());
    strip.SetColorMirror(clNone);
    strip.SetColorMirrorTo(clNone);
    strip.SetRounding(FFill->Rounding());
    if (FFill->RoundingType() == rtTop || FFill->RoundingType() == rtBoth)
      strip.SetRoundingType(rtTop);
    strip.SetBorderWidth(0);
    strip.Fill(graphics, MakeRectF(0, 0, Round(t.Width - pictureShift), th));
  }

  SmoothCaptionText::TCaptionBrush brush =
      SmoothCaptionText::NewCaptionBrush(SmoothCaptionText::InkOf(c), x, y, tw, th, false);
  int shadow = FFill->ShadowColor() != clNone ? FFill->ShadowOffset() : 0;
  if (brush.Brush)
    graphics->DrawWideString(text, static_cast<int>(text.size()), font.get(),
                             MakeRectF(x, y, Round(t.Width - 2 - pictureShift),
                                       Height() - 1 - shadow),
                             &format, brush.Brush.get());

  if (c->LineColor() != clNone && c->Line()) {
    TGPPen pen(MakeColorAlpha(255, c->LineColor()), 1);
    bool bottom = c->Location() == plBottomLeft || c->Location() == plBottomCenter ||
                  c->Location() == plBottomRight;
    float ly = bottom ? y - 2 : y + th;
    graphics->DrawLine(&pen, Round(t.X + 2), ly, Round(t.Width - 2), ly);
  }
}

void TAdvSmoothPanel::PaintParentBackground(HDC dc) {
  TWinControl* parent = Parent();
  if (parent == nullptr || dc == nullptr) return;
  bool buffered = parent->DoubleBuffered();
  parent->SetDoubleBuffered(false);
  int saved = SaveDC(dc);
  TPoint viewport;
  GetViewportOrgEx(dc, &viewport);
  SetViewportOrgEx(dc, viewport.X - Left(), viewport.Y - Top(), nullptr);
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
  parent->SetDoubleBuffered(buffered);
}

// --- Messages and mouse --------------------------------------------------------------------------

void TAdvSmoothPanel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      if (!FTransparent) break;
      // The window's own erase is replaced by the parent's face under the panel.
      PaintParentBackground(reinterpret_cast<HDC>(message.WParam));
      message.Result = 1;
      return;
    case WM_SIZE:
      TCustomControl::Dispatch(message);
      Invalidate();
      return;
    case WM_WINDOWPOSCHANGED:
      if (FFill->ShadowColor() != clNone && FFill->ShadowOffset() > 0) Invalidate();
      break;
    case WM_EXITSIZEMOVE:
      TCustomControl::Dispatch(message);
      if (OnEndMoveSize) OnEndMoveSize(this);
      return;
    case WM_NCHITTEST: WMNCHitTest(message); return;
    default: break;
  }
  TCustomControl::Dispatch(message);
}

void TAdvSmoothPanel::WMNCHitTest(TMessage& message) {
  TCustomControl::Dispatch(message);
  if (ComponentState().Contains(csDesigning) || !FCanMove || message.Result != HTCLIENT) return;
  TPoint p = ScreenToClient(LParamToPoint(message.LParam));
  TRect client = ClientRect();
  if (p.Y < 20 && p.X > client.Left && p.X < client.Right) {
    MouseMove(TShiftState{}, p.X, p.Y);
    message.Result = HTCAPTION;
  }
}

void TAdvSmoothPanel::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  String anchor = GetAnchorAt(x, y);
  if (!anchor.empty()) {
    TCustomControl::SetCursor(crHandPoint);
    FOverAnchor = true;
  } else {
    TCustomControl::SetCursor(FSavedCursor);
    FOverAnchor = false;
  }
}

void TAdvSmoothPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (!FOverAnchor) return;
  String anchor = GetAnchorAt(x, y);
  if (!anchor.empty() && OnAnchorClick) OnAnchorClick(this, anchor);
}
