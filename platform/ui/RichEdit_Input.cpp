// TCustomRichEdit: the caret, keys, typing and the mouse.
#include <algorithm>

#include "platform/ui/RichEdit.h"

namespace {
constexpr char16_t kCtrlA = 1, kCtrlC = 3, kCtrlV = 22, kCtrlX = 24, kCtrlZ = 26;
}  // namespace

int TCustomRichEdit::LineOf(int position) {
  const std::vector<TRichLine>& lines = LaidOutLines();
  for (size_t i = 0; i < lines.size(); ++i) {
    const TRichLine& line = lines[i];
    bool last = i + 1 == lines.size();
    // A position at a wrap point belongs to the next line, as the caret shows it there.
    if (position >= line.Start && (position < line.End || last ||
                                   (position == line.End && lines[i + 1].Start > line.End)))
      return static_cast<int>(i);
  }
  return lines.empty() ? -1 : static_cast<int>(lines.size()) - 1;
}

int TCustomRichEdit::PositionAt(TPoint client) {
  const std::vector<TRichLine>& lines = LaidOutLines();
  if (lines.empty()) return 0;
  TRect format = FormattingRect();
  int y = client.Y - format.Top + FScrollY;
  int x = client.X - format.Left;
  const TRichLine* hit = &lines.back();
  for (const TRichLine& line : lines)
    if (y < line.Top + line.Height) {
      hit = &line;
      break;
    }
  int best = hit->Start;
  for (int i = hit->Start; i <= hit->End; ++i) {
    int edge = hit->CharX[static_cast<size_t>(i - hit->Start)];
    int next = i < hit->End ? hit->CharX[static_cast<size_t>(i - hit->Start + 1)] : edge;
    best = i;
    if (x < (edge + next) / 2 || i == hit->End) break;
  }
  return best;
}

void TCustomRichEdit::UpdateCaret() {
  if (!FCaretCreated || !HandleAllocated()) return;
  int index = LineOf(FCaret);
  if (index < 0) return;
  const TRichLine& line = LaidOutLines()[static_cast<size_t>(index)];
  TRect format = FormattingRect();
  int offset = std::clamp(FCaret - line.Start, 0, line.End - line.Start);
  SetCaretPos(format.Left + line.CharX[static_cast<size_t>(offset)], format.Top + line.Top - FScrollY);
}

void TCustomRichEdit::ScrollToCaret() {
  int index = LineOf(FCaret);
  if (index < 0) return;
  const TRichLine& line = LaidOutLines()[static_cast<size_t>(index)];
  int visible = FormattingRect().Height();
  int old = FScrollY;
  if (line.Top < FScrollY) FScrollY = line.Top;
  else if (line.Top + line.Height > FScrollY + visible) FScrollY = std::max(line.Top + line.Height - visible, 0);
  if (old != FScrollY && HandleAllocated()) Invalidate();
}

void TCustomRichEdit::MoveCaret(int position, bool extend) { SetSel(extend ? FAnchor : position, position); }

void TCustomRichEdit::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  bool extend = shift.Contains(ssShift);
  bool ctrl = shift.Contains(ssCtrl);
  int index = LineOf(FCaret);
  const std::vector<TRichLine>& lines = LaidOutLines();
  auto lineAt = [&](int i) -> const TRichLine& { return lines[static_cast<size_t>(i)]; };
  switch (key) {
    case VK_LEFT:
      if (!extend && SelLength() > 0) MoveCaret(SelStart(), false);
      else MoveCaret(std::max(FCaret - 1, 0), extend);
      break;
    case VK_RIGHT:
      if (!extend && SelLength() > 0) MoveCaret(SelStart() + SelLength(), false);
      else MoveCaret(std::min(FCaret + 1, FDoc.Length()), extend);
      break;
    case VK_UP:
    case VK_DOWN: {
      if (index < 0) break;
      int target = index + (key == VK_UP ? -1 : 1);
      if (target < 0 || target >= static_cast<int>(lines.size())) break;
      // The caret keeps its x as well as the target line allows.
      const TRichLine& from = lineAt(index);
      int x = from.CharX[static_cast<size_t>(std::clamp(FCaret - from.Start, 0, from.End - from.Start))];
      TRect format = FormattingRect();
      const TRichLine& to = lineAt(target);
      MoveCaret(PositionAt({format.Left + x, format.Top + to.Top - FScrollY}), extend);
      break;
    }
    case VK_HOME:
      MoveCaret(ctrl || index < 0 ? 0 : lineAt(index).Start, extend);
      break;
    case VK_END:
      MoveCaret(ctrl || index < 0 ? FDoc.Length() : lineAt(index).End, extend);
      break;
    case VK_DELETE:
      if (extend) {
        CutToClipboard();
      } else if (!FReadOnly) {
        if (SelLength() > 0) ClearSelection();
        else if (FCaret < FDoc.Length()) ReplaceRange(FCaret, FCaret + 1, String(), true);
      }
      break;
    case VK_INSERT:
      if (ctrl) CopyToClipboard();
      if (extend) PasteFromClipboard();
      break;
    default: return;
  }
  key = 0;
}

void TCustomRichEdit::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  switch (key) {
    case 0: return;
    case u'\b':
      if (!FReadOnly) {
        if (SelLength() > 0) ClearSelection();
        else if (FCaret > 0) ReplaceRange(FCaret - 1, FCaret, String(), true);
      }
      break;
    case u'\r':
      if (!FReadOnly) ReplaceRange(SelStart(), SelStart() + SelLength(), u"\r", true);
      break;
    case u'\t':
      if (!FReadOnly) ReplaceRange(SelStart(), SelStart() + SelLength(), u"\t", true);
      break;
    case kCtrlA: SelectAll(); break;
    case kCtrlC: CopyToClipboard(); break;
    case kCtrlV: PasteFromClipboard(); break;
    case kCtrlX: CutToClipboard(); break;
    case kCtrlZ: Undo(); break;
    default:
      // Every printable character goes in; other control characters are dropped.
      if (key < 32 || key == 0x7F) return;
      if (!FReadOnly) ReplaceRange(SelStart(), SelStart() + SelLength(), String(1, key), true);
      break;
  }
  key = 0;
}

void TCustomRichEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (!Focused() && CanFocus()) SetFocus();
    MoveCaret(PositionAt({x, y}), shift.Contains(ssShift));
    FSelecting = true;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomRichEdit::MouseMove(TShiftState shift, int x, int y) {
  if (FSelecting && shift.Contains(ssLeft)) MoveCaret(PositionAt({x, y}), true);
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomRichEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) FSelecting = false;
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomRichEdit::DoEnter() {
  const std::vector<TRichLine>& lines = LaidOutLines();
  CreateCaret(Handle(), nullptr, 1, lines.empty() ? 14 : lines.front().Height);
  FCaretCreated = true;
  UpdateCaret();
  ShowCaret(Handle());
  Invalidate();
  TCustomControl::DoEnter();
}

void TCustomRichEdit::DoExit() {
  if (FCaretCreated) {
    DestroyCaret();
    FCaretCreated = false;
  }
  FSelecting = false;
  Invalidate();
  TCustomControl::DoExit();
}
