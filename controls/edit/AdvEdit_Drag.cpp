// TAdvEdit: dragging the selected text out, and taking text dropped onto the edit.
#include "controls/edit/AdvEdDD.h"
#include "controls/edit/AdvEdit.h"
#include "platform/win/Shell.h"
#include "platform/win/VirtualKeys.h"

using namespace AdvEdit;

namespace {

// OLE for the thread, for as long as the program runs.
struct TOleInitializer {
  TOleInitializer() { OleInitialize(nullptr); }
  ~TOleInitializer() { OleUninitialize(); }
} OleInitializer;

}  // namespace

// The edit's drop target: the drop caret follows the pointer, and a drop inserts the text.
class TEditDropTarget : public AdvEdDD::TAEDropTarget {
 public:
  explicit TEditDropTarget(TAdvEdit* edit) : FEdit(edit) {}

 protected:
  void DragMouseMove(TPoint screen, bool& allow) override {
    allow = true;
    FEdit->DragMoveCaret(FEdit->ScreenToClient(screen));
  }
  void DropText(TPoint screen, const String& text) override { FEdit->DropText(screen, text); }

 private:
  TAdvEdit* FEdit;
};

void TAdvEdit::SetOleDropTarget(bool value) {
  FOleDropTarget = value;
  if (ComponentState().Contains(csDesigning)) return;
  if (value && HandleAllocated())
    RegisterDropTarget();
  else if (!value)
    RevokeDropTarget();
}

void TAdvEdit::RegisterDropTarget() {
  if (FDropRegistered) return;
  auto* target = new TEditDropTarget(this);
  FDropRegistered = RegisterDragDrop(Handle(), target) == S_OK;
  // The window holds the target while it is registered.
  target->Release();
}

void TAdvEdit::RevokeDropTarget() {
  if (!FDropRegistered) return;
  if (HandleAllocated()) RevokeDragDrop(Handle());
  FDropRegistered = false;
}

int TAdvEdit::CharAt(TPoint client) {
  LRESULT packed = Perform(EM_CHARFROMPOS, 0,
                           static_cast<LPARAM>((client.X & 0xFFFF) | ((client.Y & 0xFFFF) << 16)));
  return static_cast<int>(packed & 0xFFFF);
}

void TAdvEdit::DragMoveCaret(TPoint client) {
  TPoint at = CharPoint(CharAt(client));
  if (at.X == FDropCaret.X && at.Y == FDropCaret.Y) return;
  FDropCaret = at;
  Invalidate();
}

void TAdvEdit::ClearDropCaret() {
  if (FDropCaret.X < 0) return;
  FDropCaret = {-1, -1};
  Invalidate();
}

void TAdvEdit::DropText(TPoint screen, const String& dropped) {
  String text = dropped;
  size_t lineEnd = text.find_first_of(u"\r\n");
  if (lineEnd != String::npos) text.resize(lineEnd);
  int at = CharAt(ScreenToClient(screen));
  const int selStart = SelStart();
  const int selEnd = selStart + SelLength();
  const bool copy = GetKeyState(VK_CONTROL) < 0;
  if (FDragSource) FDroppedInSelf = true;
  if (FDragSource && at >= selStart && at <= selEnd) {
    ClearDropCaret();
    return;
  }
  // Drops land inside the value, never in the prefix or the suffix.
  at = std::clamp(at, ValueStart(), ValueEnd());
  if (FDragSource && !copy) {
    SetSel(selStart, selEnd);
    SetSelText(String());
    if (at > selEnd) at -= selEnd - selStart;
  }
  ClearDropCaret();
  SetSel(at, at);
  SetSelText(text);
  SetModifiedState(true);
  Invalidate();
}

// --- The mouse -----------------------------------------------------------------------------------

void TAdvEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && SelLength() > 0 && Focused() && !shift.Contains(ssDouble)) {
    int at = CharAt({x, y});
    if (at >= SelStart() && at <= SelStart() + SelLength()) {
      // A press inside the selection may start a drag: the selection stays.
      FDragArmed = true;
      TControl::MouseDown(button, shift, x, y);
      return;
    }
  }
  TCustomEdit::MouseDown(button, shift, x, y);
}

void TAdvEdit::MouseMove(TShiftState shift, int x, int y) {
  TCustomEdit::MouseMove(shift, x, y);
  if (!FDragArmed || SelLength() == 0 || !FOleDropSource || !shift.Contains(ssLeft)) return;
  FDragArmed = false;
  String text = SelText();
  FDragSource = true;
  FDroppedInSelf = false;
  DWORD effect = DROPEFFECT_NONE;
  HRESULT result =
      AdvEdDD::StartEditDrag(text, String(), DROPEFFECT_COPY | DROPEFFECT_MOVE, effect);
  FDragSource = false;
  // Moved to another window, the text leaves this one. A drop into this edit has already moved
  // it, or kept it where it was dropped onto itself, so nothing more is taken away.
  if (result == DRAGDROP_S_DROP && effect == DROPEFFECT_MOVE && !FDroppedInSelf &&
      GetKeyState(VK_CONTROL) >= 0 && SelLength() > 0 && SelText() == text) {
    SetSelText(String());
    SetModifiedState(true);
  }
  ClearDropCaret();
  Invalidate();
}

void TAdvEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && FDragArmed) {
    int at = CharAt({x, y});
    SetSel(at, at);
    FDragArmed = false;
  }
  TCustomEdit::MouseUp(button, shift, x, y);
  if (button == mbLeft && FURLLook && Focused() && ShowURL) {
    bool show = true;
    String value = Text();
    if (OnURLClick) OnURLClick(this, value, show);
    if (show) {
      String link = value;
      String lower = value.substr(0, 4);
      for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z') c += 32;
      if (lower == u"www.")
        link = u"http://" + value;
      else if (value.find(u"://") == String::npos && value.find(u'@') != String::npos)
        link = u"mailto:" + value;
      ShellExecute(Handle(), u"open", link, String(), String(), SW_SHOWNORMAL);
    }
  }
  if (button == mbLeft) CorrectCaretAfterClick();
}
