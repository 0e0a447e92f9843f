// Cursors and the caret.
#include <memory>

#include "platform/win/WinApi.h"
#include "platform/win/WindowSystem.h"

namespace {

// The system cursors are constant objects, the same in every session.
const TCursorObject SystemCursors[] = {
    {IDC_ARROW, u"arrow"},       {IDC_IBEAM, u"ibeam"},       {IDC_WAIT, u"wait"},
    {IDC_CROSS, u"cross"},       {IDC_UPARROW, u"uparrow"},   {IDC_SIZENWSE, u"sizenwse"},
    {IDC_SIZENESW, u"sizenesw"}, {IDC_SIZEWE, u"sizewe"},     {IDC_SIZENS, u"sizens"},
    {IDC_SIZEALL, u"sizeall"},   {IDC_NO, u"no"},             {IDC_HAND, u"hand"},
    {IDC_APPSTARTING, u"appstarting"}, {IDC_HELP, u"help"},
};

}  // namespace

HCURSOR LoadCursor(HINSTANCE, int id) {
  for (const TCursorObject& cursor : SystemCursors)
    if (cursor.Id == id) return const_cast<TCursorObject*>(&cursor);
  return nullptr;
}

HCURSOR CreateNamedCursor(const String& name) {
  auto& cursors = WindowSystem().NamedCursors;
  for (auto& cursor : cursors)
    if (cursor->Name == name) return cursor.get();
  cursors.push_back(std::make_unique<TCursorObject>(TCursorObject{0, name}));
  return cursors.back().get();
}

int CursorId(HCURSOR cursor) { return cursor ? cursor->Id : 0; }

String CursorName(HCURSOR cursor) { return cursor ? cursor->Name : String(); }

HCURSOR SetCursor(HCURSOR cursor) {
  TWindowSystem& system = WindowSystem();
  HCURSOR previous = system.Cursor;
  if (cursor != previous) {
    system.Cursor = cursor;
    system.BackEnd().SetCursorShape(cursor);
  }
  return previous;
}

HCURSOR GetCursor() { return WindowSystem().Cursor; }

// --- The caret ---------------------------------------------------------------------------------

bool CreateCaret(HWND window, HBITMAP, int width, int height) {
  TWindowSystem& system = WindowSystem();
  if (!system.Find(window)) return false;
  system.Caret = TCaretState{};
  system.Caret.Owner = window;
  system.Caret.Width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  system.Caret.Height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  return true;
}

bool DestroyCaret() {
  TWindowSystem& system = WindowSystem();
  if (!system.Caret.Owner) return false;
  system.Caret = TCaretState{};
  system.Caret.Owner = nullptr;
  return true;
}

bool ShowCaret(HWND window) {
  TCaretState& caret = WindowSystem().Caret;
  if (!caret.Owner || (window && window != caret.Owner) || caret.HideLevel == 0) return false;
  --caret.HideLevel;
  return true;
}

bool HideCaret(HWND window) {
  TCaretState& caret = WindowSystem().Caret;
  if (!caret.Owner || (window && window != caret.Owner)) return false;
  ++caret.HideLevel;
  return true;
}

bool SetCaretPos(int x, int y) {
  TCaretState& caret = WindowSystem().Caret;
  if (!caret.Owner) return false;
  caret.Pos = {x, y};
  return true;
}

bool GetCaretPos(TPoint* point) {
  if (!point) return false;
  *point = WindowSystem().Caret.Pos;
  return true;
}

bool IsCaretShowing() {
  const TCaretState& caret = WindowSystem().Caret;
  return caret.Owner && caret.HideLevel == 0;
}

TSize GetCaretSize() {
  const TCaretState& caret = WindowSystem().Caret;
  return {caret.Width, caret.Height};
}

HWND GetCaretOwner() { return WindowSystem().Caret.Owner; }

UINT GetCaretBlinkTime() { return 530; }

void DestroyCaretOf(HWND window) {
  if (WindowSystem().Caret.Owner == window) DestroyCaret();
}
