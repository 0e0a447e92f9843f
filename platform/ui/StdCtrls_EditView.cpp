// TCustomEdit: the layout of the text, painting, the caret, keys and the mouse.
#include <algorithm>
#include <cstdlib>

#include "platform/gdi/Gdi.h"
#include "platform/ui/StdCtrls.h"
#include "platform/win/VirtualKeys.h"

namespace {

bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }
bool IsWordChar(char16_t ch) { return ch != u' ' && ch != u'\t'; }

// The control characters Ctrl+letter types.
constexpr char16_t kCtrlA = 1, kCtrlC = 3, kCtrlV = 22, kCtrlX = 24, kCtrlZ = 26;

}  // namespace

// --- Layout --------------------------------------------------------------------------------------

TRect TCustomEdit::FormattingRect() {
  if (FFormatRectSet) return FFormatRect;
  TRect r = ClientRect();
  int inset = FBorderStyle == bsNone ? 1 : 3;
  r.Left += inset;
  r.Top += inset;
  r.Right = std::max(r.Left, r.Right - inset);
  r.Bottom = std::max(r.Top, r.Bottom - inset);
  return r;
}

void TCustomEdit::PrepareCanvas() { Canvas()->Font()->Assign(Font()); }

int TCustomEdit::TextX(int index) {
  PrepareCanvas();
  String shown = DisplayText();
  TRect format = FormattingRect();
  int total = Canvas()->TextWidth(shown);
  int start = format.Left - FScroll;
  if (total < format.Width()) {
    if (FAlignment == taRightJustify) start = format.Right - total - 1;
    if (FAlignment == taCenter) start = format.Left + (format.Width() - total) / 2;
  }
  index = std::clamp(index, 0, static_cast<int>(shown.size()));
  return start + Canvas()->TextWidth(shown.substr(0, static_cast<size_t>(index)));
}

int TCustomEdit::CharFromPos(TPoint point) {
  int length = static_cast<int>(FEditText.size());
  int best = 0;
  int bestDistance = std::abs(TextX(0) - point.X);
  for (int i = 1; i <= length; ++i) {
    if (i < length && IsLowSurrogate(FEditText[static_cast<size_t>(i)])) continue;
    int distance = std::abs(TextX(i) - point.X);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

TPoint TCustomEdit::PosFromChar(int index) { return {TextX(index), FormattingRect().Top}; }

void TCustomEdit::ScrollToCaret() {
  if (!HandleAllocated()) return;
  TRect format = FormattingRect();
  int x = TextX(FCaret);
  if (x < format.Left) FScroll -= format.Left - x;
  if (x >= format.Right) FScroll += x - format.Right + 1;
  // No empty room on the right while text is scrolled out on the left.
  PrepareCanvas();
  int spare = format.Width() - 1 - (Canvas()->TextWidth(DisplayText()) - FScroll);
  if (spare > 0) FScroll = std::max(0, FScroll - spare);
  FScroll = std::max(FScroll, 0);
}

void TCustomEdit::UpdateCaret() {
  if (!FCaretCreated || !HandleAllocated()) return;
  SetCaretPos(TextX(FCaret), FormattingRect().Top);
}

int TCustomEdit::CharBefore(int index) const {
  if (index <= 0) return 0;
  --index;
  if (index > 0 && IsLowSurrogate(FEditText[static_cast<size_t>(index)])) --index;
  return index;
}

int TCustomEdit::CharAfter(int index) const {
  int length = static_cast<int>(FEditText.size());
  if (index >= length) return length;
  ++index;
  if (index < length && IsLowSurrogate(FEditText[static_cast<size_t>(index)])) ++index;
  return index;
}

int TCustomEdit::WordStartBefore(int index) const {
  while (index > 0 && !IsWordChar(FEditText[static_cast<size_t>(index - 1)])) --index;
  while (index > 0 && IsWordChar(FEditText[static_cast<size_t>(index - 1)])) --index;
  return index;
}

int TCustomEdit::WordEndAfter(int index) const {
  int length = static_cast<int>(FEditText.size());
  while (index < length && IsWordChar(FEditText[static_cast<size_t>(index)])) ++index;
  while (index < length && !IsWordChar(FEditText[static_cast<size_t>(index)])) ++index;
  return index;
}

// --- Painting ------------------------------------------------------------------------------------

void TCustomEdit::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
  canvas->FillRect(client);
  if (FBorderStyle != bsNone) DrawEdge(canvas->Handle(), client, EDGE_SUNKEN, BF_RECT);

  PrepareCanvas();
  TRect format = FormattingRect();
  String shown = DisplayText();
  int start = SelStart();
  int end = start + SelLength();
  // The selection shows only while the edit has the focus.
  if (!Focused()) end = start;
  struct TPart {
    int From, To;
    bool Selected;
  } parts[] = {{0, start, false}, {start, end, true}, {end, static_cast<int>(shown.size()), false}};
  for (const TPart& part : parts) {
    if (part.From >= part.To) continue;
    int left = TextX(part.From);
    int right = TextX(part.To);
    TRect r{std::max(left, format.Left), format.Top, std::min(right, format.Right), format.Bottom};
    if (r.Left >= r.Right) continue;
    canvas->Brush()->SetColor(part.Selected ? clHighlight : (Enabled() ? Color() : clBtnFace));
    canvas->Font()->SetColor(part.Selected ? clHighlightText
                                           : (Enabled() ? Font()->Color() : clGrayText));
    canvas->TextRect(r, left, format.Top,
                     shown.substr(static_cast<size_t>(part.From),
                                  static_cast<size_t>(part.To - part.From)));
  }
}

// --- Focus ---------------------------------------------------------------------------------------

void TCustomEdit::DoEnter() {
  PrepareCanvas();
  CreateCaret(Handle(), nullptr, 1, Canvas()->TextHeight(u"Wy"));
  FCaretCreated = true;
  if (FAutoSelect) SelectAll();
  UpdateCaret();
  ShowCaret(Handle());
  Invalidate();
  TCustomControl::DoEnter();
}

void TCustomEdit::DoExit() {
  if (FCaretCreated) {
    DestroyCaret();
    FCaretCreated = false;
  }
  FSelecting = false;
  Invalidate();
  TCustomControl::DoExit();
}

// --- Keys ----------------------------------------------------------------------------------------

void TCustomEdit::MoveCaret(int position, bool extend) {
  SetSel(extend ? FSelAnchor : position, position);
}

void TCustomEdit::KeyDown(WORD& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  bool extend = shift.Contains(ssShift);
  bool word = shift.Contains(ssCtrl);
  switch (key) {
    case VK_LEFT:
      // Without Shift, a selection collapses to its left end.
      if (!extend && !word && SelLength() > 0)
        MoveCaret(SelStart(), false);
      else
        MoveCaret(word ? WordStartBefore(FCaret) : CharBefore(FCaret), extend);
      break;
    case VK_RIGHT:
      if (!extend && !word && SelLength() > 0)
        MoveCaret(SelStart() + SelLength(), false);
      else
        MoveCaret(word ? WordEndAfter(FCaret) : CharAfter(FCaret), extend);
      break;
    case VK_HOME: MoveCaret(0, extend); break;
    case VK_END: MoveCaret(static_cast<int>(FEditText.size()), extend); break;
    case VK_DELETE:
      if (extend) {
        CutToClipboard();
      } else if (!FReadOnly) {
        if (SelLength() == 0) FSelAnchor = CharAfter(FCaret);
        ClearSelection();
      }
      break;
    case VK_INSERT:
      if (word) CopyToClipboard();
      if (extend) PasteFromClipboard();
      break;
    default: return;
  }
  key = 0;
}

void TCustomEdit::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  switch (key) {
    case 0: return;
    case u'\b':
      if (!FReadOnly) {
        if (SelLength() == 0) FSelAnchor = CharBefore(FCaret);
        ClearSelection();
      }
      break;
    case kCtrlA: SelectAll(); break;
    case kCtrlC: CopyToClipboard(); break;
    case kCtrlV: PasteFromClipboard(); break;
    case kCtrlX: CutToClipboard(); break;
    case kCtrlZ: Undo(); break;
    default:
      // Every printable character goes in; other control characters are dropped.
      if (key < 32 || key == 0x7F) return;
      if (!FReadOnly) ReplaceSelection(String(1, key), true, true);
      break;
  }
  key = 0;
}

// --- Mouse ---------------------------------------------------------------------------------------

void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (!Focused() && CanFocus()) SetFocus();
    int position = CharFromPos({x, y});
    if (shift.Contains(ssDouble)) {
      SetSel(WordStartBefore(CharAfter(position)), WordEndAfter(position));
    } else {
      MoveCaret(position, shift.Contains(ssShift));
      FSelecting = true;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomEdit::MouseMove(TShiftState shift, int x, int y) {
  if (FSelecting && shift.Contains(ssLeft)) MoveCaret(CharFromPos({x, y}), true);
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) FSelecting = false;
  TCustomControl::MouseUp(button, shift, x, y);
}
