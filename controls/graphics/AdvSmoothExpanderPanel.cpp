#include "controls/graphics/AdvSmoothExpanderPanel.h"

#include <cmath>

#include "controls/graphics/SmoothCaptionText.h"
#include "platform/gdi/SysColors.h"
#include "platform/rtl/RtlMath.h"

using namespace AdvSmoothPanel;

TAdvSmoothExpanderPanel::TAdvSmoothExpanderPanel(TComponent* owner)
    : TAdvSmoothPanel(owner), FTimer(new TTimer(this)) {
  SetDoubleBuffered(true);
  FOldHeight = Height();
  FCurrentHeight = Height();
  FTimer->SetEnabled(false);
  FTimer->SetInterval(10);
  FTimer->SetOnTimer([this](TObject*) { AnimationStep(); });
  SetBounds(Left(), Top(), 276, 128);
  FSizeTracking = true;
}

TAdvSmoothExpanderPanel::~TAdvSmoothExpanderPanel() { FTimer->SetEnabled(false); }

void TAdvSmoothExpanderPanel::Changed() {
  TAdvSmoothPanel::Changed();
  Invalidate();
}

void TAdvSmoothExpanderPanel::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TAdvSmoothExpanderPanel*>(source);
  if (other == nullptr) return;
  FExpanderShape = other->FExpanderShape;
  FExpanderColor = other->FExpanderColor;
  FExpanderHoverColor = other->FExpanderHoverColor;
  FExpanderDownColor = other->FExpanderDownColor;
  FExpanderSize = other->FExpanderSize;
  FExpanderBorderColor = other->FExpanderBorderColor;
  FExpanded = other->FExpanded;
  FExpanderLeft = other->FExpanderLeft;
  FExpanderTop = other->FExpanderTop;
  FMinimumPanelHeight = other->FMinimumPanelHeight;
  FShowExpander = other->FShowExpander;
  Changed();
}

void TAdvSmoothExpanderPanel::SetAnimationFactor(int value) { Set(FAnimationFactor, std::max(1, value)); }

void TAdvSmoothExpanderPanel::SetMinimumPanelHeight(int value) {
  if (FMinimumPanelHeight == value) return;
  FMinimumPanelHeight = value;
  if (!FExpanded) SetHeight(value);
  Changed();
}

void TAdvSmoothExpanderPanel::Expand() {
  if (!FExpanded) SetExpanded(true);
}

void TAdvSmoothExpanderPanel::SetExpanded(bool value) {
  FExpanded = value;
  if (!FLineFixed) Caption()->SetLine(value);
  if (ComponentState().Contains(csLoading)) {
    FCurrentHeight = value ? Height() : FMinimumPanelHeight;
    FTargetHeight = FCurrentHeight;
  } else {
    // Panels built in code set their height after creation: the animation starts from the
    // height the panel has now, not from one recorded earlier.
    if (!FAnimating) FCurrentHeight = Height();
    FAnimating = true;
    FTimer->SetEnabled(true);
    if (value) {
      FTargetHeight = static_cast<double>(Round(FOldHeight));
      if (OnStartExpandPanel) OnStartExpandPanel(this);
    } else {
      FTargetHeight = FMinimumPanelHeight;
      if (OnStartCollapsePanel) OnStartCollapsePanel(this);
    }
  }
  Changed();
}

// Each step covers 1/AnimationFactor of the remaining distance, at least one pixel.
void TAdvSmoothExpanderPanel::AnimationStep() {
  if (!FAnimating) return;
  double step = std::fabs(FTargetHeight - FCurrentHeight) / FAnimationFactor;
  double c = FCurrentHeight;
  bool finished = false;
  if (c > FTargetHeight - 0.1 && c < FTargetHeight + 0.1) {
    c = FTargetHeight;
    finished = true;
  } else {
    double e = std::max(step, 1.0);
    c = static_cast<double>(c >= FTargetHeight ? Round(c - e) : Round(c + e));
  }
  if (!finished) {
    int wanted = static_cast<int>(Round(c));
    FSizeTracking = false;
    SetHeight(wanted);
    Changed();
    FCurrentHeight = Height();
    FSizeTracking = true;
    if (Height() != wanted) {
      // Alignment or constraints refused the size: the animation stops where it is.
      FAnimating = false;
      FTimer->SetEnabled(false);
    }
    return;
  }
  if (OnExpandPanel) OnExpandPanel(this);
  if (!FLineFixed) Caption()->SetLine(FExpanded);
  FAnimating = false;
  FTimer->SetEnabled(false);
  if (FExpanded) {
    if (OnEndExpandPanel) OnEndExpandPanel(this);
  } else if (OnEndCollapsePanel) {
    OnEndCollapsePanel(this);
  }
}

void TAdvSmoothExpanderPanel::Loaded() {
  TAdvSmoothPanel::Loaded();
  if (!Caption()->Line()) FLineFixed = true;
}

void TAdvSmoothExpanderPanel::Resize() {
  TAdvSmoothPanel::Resize();
  if (FSizeTracking && FExpanded && !FAnimating) FOldHeight = Height();
}

void TAdvSmoothExpanderPanel::KeyDown(WORD& key, TShiftState shift) {
  TAdvSmoothPanel::KeyDown(key, shift);
  if (key == VK_F4) SetExpanded(!FExpanded);
}

void TAdvSmoothExpanderPanel::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = TabStop() ? (DLGC_WANTARROWS | DLGC_WANTALLKEYS) : 0;
      return;
    case WM_WINDOWPOSCHANGED: Invalidate(); break;
    case CM_MOUSELEAVE:
      TAdvSmoothPanel::Dispatch(message);
      if (FHover || FDown) {
        FHover = false;
        FDown = false;
        Changed();
      }
      return;
    default: break;
  }
  TAdvSmoothPanel::Dispatch(message);
}

void TAdvSmoothExpanderPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TAdvSmoothPanel::MouseDown(button, shift, x, y);
  if (!FShowExpander) return;
  FDown = OnExpander(x, y);
  if (FDown) Changed();
}

void TAdvSmoothExpanderPanel::MouseMove(TShiftState shift, int x, int y) {
  TAdvSmoothPanel::MouseMove(shift, x, y);
  if (!FShowExpander) return;
  bool hover = OnExpander(x, y);
  if (hover == FHover) return;
  FHover = hover;
  Changed();
}

void TAdvSmoothExpanderPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TAdvSmoothPanel::MouseUp(button, shift, x, y);
  if (!FShowExpander) return;
  FDown = false;
  if (OnExpander(x, y)) SetExpanded(!FExpanded);
  Changed();
}

// --- Geometry and drawing ------------------------------------------------------------------------

TGPFloatRect TAdvSmoothExpanderPanel::InsideRect() {
  TRect r = ClientRect();
  r.Right -= 1;
  r.Bottom -= 1;
  if (Fill()->BorderColor() != clNone) {
    int w = Fill()->BorderWidth() == 1 ? 1 : (Fill()->BorderWidth() + 1) / 2;
    InflateRect(r, -w, -w);
  }
  if (Fill()->ShadowOffset() != 0 && Fill()->ShadowColor() != clNone) {
    r.Right -= Fill()->ShadowOffset();
    r.Bottom -= Fill()->ShadowOffset();
  }
  InflateRect(r, -2, -2);
  return MakeRectF(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

TGPFloatRect TAdvSmoothExpanderPanel::ExpanderRect() {
  float size = static_cast<float>(FExpanderSize);
  if (FExpanderLocation == plCustom) return MakeRectF(FExpanderLeft, FExpanderTop, size, size);
  // The placement rule in floating point, on the inside's left and top and its right and
  // bottom edges.
  TGPFloatRect in = InsideRect();
  float x = in.X, y = in.Y, right = in.X + in.Width, bottom = in.Y + in.Height;
  float xs[3] = {x, std::max(x, right - size) / 2, std::max(x, right - size)};
  float ys[3] = {y, (bottom - size) / 2, bottom - size};
  float px = xs[SmoothCaptionText::LocationColumn(FExpanderLocation)];
  float py = ys[SmoothCaptionText::LocationRow(FExpanderLocation)];
  return MakeRectF(px, py, size, size);
}

bool TAdvSmoothExpanderPanel::OnExpander(int x, int y) {
  TGPFloatRect r = ExpanderRect();
  return r.X <= x && x <= r.X + r.Width && r.Y <= y && y <= r.Y + r.Height;
}

void TAdvSmoothExpanderPanel::DrawPanel(TGPGraphics* graphics) {
  TAdvSmoothPanel::DrawPanel(graphics);
  if (FShowExpander) DrawExpander(graphics, ExpanderRect(), FHover, FDown);
}

namespace {

// Each of red, green and blue moves 60 % of the way to 255.
TColor Lighter(TColor color) {
  COLORREF c = ColorToRGB(color);
  auto lift = [](int ch) { return ch + ((255 - ch) * 60 + 50) / 100; };
  return static_cast<TColor>(RGB(lift(GetRValue(c)), lift(GetGValue(c)), lift(GetBValue(c))));
}

}  // namespace

void TAdvSmoothExpanderPanel::DrawExpander(TGPGraphics* graphics, const TGPFloatRect& r,
                                           bool hover, bool down) {
  int smoothing = graphics->GetSmoothingMode();
  graphics->SetSmoothingMode(SmoothingModeAntiAlias);
  TGDIPFill fill;
  fill.SetGradientType(gtVertical);
  fill.SetGradientMirrorType(gtVertical);
  if (FSquareExpander) {
    fill.SetRounding(0);
  } else if (FExpanderShape == esRounded) {
    fill.SetRoundingType(rtBoth);
    fill.SetRounding(static_cast<int>(Round(FExpanderSize / 2.0)));
  } else if (FExpanderShape == esRoundRect) {
    fill.SetRoundingType(rtBoth);
    fill.SetRounding(static_cast<int>(Round(FExpanderSize / 4.0)));
  }
  fill.SetBorderColor(FExpanderBorderColor);
  TColor c = down ? FExpanderDownColor : hover ? FExpanderHoverColor : FExpanderColor;
  if (c != clNone) {
    fill.SetColor(Lighter(c));
    fill.SetColorTo(c);
    fill.Fill(graphics, r);
  }
  TGPPen pen(MakeARGB(255, 0, 0, 0), 1);
  float x = r.X, y = r.Y, w = r.Width, h = r.Height;
  float cx = x + w / 2, left = x + w / 3, right = x + 2 * w / 3;
  float q1 = y + h / 4, q2 = y + 2 * h / 4, q3 = y + 3 * h / 4;
  if (FExpanded) {
    graphics->DrawLine(&pen, cx, q1, left, q2);
    graphics->DrawLine(&pen, cx, q1, right, q2);
    graphics->DrawLine(&pen, cx, q2, left, q3);
    graphics->DrawLine(&pen, cx, q2, right, q3);
  } else {
    graphics->DrawLine(&pen, cx, q2, left, q1);
    graphics->DrawLine(&pen, cx, q2, right, q1);
    graphics->DrawLine(&pen, cx, q3, left, q2);
    graphics->DrawLine(&pen, cx, q3, right, q2);
  }
  graphics->SetSmoothingMode(smoothing < 0 ? SmoothingModeDefault
                                           : static_cast<GpSmoothingMode>(smoothing));
}

void TAdvSmoothExpanderPanel::SetComponentStyle(TStylePreset style) {
  TAdvSmoothPanel::SetComponentStyle(style);
  if (style > 19) return;
  FSquareExpander = false;
  FExpanderBorderColor = 0x00C0C0C0;
  struct TColors {
    TColor Color, Hover, Down;
  };
  if (style >= 16) {
    TColors c = style == 16   ? TColors{0xF7F6F5, 0xF7EFE8, 0xF7E0C9}
                : style == 19 ? TColors{0xE5E5E5, 0xFCF0E4, 0xFCE2C8}
                              : TColors{0xFFFFFF, 0xFCF0E4, 0xFCE2C8};
    FSquareExpander = true;
    FExpanderColor = c.Color;
    FExpanderHoverColor = c.Hover;
    FExpanderDownColor = c.Down;
  } else {
    FExpanderColor = Fill()->Color();
    FExpanderHoverColor = 0x00AAD9FF;
    FExpanderDownColor = Fill()->ColorTo();
    FExpanderBorderColor = 0x00000000;
  }
  Changed();
}
