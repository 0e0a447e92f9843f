#include "platform/ui/ControlTypes.h"

#include "platform/win/WinApi.h"

TShiftState KeysToShiftState(WORD keys) {
  TShiftState shift;
  if (keys & MK_SHIFT) shift << ssShift;
  if (keys & MK_CONTROL) shift << ssCtrl;
  if (keys & MK_LBUTTON) shift << ssLeft;
  if (keys & MK_RBUTTON) shift << ssRight;
  if (keys & MK_MBUTTON) shift << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) shift << ssAlt;
  return shift;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift << ssCtrl;
  if (keyData & KF_ALTDOWN_BIT) shift << ssAlt;
  return shift;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift << ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) shift << ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) shift << ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) shift << ssMiddle;
  return shift;
}

TShortCut ShortCut(WORD key, TShiftState shift) {
  if (key & 0xFF00) return scNone;
  TShortCut result = key;
  if (shift.Contains(ssShift)) result |= scShift;
  if (shift.Contains(ssCtrl)) result |= scCtrl;
  if (shift.Contains(ssAlt)) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut shortCut, WORD& key, TShiftState& shift) {
  key = shortCut & 0x00FF;
  shift.Clear();
  if (shortCut & scShift) shift << ssShift;
  if (shortCut & scCtrl) shift << ssCtrl;
  if (shortCut & scAlt) shift << ssAlt;
}

TShortCut ShortCutFromMessage(const TMessage& message) {
  return ShortCut(message.CharCode(), KeyDataToShiftState(message.KeyData()));
}
