// TAsgEditBtn and TAsgUnitEditBtn: the button, keys, layout and the unit menu.
#include "controls/grid/ASGEdit.h"

#include "controls/grid/AsgEditLayout.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/VirtualKeys.h"

// --- The edit with a button ----------------------------------------------------------------------

TAsgEditBtn::TAsgEditBtn(TComponent* owner) : TAsgButtonEdit<TCustomMaskEdit>(owner) {
  SetText(u"0");
}

bool TAsgEditBtn::F4Clicks() const {
  return GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_LMENU) >= 0 &&
         GetKeyState(VK_RMENU) >= 0;
}

void TAsgEditBtn::SetEditRect() {
  const int margin = BorderStyle() == bsNone ? 3 : 1;
  int right = AsgEditLayout::InnerWidth(this) - Button()->Width() - 5 - FUnitSpace;
  if (FUnitSpace > 0) right -= 3;
  AsgEditLayout::SetFormattingRect(this, margin, margin, right,
                                   AsgEditLayout::InnerHeight(this) + 1);
}

// --- The edit with units -------------------------------------------------------------------------

TAsgUnitEditBtn::TAsgUnitEditBtn(TComponent* owner)
    : TAsgEditBtn(owner), FUnits(std::make_unique<TStringList>()) {
  FUnitSpace = 20;
  SetRightAlign(true);
}

void TAsgUnitEditBtn::SetUnits(TStrings* value) {
  if (value) FUnits->Assign(value);
}

void TAsgUnitEditBtn::SetUnitID(const String& value) {
  FUnitID = value;
  Invalidate();
}

void TAsgUnitEditBtn::SetUnitSpace(int value) {
  FUnitSpace = value;
  SetEditRect();
  Invalidate();
}

String TAsgUnitEditBtn::GetTextWithUnit() { return Text() + FUnitID; }

void TAsgUnitEditBtn::SetTextWithUnit(const String& s) {
  // The longest unit the text ends with wins, so "cm" is not read as "m" after a "c".
  int best = -1;
  for (int i = 0; i < FUnits->Count(); ++i) {
    const String& unit = FUnits->Strings(i);
    if (unit.empty() || unit.size() > s.size()) continue;
    if (s.compare(s.size() - unit.size(), unit.size(), unit) != 0) continue;
    if (best < 0 || unit.size() > FUnits->Strings(best).size()) best = i;
  }
  if (best < 0) return;
  const String& unit = FUnits->Strings(best);
  SetText(s.substr(0, s.size() - unit.size()));
  SetUnitID(unit);
}

void TAsgUnitEditBtn::ClickButton(TObject*) {
  if (OnClickBtn) OnClickBtn(this);
  HMENU menu = CreatePopupMenu();
  for (int i = 1; i <= FUnits->Count(); ++i)
    InsertMenu(menu, static_cast<UINT>(-1), MF_BYPOSITION, static_cast<UINT_PTR>(i),
               FUnits->Strings(i - 1));
  TPoint p = ClientToScreen({0, 0});
  TrackPopupMenu(menu, TPM_LEFTBUTTON, p.X + ClientWidth() - 15, p.Y + ClientHeight(), 0,
                 Handle(), nullptr);
  DestroyMenu(menu);
}

void TAsgUnitEditBtn::Dispatch(TMessage& message) {
  if (message.Msg == WM_COMMAND && message.LParam == 0) {
    if (message.WParamHi() == EN_CHANGE) return;
    const int id = message.WParamLo();
    if (id < 1 || id > FUnits->Count()) return;
    const String& unit = FUnits->Strings(id - 1);
    const bool changed = FUnitID != unit;
    SetUnitID(unit);
    if (changed && OnUnitChanged) OnUnitChanged(this, FUnitID);
    return;
  }
  TAsgEditBtn::Dispatch(message);
}

TRect TAsgUnitEditBtn::UnitRect() {
  const int edge = AsgEditLayout::EdgeOffset(this);
  const int right = AsgEditLayout::InnerWidth(this) - (Button()->Width() + 3);
  return {edge + right - FUnitSpace, edge + 2, edge + right,
          edge + AsgEditLayout::InnerHeight(this)};
}

void TAsgUnitEditBtn::Paint() {
  TAsgEditBtn::Paint();
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  TRect r = UnitRect();
  DrawText(canvas->Handle(), FUnitID, r, DT_EDITCONTROL);
}
