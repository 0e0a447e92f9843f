#include "platform/ui/Dialogs.h"

#include <algorithm>
#include <memory>

#include "platform/rtl/TextCompare.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"

namespace {

struct TButtonKind {
  TMsgDlgBtn Button;
  const char16_t* Name;
  const char16_t* Caption;
  TModalResult Result;
};

constexpr TButtonKind ButtonKinds[] = {
    {mbYes, u"Yes", u"&Yes", mrYes},
    {mbNo, u"No", u"&No", mrNo},
    {mbOK, u"OK", u"OK", mrOk},
    {mbCancel, u"Cancel", u"Cancel", mrCancel},
    {mbAbort, u"Abort", u"&Abort", mrAbort},
    {mbRetry, u"Retry", u"&Retry", mrRetry},
    {mbIgnore, u"Ignore", u"&Ignore", mrIgnore},
    {mbAll, u"All", u"&All", mrAll},
    {mbNoToAll, u"NoToAll", u"N&o to All", mrNoToAll},
    {mbYesToAll, u"YesToAll", u"Yes to &All", mrYesToAll},
    {mbHelp, u"Help", u"&Help", mrNone},
    {mbClose, u"Close", u"&Close", mrClose},
};

constexpr int Margin = 8;
constexpr int IconSize = 32;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int ButtonSpacing = 8;

}  // namespace

// --- TMessageButton -------------------------------------------------------------------------------

TMessageButton::TMessageButton(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csCaptureMouse, csClickEvents, csSetCaption, csOpaque});
  SetTabStop(true);
  SetBounds(0, 0, ButtonWidth, ButtonHeight);
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TMessageButton::SetDefault(bool value) {
  FDefault = value;
  FActive = value;
  Invalidate();
}

void TMessageButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  TCustomControl::Click();
}

void TMessageButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && CanFocus() && !Focused()) SetFocus();
  TCustomControl::MouseDown(button, shift, x, y);
}

void TMessageButton::KeyUp(WORD& key, TShiftState shift) {
  TCustomControl::KeyUp(key, shift);
  if (key == VK_SPACE) Click();
}

void TMessageButton::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGKEY: {
      WORD key = message.CharCode();
      bool plain = KeyDataToShiftState(message.KeyData()).Empty();
      if (plain && ((key == VK_RETURN && FActive) || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    }
    case CM_DIALOGCHAR:
      if (IsAccel(static_cast<char16_t>(message.CharCode()), Caption()) && CanFocus()) {
        Click();
        message.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED: {
      auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
      FActive = dynamic_cast<TMessageButton*>(focused) ? focused == this : FDefault;
      Invalidate();
      return;
    }
    case WM_GETDLGCODE: message.Result = FDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON; return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: Invalidate(); break;
    default: break;
  }
  TCustomControl::Dispatch(message);
}

void TMessageButton::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(r);
  if (FActive) {
    canvas->Brush()->SetColor(clWindowFrame);
    canvas->FrameRect(r);
    InflateRect(r, -1, -1);
  }
  bool pressed = ControlState().Contains(csClicked) && MouseCapture();
  DrawEdge(canvas->Handle(), r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  TRect text = r;
  String caption = Caption();
  canvas->TextRect(text, caption, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
  if (Focused()) {
    TRect focus = r;
    InflateRect(focus, -3, -3);
    canvas->DrawFocusRect(focus);
  }
}

// --- TMessageForm ---------------------------------------------------------------------------------

TMessageForm::TMessageForm(TComponent* owner, const String& message, TMsgDlgType type,
                           TMsgDlgButtons buttons, const String& caption)
    : TForm(owner), FMessage(message), FType(type) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetCaption(caption);
  TMsgDlgBtn defaultButton = buttons.Contains(mbOK) ? mbOK : buttons.Contains(mbYes) ? mbYes : mbRetry;
  TMsgDlgBtn cancelButton = buttons.Contains(mbCancel) ? mbCancel : buttons.Contains(mbNo) ? mbNo : mbOK;
  for (const TButtonKind& kind : ButtonKinds) {
    if (!buttons.Contains(kind.Button)) continue;
    auto* button = new TMessageButton(this);
    button->SetName(kind.Name);
    button->SetCaption(kind.Caption);
    button->SetModalResult(kind.Result);
    if (kind.Button == defaultButton) button->SetDefault(true);
    if (kind.Button == cancelButton) {
      button->SetCancel(true);
      FCancelResult = kind.Result;
    }
    button->SetParent(this);
    FButtons.push_back(button);
  }
  Layout();
}

TMessageButton* TMessageForm::ButtonFor(TModalResult result) const {
  for (TMessageButton* button : FButtons)
    if (button->ModalResult() == result) return button;
  return nullptr;
}

void TMessageForm::Layout() {
  bool icon = FType != mtCustom;
  HDC dc = GetDC(nullptr);
  HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
  TRect text{0, 0, std::max(Screen ? Screen->Width() / 2 : 640, 200), 0};
  DrawText(dc, FMessage.empty() ? String(u" ") : FMessage, text,
           DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, oldFont);
  ReleaseDC(nullptr, dc);

  int textLeft = Margin + (icon ? IconSize + Margin * 2 : Margin);
  FIconRect = icon ? Bounds(Margin * 2, Margin * 2, IconSize, IconSize) : TRect{};
  FTextRect = Bounds(textLeft, Margin * 2, text.Width(), text.Height());
  int count = static_cast<int>(FButtons.size());
  int row = count * ButtonWidth + std::max(count - 1, 0) * ButtonSpacing;
  int width = std::max(FTextRect.Right + Margin * 2, row + Margin * 4);
  int buttonsTop = std::max(FTextRect.Bottom, FIconRect.Bottom) + Margin * 2;
  int height = buttonsTop + ButtonHeight + Margin * 2;
  SetClientSize(width, height);
  int x = (width - row) / 2;
  for (TMessageButton* button : FButtons) {
    button->SetBounds(x, buttonsTop, ButtonWidth, ButtonHeight);
    x += ButtonWidth + ButtonSpacing;
  }
}

void TMessageForm::Paint() {
  TCanvas* canvas = Canvas();
  if (!IsRectEmpty(FIconRect)) {
    TColor fill = FType == mtError ? clRed : FType == mtWarning ? clYellow : clBlue;
    const char16_t* mark = FType == mtError ? u"X" : FType == mtWarning ? u"!" : FType == mtInformation ? u"i" : u"?";
    canvas->Brush()->SetColor(fill);
    canvas->Pen()->SetColor(clBlack);
    canvas->Ellipse(FIconRect);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    canvas->Font()->SetStyle({fsBold});
    canvas->Font()->SetColor(FType == mtWarning ? clBlack : clWhite);
    TRect r = FIconRect;
    canvas->TextRect(r, mark, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
  }
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetStyle(bsClear);
  TRect r = FTextRect;
  String text = FMessage;
  canvas->TextRect(r, text, TTextFormat{tfLeft, tfWordBreak, tfNoPrefix, tfExpandTabs});
  TForm::Paint();
}

void TMessageForm::Dispatch(TMessage& message) {
  // The close box answers as the cancel button would.
  if (message.Msg == WM_CLOSE && FormState().Contains(fsModal)) {
    SetModalResult(FCancelResult);
    return;
  }
  TForm::Dispatch(message);
}

void TMessageForm::DoShow() {
  // The default button has the focus when the box shows.
  for (TMessageButton* button : FButtons)
    if (button->Default()) SetActiveControl(button);
  TForm::DoShow();
}

// --- The boxes ------------------------------------------------------------------------------------

String MessageDialogCaption(TMsgDlgType type) {
  switch (type) {
    case mtWarning: return u"Warning";
    case mtError: return u"Error";
    case mtInformation: return u"Information";
    case mtConfirmation: return u"Confirm";
    default: return Application ? Application->Title() : String();
  }
}

TMessageForm* CreateMessageDialog(const String& message, TMsgDlgType type, TMsgDlgButtons buttons) {
  auto* form = new TMessageForm(Application, message, type, buttons, MessageDialogCaption(type));
  form->AfterConstruction();
  return form;
}

TModalResult MessageDlg(const String& message, TMsgDlgType type, TMsgDlgButtons buttons, int) {
  std::unique_ptr<TMessageForm, TObjectFree> form(CreateMessageDialog(message, type, buttons));
  return form->ShowModal();
}

void ShowMessage(const String& message) { MessageDlg(message, mtCustom, {mbOK}); }

int MessageBox(const String& text, const String& caption, UINT flags) {
  TMsgDlgButtons buttons;
  switch (flags & 0x0F) {
    case MB_OKCANCEL: buttons = {mbOK, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: buttons = {mbAbort, mbRetry, mbIgnore}; break;
    case MB_YESNOCANCEL: buttons = {mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: buttons = {mbYes, mbNo}; break;
    case MB_RETRYCANCEL: buttons = {mbRetry, mbCancel}; break;
    default: buttons = {mbOK}; break;
  }
  TMsgDlgType type = mtCustom;
  switch (flags & 0xF0) {
    case MB_ICONSTOP: type = mtError; break;
    case MB_ICONQUESTION: type = mtConfirmation; break;
    case MB_ICONWARNING: type = mtWarning; break;
    case MB_ICONINFORMATION: type = mtInformation; break;
    default: break;
  }
  auto* form = new TMessageForm(Application, text, type, buttons, caption);
  form->AfterConstruction();
  std::unique_ptr<TMessageForm, TObjectFree> owned(form);
  return form->ShowModal();
}
