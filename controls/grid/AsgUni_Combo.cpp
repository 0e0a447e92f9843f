// The Unicode combo box: the edit part's characters, the wide items, and the flat look.
#include "controls/graphics/AdvXPVS.h"
#include "controls/grid/AsgCombo.h"
#include "controls/grid/AsgCtl3D.h"
#include "controls/grid/AsgUni.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/Screen.h"
#include "platform/win/VirtualKeys.h"

namespace AsgUni {

// --- Characters and choices ----------------------------------------------------------------------

TCustomUNIComboBox::TCustomUNIComboBox(TComponent* owner)
    : TCustomComboBox(owner), FItems(std::make_unique<TComboBoxStrings>(this)) {
  HookEdit();
}

TCustomUNIComboBox::~TCustomUNIComboBox() {
  if (FHookedEdit && FHookedEdit == EditControl()) FHookedEdit->SetWindowProc(FEditWndProc);
}

void TCustomUNIComboBox::CreateWnd() {
  TCustomComboBox::CreateWnd();
  HookEdit();
}

void TCustomUNIComboBox::HookEdit() {
  TCustomEdit* edit = EditControl();
  if (!edit || edit == FHookedEdit) return;
  FHookedEdit = edit;
  FEditWndProc = edit->WindowProc();
  edit->SetWindowProc([this](TMessage& message) { EditWndProc(message); });
}

void TCustomUNIComboBox::EditWndProc(TMessage& message) {
  if (message.Msg == WM_KEYDOWN && DroppedDown() &&
      (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE))
    FClosingChar = message.WParam == VK_RETURN ? u'\r' : u'\x1b';
  if (message.Msg != WM_CHAR) {
    FEditWndProc(message);
    return;
  }
  auto typed = static_cast<char16_t>(message.WParam);
  if (FPairGuard.DropsSecondHalf(typed)) return;
  EditCharHook(message);
  typed = static_cast<char16_t>(message.WParam);
  const bool closing =
      (typed == u'\r' || typed == u'\x1b') && (DroppedDown() || typed == FClosingChar);
  FClosingChar = 0;
  if (closing) {
    // Enter and Escape close an open list; the key events see them, the edit does not.
    char16_t key = typed;
    KeyPress(key);
    if (DroppedDown()) SetDroppedDown(false);
    message.Result = 0;
    return;
  }
  FKeyTaken = false;
  FEditWndProc(message);
  FPairGuard.Handled(typed, FKeyTaken);
}

void TCustomUNIComboBox::KeyPress(char16_t& key) {
  const char16_t typed = key;
  if (key == u'\b') {
    // Backspace only deletes: it never completes the text from the items.
    if (OnKeyPress) OnKeyPress(this, key);
  } else {
    TCustomComboBox::KeyPress(key);
  }
  FKeyTaken = key == typed;
}

void TCustomUNIComboBox::Dispatch(TMessage& message) {
  if (message.Msg == CN_COMMAND && message.WParamHi() == CBN_SELCHANGE) {
    // The chosen item is the text before anyone hears of the choice.
    if (ItemIndex() >= 0) SetText(FItems->Get(ItemIndex()));
    Click();
    Change();
    Select();
    return;
  }
  TCustomComboBox::Dispatch(message);
}

// --- The flat combo box --------------------------------------------------------------------------

TASGUniCustomCombo::TASGUniCustomCombo(TComponent* owner) : TCustomUNIComboBox(owner) {
  FButtonWidth = GetSystemMetrics(SM_CXVSCROLL) + 4;
  FOldColor = Color();
  FOldParentColor = ParentColor();
}

void TASGUniCustomCombo::SetButtonWidth(int value) {
  if (value < 14 || value > 32) return;
  FButtonWidth = value;
  Invalidate();
}

void TASGUniCustomCombo::SetFlat(bool value) {
  if (FFlat == value) return;
  FFlat = value;
  SetCtl3D(!value);
  Invalidate();
}

void TASGUniCustomCombo::SetEtched(bool value) {
  if (FEtched == value) return;
  FEtched = value;
  Invalidate();
}

void TASGUniCustomCombo::SetCtl3D(bool value) { AsgCtl3D::Change(this, FCtl3D, value); }

void TASGUniCustomCombo::SetDropWidth(int value) {
  FDropWidth = value;
  if (value > 0) SetDroppedWidth(value);
}

bool TASGUniCustomCombo::Active() {
  if (ComponentState().Contains(csDesigning)) return Enabled();
  TWinControl* active = Screen ? Screen->ActiveControl() : nullptr;
  return FMouseInControl || (active && (active == this || active == EditControl()));
}

void TASGUniCustomCombo::Paint() {
  if (!FFlat) {
    TCustomComboBox::Paint();
    return;
  }
  TCanvas* canvas = Canvas();
  HDC dc = canvas->Handle();
  const int saved = SaveDC(dc);
  const int width = ClientWidth(), height = ClientHeight();
  if (Style() != csSimple) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    TRect r{width - FButtonWidth, 0, Width(), Height()};
    InflateRect(r, -1, -1);
    bool themed = false;
    if (IsWinXP && HandleAllocated()) {
      const AdvXPVS::TThemeBinder& theme = AdvXPVS::ThemeBinder();
      if (HTHEME handle = theme.OpenThemeData(Handle(), u"combobox")) {
        themed = theme.DrawThemeBackground(handle, dc, 1, AsgCombo::MouseButtonDown() ? 3 : 1, &r,
                                           nullptr) >= 0;
        theme.CloseThemeData(handle);
      }
    }
    // Without a theme the classic button is drawn, also when the XP look was asked for.
    if (!themed) {
      DrawFrameControl(dc, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
      ExcludeClipRect(dc, width - FButtonWidth - 4, 0, width + 2, height);
    }
  }
  TCustomComboBox::Paint();
  RestoreDC(dc, saved);
  DrawBorders(canvas);
}

void TASGUniCustomCombo::DrawBorders(TCanvas* canvas) {
  if (!FFlat) return;
  const bool focusBorder = !ComponentState().Contains(csDesigning) && FocusBorder && Active();
  const TColor outer = focusBorder ? clBtnFace : Parent() ? Parent()->Brush()->Color() : clBtnFace;
  HDC dc = canvas->Handle();
  const int saved = SaveDC(dc);
  TRect r{0, 0, Width(), Height()};
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(outer);
  if (focusBorder) {
    DrawEdge(dc, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  } else {
    canvas->FrameRect(r);
    InflateRect(r, -1, -1);
  }
  canvas->FrameRect(r);
  InflateRect(r, -1, -1);
  canvas->Brush()->SetColor(Color());
  canvas->FrameRect(r);
  if (Style() != csSimple)
    AsgCombo::DrawButtonBorder(canvas, ClientWidth(), ClientHeight(), FButtonWidth, Active(),
                               FEtched ? EDGE_ETCHED : EDGE_RAISED, DroppedDown() ? BF_FLAT : 0);
  RestoreDC(dc, saved);
}

void TASGUniCustomCombo::InvalidateButton() {
  if (!HandleAllocated()) return;
  TRect r = ClientRect();
  r.Left = r.Right - FButtonWidth;
  InvalidateRect(Handle(), &r, false);
}

void TASGUniCustomCombo::DropDown() {
  TCustomUNIComboBox::DropDown();
  InvalidateButton();
}

void TASGUniCustomCombo::CloseUp() {
  TCustomUNIComboBox::CloseUp();
  InvalidateButton();
}

void TASGUniCustomCombo::DoEnter() {
  TCustomUNIComboBox::DoEnter();
  if (!ComponentState().Contains(csDesigning)) Invalidate();
}

void TASGUniCustomCombo::DoExit() {
  TCustomUNIComboBox::DoExit();
  if (!ComponentState().Contains(csDesigning)) Invalidate();
}

void TASGUniCustomCombo::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_MOUSEENTER:
      TCustomUNIComboBox::Dispatch(message);
      if (FMouseInControl || !Enabled()) return;
      FMouseInControl = true;
      if (AutoFocus && CanFocus()) SetFocus();
      Invalidate();
      return;
    case CM_MOUSELEAVE:
      TCustomUNIComboBox::Dispatch(message);
      if (!FMouseInControl || !Enabled()) return;
      FMouseInControl = false;
      Invalidate();
      return;
    case CM_ENABLEDCHANGED:
      if (FFlat) {
        if (Enabled()) {
          SetParentColor(FOldParentColor);
          SetColor(FOldColor);
        } else {
          // A disabled flat combo shows its parent's colour.
          FOldParentColor = ParentColor();
          FOldColor = Color();
          SetParentColor(true);
        }
      }
      TCustomUNIComboBox::Dispatch(message);
      return;
    default: TCustomUNIComboBox::Dispatch(message); return;
  }
}

}  // namespace AsgUni
