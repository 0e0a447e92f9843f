// TCustomEdit: the layout of the text, scrolling, painting and the caret.
#include <algorithm>
#include <cstdlib>

#include "platform/rtl/UnicodeText.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/StdCtrls.h"

namespace {

// Tab stops every this many average character widths.
constexpr int kTabColumns = 8;
// Rows a notch of the mouse wheel scrolls.
constexpr int kWheelRows = 3;

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

int TCustomEdit::LineHeight() {
  PrepareCanvas();
  return std::max(Canvas()->TextHeight(u"Wy"), 1);
}

int TCustomEdit::VisibleRows() { return std::max(FormattingRect().Height() / LineHeight(), 1); }

// The width of a row's text from its start up to `to`, with tabs reaching to the next tab stop.
int TCustomEdit::RowWidth(const TEditRow& row, int to) {
  PrepareCanvas();
  to = std::clamp(to, row.Start, row.End);
  if (FPasswordChar != 0 && !FMultiLine)
    return Canvas()->TextWidth(String(static_cast<size_t>(to - row.Start), FPasswordChar));
  int tabWidth = std::max(Canvas()->TextWidth(u"x") * kTabColumns, 1);
  int x = 0;
  int piece = row.Start;
  for (int i = row.Start; i < to; ++i) {
    if (FEditText[static_cast<size_t>(i)] != u'\t') continue;
    x += Canvas()->TextWidth(FEditText.substr(static_cast<size_t>(piece), static_cast<size_t>(i - piece)));
    x = (x / tabWidth + 1) * tabWidth;
    piece = i + 1;
  }
  return x + Canvas()->TextWidth(FEditText.substr(static_cast<size_t>(piece), static_cast<size_t>(to - piece)));
}

int TCustomEdit::RowLeft(const TEditRow& row) {
  TRect format = FormattingRect();
  int start = format.Left - FScroll;
  if (FAlignment == taLeftJustify) return start;
  int total = RowWidth(row, row.End);
  if (total >= format.Width()) return start;
  if (FAlignment == taRightJustify) return format.Right - total - 1;
  return format.Left + (format.Width() - total) / 2;
}

int TCustomEdit::TextX(int index) {
  index = std::clamp(index, 0, static_cast<int>(FEditText.size()));
  const TEditRow& row = Rows()[static_cast<size_t>(RowOf(index))];
  return RowLeft(row) + RowWidth(row, index);
}

TPoint TCustomEdit::PosFromChar(int index) {
  int row = RowOf(std::clamp(index, 0, static_cast<int>(FEditText.size())));
  return {TextX(index), FormattingRect().Top + (row - FTopRow) * LineHeight()};
}

int TCustomEdit::CharFromPos(TPoint point) {
  const std::vector<TEditRow>& rows = Rows();
  int rowIndex = 0;
  if (FMultiLine) {
    int offset = point.Y - FormattingRect().Top;
    int lineHeight = LineHeight();
    int fromTop = offset >= 0 ? offset / lineHeight : -((lineHeight - 1 - offset) / lineHeight);
    rowIndex = std::clamp(FTopRow + fromTop, 0, static_cast<int>(rows.size()) - 1);
  }
  TEditRow row = rows[static_cast<size_t>(rowIndex)];
  int length = static_cast<int>(FEditText.size());
  // A wrapped row's end is the next row's start: the caret stays on the row before it.
  int last = row.End;
  if (row.End < length && FEditText[static_cast<size_t>(row.End)] != u'\r' && row.End > row.Start)
    last = row.End - 1;
  int left = RowLeft(row);
  int best = row.Start;
  int bestDistance = std::abs(left - point.X);
  for (int i = row.Start + 1; i <= last; ++i) {
    if (i < length && IsLowSurrogate(FEditText[static_cast<size_t>(i)])) continue;
    int distance = std::abs(left + RowWidth(row, i) - point.X);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

// --- Scrolling -----------------------------------------------------------------------------------

void TCustomEdit::ScrollToCaret() {
  if (!HandleAllocated()) return;
  TRect format = FormattingRect();
  if (FMultiLine) {
    int row = RowOf(FCaret);
    int visible = VisibleRows();
    if (row < FTopRow) FTopRow = row;
    if (row >= FTopRow + visible) FTopRow = row - visible + 1;
    FTopRow = std::clamp(FTopRow, 0, std::max(LineCount() - visible, 0));
    if (FWordWrap) {
      FScroll = 0;
      return;
    }
  }
  int x = TextX(FCaret);
  if (x < format.Left) FScroll -= format.Left - x;
  if (x >= format.Right) FScroll += x - format.Right + 1;
  // No empty room on the right of a single line while text is scrolled out on the left.
  if (!FMultiLine) {
    const TEditRow& row = Rows().front();
    int spare = format.Width() - 1 - (RowWidth(row, row.End) - FScroll);
    if (spare > 0) FScroll = std::max(0, FScroll - spare);
  }
  FScroll = std::max(FScroll, 0);
}

void TCustomEdit::SetTopRow(int row) {
  if (!FMultiLine) return;
  row = std::clamp(row, 0, std::max(LineCount() - VisibleRows(), 0));
  if (row == FTopRow) return;
  FTopRow = row;
  UpdateCaret();
  UpdateScrollBars();
  Invalidate();
}

void TCustomEdit::LineScroll(int columns, int lines) {
  if (!FMultiLine) return;
  if (columns != 0 && !FWordWrap) {
    PrepareCanvas();
    FScroll = std::max(FScroll + columns * Canvas()->TextWidth(u"x"), 0);
    UpdateCaret();
    UpdateScrollBars();
    Invalidate();
  }
  SetTopRow(FTopRow + lines);
}

void TCustomEdit::UpdateScrollBars() {
  if (!HandleAllocated() || !FMultiLine || FScrollBars == ssNone) return;
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
    info.nMin = 0;
    info.nMax = std::max(LineCount() - 1, 0);
    info.nPage = static_cast<UINT>(VisibleRows());
    info.nPos = FTopRow;
    SetScrollInfo(Handle(), SB_VERT, &info, true);
  }
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
    int widest = 0;
    if (!FWordWrap)
      for (const TEditRow& row : Rows()) widest = std::max(widest, RowWidth(row, row.End));
    info.nMin = 0;
    info.nMax = widest;
    info.nPage = static_cast<UINT>(std::max(FormattingRect().Width(), 1));
    info.nPos = FScroll;
    SetScrollInfo(Handle(), SB_HORZ, &info, true);
  }
}

void TCustomEdit::ScrollMessage(TMessage& message) {
  message.Result = 0;
  if (!FMultiLine) return;
  int request = LOWORD(message.WParam);
  int thumb = HIWORD(message.WParam);
  if (message.Msg == WM_VSCROLL) {
    int page = VisibleRows();
    switch (request) {
      case SB_LINEUP: SetTopRow(FTopRow - 1); break;
      case SB_LINEDOWN: SetTopRow(FTopRow + 1); break;
      case SB_PAGEUP: SetTopRow(FTopRow - page); break;
      case SB_PAGEDOWN: SetTopRow(FTopRow + page); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: SetTopRow(thumb); break;
      case SB_TOP: SetTopRow(0); break;
      case SB_BOTTOM: SetTopRow(LineCount()); break;
      default: break;
    }
    return;
  }
  if (FWordWrap) return;
  PrepareCanvas();
  int column = Canvas()->TextWidth(u"x");
  int page = std::max(FormattingRect().Width(), 1);
  int target = FScroll;
  switch (request) {
    case SB_LINELEFT: target -= column; break;
    case SB_LINERIGHT: target += column; break;
    case SB_PAGELEFT: target -= page; break;
    case SB_PAGERIGHT: target += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: target = thumb; break;
    case SB_LEFT: target = 0; break;
    case SB_RIGHT: {
      int widest = 0;
      for (const TEditRow& row : Rows()) widest = std::max(widest, RowWidth(row, row.End));
      target = widest - page + 1;
      break;
    }
    default: return;
  }
  FScroll = std::max(target, 0);
  UpdateCaret();
  UpdateScrollBars();
  Invalidate();
}

bool TCustomEdit::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  if (!FMultiLine) return false;
  SetTopRow(FTopRow - wheelDelta * kWheelRows / WHEEL_DELTA);
  return true;
}

void TCustomEdit::Resize() {
  TCustomControl::Resize();
  if (!HandleAllocated()) return;
  // Wrapped rows follow the new width; the caret stays in view.
  InvalidateRows();
  ScrollToCaret();
  UpdateCaret();
  UpdateScrollBars();
  Invalidate();
}

void TCustomEdit::UpdateCaret() {
  if (!FCaretCreated || !HandleAllocated()) return;
  TPoint at = PosFromChar(FCaret);
  SetCaretPos(at.X, at.Y);
}

// --- Painting ------------------------------------------------------------------------------------

TColor TCustomEdit::BackgroundColor() { return Enabled() ? Color() : clBtnFace; }

void TCustomEdit::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(BackgroundColor());
  canvas->FillRect(client);
  if (FBorderStyle != bsNone) DrawEdge(canvas->Handle(), client, EDGE_SUNKEN, BF_RECT);

  PrepareCanvas();
  int start = SelStart();
  int end = start + SelLength();
  // The selection shows only while the edit has the focus.
  if (!Focused()) end = start;
  const std::vector<TEditRow> rows = Rows();
  int top = FormattingRect().Top;
  int lineHeight = LineHeight();
  int last = std::min(static_cast<int>(rows.size()), FTopRow + VisibleRows() + 1);
  for (int r = FTopRow; r < last; ++r)
    PaintRow(rows[static_cast<size_t>(r)], top + (r - FTopRow) * lineHeight, start, end);
}

// Paints one row: the parts before, inside and after the selection, each piece between tabs
// at its own place, clipped to the formatting rectangle.
void TCustomEdit::PaintRow(const TEditRow& row, int y, int selStart, int selEnd) {
  TCanvas* canvas = Canvas();
  TRect format = FormattingRect();
  int lineHeight = LineHeight();
  bool password = FPasswordChar != 0 && !FMultiLine;
  int a = std::clamp(selStart, row.Start, row.End);
  int b = std::clamp(selEnd, row.Start, row.End);
  struct TPart {
    int From, To;
    bool Selected;
  } parts[] = {{row.Start, a, false}, {a, b, true}, {b, row.End, false}};
  int left = RowLeft(row);
  for (const TPart& part : parts) {
    if (part.From >= part.To) continue;
    TRect area{std::max(left + RowWidth(row, part.From), format.Left),
               std::max(y, format.Top),
               std::min(left + RowWidth(row, part.To), format.Right),
               std::min(y + lineHeight, format.Bottom)};
    if (area.Left >= area.Right || area.Top >= area.Bottom) continue;
    canvas->Brush()->SetColor(part.Selected ? clHighlight : (BackgroundColor()));
    canvas->Font()->SetColor(part.Selected ? clHighlightText
                                           : (Enabled() ? Font()->Color() : clGrayText));
    canvas->FillRect(area);
    int piece = part.From;
    for (int i = part.From; i <= part.To; ++i) {
      bool tab = i < part.To && !password && FEditText[static_cast<size_t>(i)] == u'\t';
      if (i < part.To && !tab) continue;
      if (i > piece) {
        int x = left + RowWidth(row, piece);
        String text = password ? String(static_cast<size_t>(i - piece), FPasswordChar)
                               : FEditText.substr(static_cast<size_t>(piece), static_cast<size_t>(i - piece));
        canvas->TextRect(area, x, y, text);
      }
      piece = i + 1;
    }
  }
}
