#include "platform/ui/HintWindow.h"

#include <algorithm>

#include "platform/ui/Screen.h"

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetColor(clInfoBk);
  if (Screen) SetFont(Screen->HintFont());
  SetVisible(false);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  params.WndParent = nullptr;
  params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int maxWidth, const String& hint, void*) {
  TRect r{0, 0, std::max(maxWidth, 1), 0};
  Canvas()->Font()->Assign(Font());
  Canvas()->TextRect(r, hint, TTextFormat{tfCalcRect, tfLeft, tfWordBreak, tfNoPrefix});
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(const TRect& rect, const String& hint) {
  SetCaption(hint);
  TRect r = rect;
  // Kept on the screen.
  TRect desktop = Screen ? Screen->DesktopRect() : r;
  if (r.Right > desktop.Right) OffsetRect(r, desktop.Right - r.Right, 0);
  if (r.Bottom > desktop.Bottom) OffsetRect(r, 0, desktop.Bottom - r.Bottom);
  if (r.Left < desktop.Left) OffsetRect(r, desktop.Left - r.Left, 0);
  if (r.Top < desktop.Top) OffsetRect(r, 0, desktop.Top - r.Top);
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  SetWindowPos(Handle(), HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FActive = true;
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  FActive = false;
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(r);
  Canvas()->Font()->Assign(Font());
  Canvas()->Brush()->SetStyle(bsClear);
  InflateRect(r, -2, -1);
  String text = Caption();
  Canvas()->TextRect(r, text, TTextFormat{tfLeft, tfWordBreak, tfNoPrefix});
}

String GetShortHint(const String& hint) {
  size_t bar = hint.find(u'|');
  return bar == String::npos ? hint : hint.substr(0, bar);
}

String GetLongHint(const String& hint) {
  size_t bar = hint.find(u'|');
  return bar == String::npos ? hint : hint.substr(bar + 1);
}
