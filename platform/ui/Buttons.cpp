// TSpeedButton: states, groups, and the painting of the face, the glyph and the caption.
#include "platform/ui/Buttons.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"

TSpeedButton::TSpeedButton(TComponent* owner)
    : TGraphicControl(owner), FGlyph(std::make_unique<TBitmap>()) {
  SetControlStyle({csCaptureMouse, csDoubleClicks, csSetCaption});
  SetBounds(Left(), Top(), 23, 22);
  SetParentColor(false);
  SetColor(clBtnFace);
  FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() { FGlyph->OnChange = nullptr; }

void TSpeedButton::SetGlyph(TBitmap* value) {
  if (value)
    FGlyph->Assign(value);
  else
    FGlyph->SetSize(0, 0);
  // A glyph made of several images says how many by its width.
  if (value && value->Height() > 0 && value->Width() % value->Height() == 0) {
    int count = value->Width() / value->Height();
    if (count >= 1 && count <= 4) FNumGlyphs = count;
  }
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value) {
  FNumGlyphs = std::clamp(value, 1, 4);
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (value == FAllowAllUp) return;
  FAllowAllUp = value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool value) {
  // A button outside a group cannot stay down; a group's last down button stays unless all may
  // be up.
  if (FGroupIndex == 0) value = false;
  if (value == FDown) return;
  if (FDown && !FAllowAllUp) return;
  FDown = value;
  UpdateState();
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton::SetFlat(bool value) {
  FFlat = value;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool value) {
  FTransparent = value;
  Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout value) {
  FLayout = value;
  Invalidate();
}

void TSpeedButton::SetMargin(int value) {
  FMargin = std::max(value, -1);
  Invalidate();
}

void TSpeedButton::SetSpacing(int value) {
  FSpacing = value;
  Invalidate();
}

void TSpeedButton::UpdateState() {
  if (!Enabled())
    FState = bsDisabled;
  else if (FDown)
    FState = bsExclusive;
  else
    FState = bsUp;
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !Parent()) return;
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* other = dynamic_cast<TSpeedButton*>(parent->Controls(i));
    if (!other || other == this || other->FGroupIndex != FGroupIndex) continue;
    // The group shares its AllowAllUp; only one of it is down.
    other->FAllowAllUp = FAllowAllUp;
    if (FDown && other->FDown) {
      other->FDown = false;
      other->UpdateState();
      other->Invalidate();
    }
  }
}

int TSpeedButton::GlyphIndexFor(TButtonState state) const {
  int index = static_cast<int>(state);
  return index < FNumGlyphs ? index : 0;
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

// --- Mouse ---------------------------------------------------------------------------------------

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  if (!FDown) {
    FState = bsDown;
    Invalidate();
  }
  FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!FDragging) return;
  // The button shows pressed while the held mouse is over it.
  TButtonState wanted = FDown ? bsExclusive : bsUp;
  if (PtInRect(ClientRect(), TPoint{x, y})) wanted = bsDown;
  if (wanted != FState) {
    FState = wanted;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !FDragging) return;
  FDragging = false;
  bool inside = PtInRect(ClientRect(), TPoint{x, y});
  if (FGroupIndex == 0) {
    UpdateState();
    Invalidate();
  } else if (inside) {
    SetDown(!FDown);
    UpdateState();  // a down button that may not rise shows held again
    Invalidate();
  } else {
    UpdateState();
    Invalidate();
  }
  if (inside) Click();
}

void TSpeedButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (message.LParam == 0) {
        FMouseInControl = message.Msg == CM_MOUSEENTER;
        if (FFlat) Invalidate();
      }
      break;
    case CM_ENABLEDCHANGED:
      UpdateState();
      Invalidate();
      break;
    case CM_TEXTCHANGED: Invalidate(); break;
    default: break;
  }
  TGraphicControl::Dispatch(message);
}

// --- Painting ------------------------------------------------------------------------------------

void TSpeedButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  bool pressed = FState == bsDown || FState == bsExclusive;
  if (!(FFlat && FTransparent) || pressed) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(r);
  }
  if (!FFlat) {
    DrawEdge(canvas->Handle(), r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  } else if (pressed || (FMouseInControl && Enabled())) {
    DrawEdge(canvas->Handle(), r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  TPoint offset = pressed ? TPoint{1, 1} : TPoint{0, 0};
  PaintGlyphAndCaption(canvas, r, offset);
}

void TSpeedButton::PaintGlyphAndCaption(TCanvas* canvas, TRect area, TPoint offset) {
  InflateRect(area, -2, -2);
  String caption = Caption();
  canvas->Font()->Assign(Font());
  if (!Enabled()) canvas->Font()->SetColor(clGrayText);
  TSize text{0, 0};
  if (!caption.empty()) text = canvas->TextExtent(caption);
  int glyphWidth = FGlyph->Empty() ? 0 : FGlyph->Width() / FNumGlyphs;
  int glyphHeight = FGlyph->Empty() ? 0 : FGlyph->Height();
  int spacing = glyphWidth > 0 && !caption.empty() ? FSpacing : 0;
  bool horizontal = FLayout == blGlyphLeft || FLayout == blGlyphRight;
  int total = horizontal ? glyphWidth + spacing + text.cx : glyphHeight + spacing + text.cy;
  int room = horizontal ? area.Width() : area.Height();
  int start = FMargin >= 0 ? FMargin : (room - total) / 2;
  TPoint glyphAt;
  TPoint textAt;
  if (horizontal) {
    int glyphTop = area.Top + (area.Height() - glyphHeight) / 2;
    int textTop = area.Top + (area.Height() - text.cy) / 2;
    if (FLayout == blGlyphLeft) {
      glyphAt = {area.Left + start, glyphTop};
      textAt = {glyphAt.X + glyphWidth + spacing, textTop};
    } else {
      textAt = {area.Right - start - total, textTop};
      glyphAt = {textAt.X + text.cx + spacing, glyphTop};
    }
  } else {
    int glyphLeft = area.Left + (area.Width() - glyphWidth) / 2;
    int textLeft = area.Left + (area.Width() - text.cx) / 2;
    if (FLayout == blGlyphTop) {
      glyphAt = {glyphLeft, area.Top + start};
      textAt = {textLeft, glyphAt.Y + glyphHeight + spacing};
    } else {
      textAt = {textLeft, area.Bottom - start - total};
      glyphAt = {glyphLeft, textAt.Y + text.cy + spacing};
    }
  }
  if (glyphWidth > 0) {
    int index = GlyphIndexFor(FState);
    TRect source = Rect(index * glyphWidth, 0, (index + 1) * glyphWidth, glyphHeight);
    TRect dest = Bounds(glyphAt.X + offset.X, glyphAt.Y + offset.Y, glyphWidth, glyphHeight);
    canvas->BrushCopy(dest, FGlyph.get(), source, FGlyph->TransparentColor());
  }
  if (!caption.empty()) {
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(textAt.X + offset.X, textAt.Y + offset.Y, caption);
  }
}
