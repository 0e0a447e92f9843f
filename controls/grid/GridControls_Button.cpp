// The glyph button of the grid's search panel: states, groups, glyphs, presets and painting.
#include <algorithm>

#include "controls/graphics/AdvXPVS.h"
#include "controls/grid/GridControls.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/TextCompare.h"
#include "platform/ui/Menus.h"
#include "platform/win/Messages.h"
#include "platform/win/WinApi.h"

namespace {

constexpr int kDropDownWidth = 12;

uint8_t Red(TColor c) { return static_cast<uint8_t>(c & 0xFF); }
uint8_t Green(TColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
uint8_t Blue(TColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

}  // namespace

// --- Layout and helpers --------------------------------------------------------------------------

TGlyphLayout LayoutGlyphAndCaption(TButtonLayout layout, int margin, int spacing, int width,
                                   int height, TSize glyph, TSize caption) {
  TGlyphLayout result;
  bool across = layout == blGlyphLeft || layout == blGlyphRight;
  if (across) {
    result.Glyph.Y = (height - glyph.cy + 1) / 2;
    result.Caption.Y = (height - caption.cy + 1) / 2;
  } else {
    result.Glyph.X = (width - glyph.cx + 1) / 2;
    result.Caption.X = (width - caption.cx + 1) / 2;
  }
  int extent = across ? width : height;
  int g = across ? glyph.cx : glyph.cy;
  int t = across ? caption.cx : caption.cy;
  if (caption.cx == 0 || glyph.cx == 0) spacing = 0;
  if (margin == -1 && spacing == -1) {
    margin = spacing = (extent - g - t) / 3;
  } else if (margin == -1) {
    margin = (extent - (g + spacing + t) + 1) / 2;
  } else if (spacing == -1) {
    spacing = (extent - margin - g - t) / 2;
  }
  int& glyphPos = across ? result.Glyph.X : result.Glyph.Y;
  int& captionPos = across ? result.Caption.X : result.Caption.Y;
  if (layout == blGlyphLeft || layout == blGlyphTop) {
    glyphPos = margin;
    captionPos = margin + g + spacing;
  } else {
    glyphPos = extent - margin - g;
    captionPos = glyphPos - spacing - t;
  }
  return result;
}

int DisabledGlyphGrey(TColor pixel) {
  double mean = (Red(pixel) + Green(pixel) + Blue(pixel)) / 3.0;
  return static_cast<int>(Round(mean)) / 2 + 96;
}

void DrawButtonGradient(TCanvas* canvas, TColor from, TColor to, TColor edge, const TRect& r,
                        bool horizontal) {
  from = ColorToRGB(from);
  to = ColorToRGB(to);
  int size = horizontal ? r.Width() : r.Height();
  canvas->Pen()->SetStyle(psClear);
  for (int k = 0; k < 16; ++k) {
    auto step = [k](uint8_t a, uint8_t b) {
      return static_cast<int>(a + Round(k * (b - a) / 16.0));
    };
    canvas->Brush()->SetColor(RGB(step(Red(from), Red(to)), step(Green(from), Green(to)),
                                  step(Blue(from), Blue(to))));
    int a = k * size / 16, b = (k + 1) * size / 16 + 1;
    TRect band = horizontal ? Rect(r.Left + a, r.Top, r.Left + b, r.Bottom)
                            : Rect(r.Left, r.Top + a, r.Right, r.Top + b);
    band.Right = std::min(band.Right, r.Right);
    band.Bottom = std::min(band.Bottom, r.Bottom);
    canvas->FillRect(band);
  }
  canvas->Pen()->SetStyle(psSolid);
  if (edge != clNone) {
    canvas->Brush()->SetColor(edge);
    canvas->FrameRect(r);
  }
}

// --- TAdvGridButton ------------------------------------------------------------------------------

TAdvGridButton::TAdvGridButton(TComponent* owner)
    : TGraphicControl(owner),
      FGlyph(std::make_unique<TBitmap>()),
      FGlyphHot(std::make_unique<TBitmap>()),
      FGlyphDown(std::make_unique<TBitmap>()),
      FGlyphDisabled(std::make_unique<TBitmap>()),
      FGlyphShade(std::make_unique<TBitmap>()),
      FIsComCtl6(PlatformInfo::ComCtlMajorVersion > 5) {
  SetControlStyle({csCaptureMouse, csDoubleClicks});
  SetBounds(Left(), Top(), 22, 23);
  SetParentColor(false);
  SetColor(clBtnFace);
  for (TBitmap* bmp : {FGlyph.get(), FGlyphHot.get(), FGlyphDown.get(), FGlyphDisabled.get()})
    bmp->OnChange = [this](TObject*) { Invalidate(); };
}

TAdvGridButton::~TAdvGridButton() {
  for (TBitmap* bmp : {FGlyph.get(), FGlyphHot.get(), FGlyphDown.get(), FGlyphDisabled.get()})
    bmp->OnChange = nullptr;
}

void TAdvGridButton::SetAllowAllUp(bool value) {
  if (FAllowAllUp == value) return;
  FAllowAllUp = value;
  TellGroup();
}

void TAdvGridButton::SetAutoThemeAdapt(bool value) {
  FAutoThemeAdapt = value;
  if (value) ApplyPreset(ThemePreset());
}

void TAdvGridButton::SetBorderColor(TColor value) {
  FBorderColor = value;
  Invalidate();
}

void TAdvGridButton::SetColorTo(TColor value) {
  FColorTo = value;
  Invalidate();
}

void TAdvGridButton::SetColorChecked(TColor value) {
  FColorChecked = value;
  Invalidate();
}

void TAdvGridButton::SetColorCheckedTo(TColor value) {
  FColorCheckedTo = value;
  Invalidate();
}

void TAdvGridButton::SetGroupIndex(int value) {
  if (FGroupIndex == value) return;
  FGroupIndex = value;
  TellGroup();
}

void TAdvGridButton::SetDown(bool value) {
  bool check = FStyle == TAdvGridButtonStyle::tasCheck;
  if (FGroupIndex == 0 && !check) value = false;
  if (check) {
    FDown = value;
    Invalidate();
    return;
  }
  if (value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  if (value) {
    FState = bsExclusive;
    Invalidate();
    TellGroup();
  } else {
    FState = bsUp;
    Invalidate();
  }
}

void TAdvGridButton::SetDropDownButton(bool value) {
  FDropDownButton = value;
  Invalidate();
}

void TAdvGridButton::SetDropDownMenu(TPopupMenu* value) {
  if (FDropDownMenu) RemoveFreeNotification(FDropDownMenu);
  FDropDownMenu = value;
  if (value) FreeNotification(value);
}

void TAdvGridButton::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == FDropDownMenu) FDropDownMenu = nullptr;
  TGraphicControl::Notification(component, operation);
}

void TAdvGridButton::SetFlat(bool value) {
  if (FFlat == value) return;
  FFlat = value;
  Invalidate();
}

void TAdvGridButton::SetGlyph(TBitmap* value) {
  FGlyph->Assign(value);
  if (FGlyphDisabled->Empty()) MakeDisabledGlyph();
  if (FShaded && !ComponentState().Contains(csLoading)) MakeShade();
  Invalidate();
}

void TAdvGridButton::SetLayout(TButtonLayout value) {
  if (FLayout == value) return;
  FLayout = value;
  Invalidate();
}

void TAdvGridButton::SetMargin(int value) {
  if (FMargin == value || value < -1) return;
  FMargin = value;
  Invalidate();
}

void TAdvGridButton::SetRounded(bool value) {
  FRounded = value;
  Invalidate();
}

void TAdvGridButton::SetShaded(bool value) {
  FShaded = value;
  if (value && !ComponentState().Contains(csLoading)) MakeShade();
}

void TAdvGridButton::SetShowCaption(bool value) {
  if (FShowCaption == value) return;
  FShowCaption = value;
  Invalidate();
}

void TAdvGridButton::SetSpacing(int value) {
  if (FSpacing == value) return;
  FSpacing = value;
  Invalidate();
}

void TAdvGridButton::SetStyle(TAdvGridButtonStyle value) {
  FStyle = value;
  Invalidate();
}

void TAdvGridButton::Loaded() {
  TGraphicControl::Loaded();
  if (FShaded) MakeShade();
  if (FAutoThemeAdapt) ApplyPreset(ThemePreset());
}

void TAdvGridButton::MakeDisabledGlyph() {
  FGlyphDisabled->OnChange = nullptr;
  FGlyphDisabled->Assign(FGlyph.get());
  for (int y = 0; y < FGlyphDisabled->Height(); ++y)
    for (int x = 0; x < FGlyphDisabled->Width(); ++x) {
      int grey = DisabledGlyphGrey(FGlyph->Canvas()->Pixels(x, y));
      FGlyphDisabled->Canvas()->SetPixels(x, y, RGB(grey, grey, grey));
    }
  FGlyphDisabled->OnChange = [this](TObject*) { Invalidate(); };
}

void TAdvGridButton::MakeShade() {
  FGlyphShade->SetSize(0, 0);
  if (FGlyph->Empty()) return;
  int w = FGlyph->Width(), h = FGlyph->Height();
  FGlyphShade->SetSize(w, h);
  TColor transparent = FGlyph->Canvas()->Pixels(0, h - 1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool opaque = FGlyph->Canvas()->Pixels(x, y) != transparent;
      FGlyphShade->Canvas()->SetPixels(x, y, opaque ? TColor(0x00808080) : transparent);
    }
}

int TAdvGridButton::ThemePreset() {
  if (!ThemesUsable()) return 1;
  String scheme = AdvXPVS::ThemeBinder().GetCurrentThemeName();
  if (scheme == u"NormalColor") return 2;
  if (scheme == u"HomeStead") return 3;
  if (scheme == u"Metallic") return 4;
  return 1;
}

void TAdvGridButton::ApplyPreset(int preset) {
  struct TPreset {
    TColor Color, ColorTo, Hot, HotTo, Down, DownTo, Checked, CheckedTo, Border;
  };
  static const TPreset presets[4] = {
      {clBtnFace, clNone, 0x00EED2C1, clNone, 0x00E2B598, clNone, 0x00E8E6E1, clNone, 0x00C56A31},
      {0x00FDEADA, 0x00E4AE88, 0x00CCF4FF, 0x0091D0FF, 0x004E91FE, 0x008ED3FF, 0x008ED3FF,
       0x0055ADFF, 0x00000000},
      {0x00CFF0EA, 0x008CC0B1, 0x00CCF4FF, 0x0091D0FF, 0x004E91FE, 0x008ED3FF, 0x008ED3FF,
       0x0055ADFF, 0x00000000},
      {0x00ECE2E1, 0x00B39698, 0x00CCF4FF, 0x0091D0FF, 0x004E91FE, 0x008ED3FF, 0x008ED3FF,
       0x0055ADFF, 0x00000000}};
  const TPreset& p = presets[std::clamp(preset, 1, 4) - 1];
  SetColor(p.Color);
  FColorTo = p.ColorTo;
  FColorHot = p.Hot;
  FColorHotTo = p.HotTo;
  FColorDown = p.Down;
  FColorDownTo = p.DownTo;
  FColorChecked = p.Checked;
  FColorCheckedTo = p.CheckedTo;
  FBorderDownColor = FBorderHotColor = p.Border;
  FBorderColor = clNone;
  FRounded = false;
  FFlat = true;
  Invalidate();
}

// --- Groups and input ----------------------------------------------------------------------------

TAdvGridButtonActionLink::TAdvGridButtonActionLink(TAdvGridButton* client)
    : TControlActionLink(client), FButton(client) {}

bool TAdvGridButtonActionLink::IsCheckedLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  return action && FButton->GroupIndex() != 0 && FButton->AllowAllUp() &&
         FButton->Down() == action->Checked();
}

bool TAdvGridButtonActionLink::IsGroupIndexLinked() {
  auto* action = dynamic_cast<TCustomAction*>(FAction);
  return action && FButton->GroupIndex() == action->GroupIndex();
}

void TAdvGridButtonActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) FButton->SetDown(value);
}

void TAdvGridButtonActionLink::SetGroupIndex(int value) {
  if (IsGroupIndexLinked()) FButton->SetGroupIndex(value);
}

TControlActionLink* TAdvGridButton::CreateActionLink() {
  return new TAdvGridButtonActionLink(this);
}

void TAdvGridButton::ActionChange(TObject* sender, bool checkDefaults) {
  TGraphicControl::ActionChange(sender, checkDefaults);
  auto* action = dynamic_cast<TCustomAction*>(sender);
  if (!action) return;
  if (!checkDefaults || FGroupIndex == 0) SetGroupIndex(action->GroupIndex());
  if (!checkDefaults || !FDown) SetDown(action->Checked());
}

void TAdvGridButton::TellGroup() {
  if (FGroupIndex == 0 || !Parent()) return;
  TMessage message{};
  message.Msg = CM_BUTTONPRESSED;
  message.WParam = static_cast<WPARAM>(FGroupIndex);
  message.LParam = reinterpret_cast<LPARAM>(this);
  Parent()->Broadcast(message);
}

void TAdvGridButton::GroupPressed(TAdvGridButton* sender) {
  if (sender == this || sender->FGroupIndex != FGroupIndex) return;
  if (sender->FDown && FDown) {
    FDown = false;
    FState = bsUp;
    Invalidate();
    if (auto* action = ActionLink() ? dynamic_cast<TCustomAction*>(ActionLink()->Action())
                                    : nullptr)
      action->SetChecked(false);
  }
  FAllowAllUp = sender->FAllowAllUp;
}

bool TAdvGridButton::InDropDownPart(int x) const {
  return FDropDownButton && x >= Width() - kDropDownWidth;
}

void TAdvGridButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  if (InDropDownPart(x)) {
    FState = bsUp;
    if (OnDropDown) OnDropDown(this);
    if (FDropDownMenu) {
      TPoint p = ClientToScreen({0, Height()});
      FDropDownMenu->Popup(p.X, p.Y);
    }
    return;
  }
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  if (FStyle == TAdvGridButtonStyle::tasCheck) {
    FState = bsDown;
    Repaint();
  }
  FDragging = true;
}

void TAdvGridButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (FDragging) {
    bool inside = PtInRect(ClientRect(), TPoint{x, y});
    TButtonState wanted = FDown ? bsExclusive : inside ? bsDown : bsUp;
    if (FStyle == TAdvGridButtonStyle::tasCheck && FDown) wanted = bsDown;
    if (wanted != FState) {
      FState = wanted;
      Invalidate();
    }
    return;
  }
  if (FFlat && Enabled() && !FMouseInControl) CheckHot();
}

void TAdvGridButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !FDragging) return;
  FDragging = false;
  bool inside = PtInRect(ClientRect(), TPoint{x, y});
  if (FGroupIndex == 0) {
    FState = bsUp;
    // A press dragged off the button and released is taken back: nothing toggles.
    if (FStyle == TAdvGridButtonStyle::tasCheck && inside) {
      SetDown(!FDown);
      FState = bsUp;
    }
    if (inside && !FDown) Invalidate();
  } else if (inside) {
    SetDown(!FDown);
    if (FDown) Invalidate();
  } else {
    if (FDown) FState = bsExclusive;
    Invalidate();
  }
  if (inside) Click();
  CheckHot();
}

void TAdvGridButton::CheckHot() {
  TPoint cursor;
  GetCursorPos(&cursor);
  bool hot = Parent() && PtInRect(ClientRect(), ScreenToClient(cursor));
  if (hot == FMouseInControl) return;
  FMouseInControl = hot;
  Invalidate();
}

void TAdvGridButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_BUTTONPRESSED:
      if (static_cast<int>(message.WParam) == FGroupIndex)
        GroupPressed(reinterpret_cast<TAdvGridButton*>(message.LParam));
      return;
    case CM_MOUSEENTER:
      if (Enabled() && !GetCaptureControl()) {
        FMouseInControl = true;
        Invalidate();
        if (OnMouseEnter) OnMouseEnter(this);
      }
      break;
    case CM_MOUSELEAVE:
      if (Enabled() && !FDragging) {
        FMouseInControl = false;
        Invalidate();
        if (OnMouseLeave) OnMouseLeave(this);
      }
      break;
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<char16_t>(message.WParam), Caption()) && Enabled() && Visible() &&
          Parent() && Parent()->Showing()) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    case WM_LBUTTONDBLCLK:
      // A double click counts only on a button held down; otherwise it is a second press.
      if (FDown) DblClick();
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_SYSCOLORCHANGE:
      Invalidate();
      break;
    case WM_THEMECHANGED:
    case CM_SYSFONTCHANGED:
      if (FAutoThemeAdapt) ApplyPreset(ThemePreset());
      break;
    default:
      break;
  }
  TGraphicControl::Dispatch(message);
}

// --- Painting ------------------------------------------------------------------------------------

void TAdvGridButton::SettleState() {
  if (!Enabled()) {
    FState = bsDisabled;
    FDragging = false;
  } else if (FState == bsDisabled) {
    FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
  }
  if (FStyle == TAdvGridButtonStyle::tasCheck && FDown) FState = bsDown;
}

void TAdvGridButton::PaintFace(TCanvas* canvas, TRect& r, bool hot) {
  bool check = FStyle == TAdvGridButtonStyle::tasCheck;
  if (FBorderDownColor == clNone || FRounded) InflateRect(r, -1, -1);
  if (!hot) {
    if (check && FDown) {
      DrawButtonGradient(canvas, FColorChecked,
                         FColorCheckedTo == clNone ? FColorChecked : FColorCheckedTo,
                         FBorderDownColor, r, false);
    } else if (FColorTo == clNone) {
      canvas->Brush()->SetColor(Color());
      canvas->FillRect(r);
    } else {
      DrawButtonGradient(canvas, Color(), FColorTo,
                         FRounded ? clNone : FDown ? FBorderDownColor : FBorderColor, r, false);
    }
    if (FBorderColor != clNone) {
      canvas->Brush()->SetStyle(bsClear);
      canvas->Pen()->SetColor(FBorderColor);
      if (FRounded) {
        TRect outer = r;
        InflateRect(outer, 1, 1);
        canvas->RoundRect(outer, 8, 8);
      } else {
        canvas->Rectangle(r);
      }
      canvas->Brush()->SetStyle(bsSolid);
    }
  } else {
    bool pressed = FState == bsDown;
    TColor from = pressed ? FColorDown : FColorHot;
    TColor to = pressed ? FColorDownTo : FColorHotTo;
    TColor border = pressed ? FBorderDownColor : FBorderHotColor;
    if (check && FDown && !pressed) {
      from = FColorChecked;
      to = FColorCheckedTo;
      border = FBorderDownColor;
    }
    if (to != clNone) {
      DrawButtonGradient(canvas, from, to, FRounded ? clNone : border, r, false);
    } else {
      canvas->Brush()->SetColor(from);
      canvas->Pen()->SetColor(border == clNone ? from : border);
      canvas->Rectangle(r);
    }
    if (FRounded) {
      TRect outer = r;
      InflateRect(outer, 1, 1);
      canvas->Brush()->SetStyle(bsClear);
      canvas->Pen()->SetColor(pressed ? FBorderDownColor : FBorderHotColor);
      canvas->RoundRect(outer, 8, 8);
      canvas->Brush()->SetStyle(bsSolid);
    }
    if (FDropDownButton && border != clNone) {
      canvas->Pen()->SetColor(border);
      canvas->MoveTo(r.Right - kDropDownWidth, r.Top);
      canvas->LineTo(r.Right - kDropDownWidth, r.Bottom);
    }
  }
  InflateRect(r, -1, -1);
}

void TAdvGridButton::Paint() {
  SettleState();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  bool designing = ComponentState().Contains(csDesigning);
  bool hot = FMouseInControl && Enabled() && !designing;
  TRect r = ClientRect();
  if (FFlat) {
    PaintFace(canvas, r, hot);
  } else {
    uint32_t state = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
    if (FState == bsDown || FState == bsExclusive) state |= DFCS_PUSHED;
    DrawFrameControl(canvas->Handle(), r, DFC_BUTTON, state);
  }
  if (FState == bsExclusive && !(FFlat && hot)) {
    TRect checked = r;
    InflateRect(checked, 1, 1);
    if (FColorCheckedTo == clNone) {
      canvas->Brush()->SetColor(FColorChecked);
      canvas->FillRect(checked);
    } else {
      DrawButtonGradient(canvas, FColorChecked, FColorCheckedTo, FBorderDownColor, checked, false);
    }
  }
  TPoint offset{0, 0};
  if (!FFlat && (FState == bsDown || FState == bsExclusive)) offset = {1, 1};
  if (FFlat && hot && FShaded && FState != bsDown) offset = {-1, -1};
  if (FDropDownButton) {
    int x = r.Right - 8, y = (r.Top + r.Bottom) / 2;
    canvas->Brush()->SetColor(canvas->Font()->Color());
    canvas->Pen()->SetColor(canvas->Font()->Color());
    canvas->Polygon({{x, y - 2}, {x + 4, y - 2}, {x + 2, y}});
    r.Right -= kDropDownWidth;
  }
  PaintGlyphAndCaption(canvas, r, offset, hot);
}

void TAdvGridButton::PaintGlyphAndCaption(TCanvas* canvas, TRect area, TPoint offset, bool hot) {
  bool designing = ComponentState().Contains(csDesigning);
  TBitmap* glyph = FGlyph.get();
  if (hot && FState != bsDown && !designing && !FGlyphHot->Empty()) glyph = FGlyphHot.get();
  if ((FState == bsDown || FState == bsExclusive) && !FGlyphDown->Empty()) glyph = FGlyphDown.get();
  if (!Enabled() && !FGlyphDisabled->Empty()) glyph = FGlyphDisabled.get();
  String caption = FShowCaption ? Caption() : String();
  TSize glyphSize{glyph->Empty() ? 0 : glyph->Width(), glyph->Empty() ? 0 : glyph->Height()};
  TSize captionSize{0, 0};
  if (!caption.empty()) {
    TRect measure = Rect(0, 0, area.Width(), 0);
    canvas->TextRect(measure, caption, TTextFormat{tfCalcRect, tfWordBreak});
    captionSize = {measure.Width(), measure.Height()};
  }
  TGlyphLayout layout = LayoutGlyphAndCaption(FLayout, FMargin, FSpacing, area.Width(),
                                              area.Height(), glyphSize, captionSize);
  TPoint glyphAt = caption.empty() ? TPoint{0, 0}
                                   : TPoint{area.Left + layout.Glyph.X + offset.X,
                                            area.Top + layout.Glyph.Y + offset.Y};
  if (!glyph->Empty()) {
    glyph->SetTransparent(true);
    if (hot && FShaded && Enabled() && FState != bsDown && !FGlyphShade->Empty()) {
      FGlyphShade->SetTransparent(true);
      canvas->Draw(glyphAt.X + 2, glyphAt.Y + 2, FGlyphShade.get());
    }
    canvas->Draw(glyphAt.X, glyphAt.Y, glyph);
  }
  if (caption.empty()) return;
  TRect text = Rect(area.Left + layout.Caption.X + offset.X, area.Top + layout.Caption.Y + offset.Y,
                    0, 0);
  text.Right = text.Left + captionSize.cx;
  text.Bottom = text.Top + captionSize.cy;
  if (hot && FShaded && FFlat && Enabled() && FState != bsDown) OffsetRect(text, 1, 1);
  canvas->Brush()->SetStyle(bsClear);
  TTextFormat format{tfCenter, tfVerticalCenter, tfWordBreak};
  if (!Enabled()) {
    TRect light = text;
    OffsetRect(light, 1, 1);
    canvas->Font()->SetColor(clBtnHighlight);
    canvas->TextRect(light, caption, format);
    canvas->Font()->SetColor(clBtnShadow);
  }
  canvas->TextRect(text, caption, format);
  canvas->Brush()->SetStyle(bsSolid);
}
