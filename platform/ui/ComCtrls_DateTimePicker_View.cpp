// TDateTimePicker: the dropped calendar, painting, the mouse, the messages and the notifications.
#include <algorithm>
#include <cmath>

#include "platform/gdi/Gdi.h"
#include "platform/ui/ComCtrls.h"
#include "platform/win/VirtualKeys.h"
#include "platform/win/WindowStyles.h"

namespace {
constexpr int kCheckSize = 13;
}

// The calendar a date picker drops: a popup window holding the mouse capture. A click on a day
// (or the today line) chooses it; a press outside closes it unchosen. The focus stays in the
// picker, which hands it the keys.
class TPickerCalendar : public TMonthCalendar {
 public:
  explicit TPickerCalendar(TDateTimePicker* picker) : TMonthCalendar(nullptr), FPicker(picker) {
    SetVisible(false);
    SetTabStop(false);
    OnSelect = [this](TObject*) { FPicker->CalendarChose(Date(), true); };
  }
  bool Shown() const { return FShown; }
  void ShowAt(TPoint screen) {
    TRect size = MinReqRect();
    SetBounds(screen.X, screen.Y, size.Width() + 2, size.Height() + 2);
    SetWindowPos(Handle(), HWND_TOPMOST, screen.X, screen.Y, size.Width() + 2, size.Height() + 2,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    FShown = true;
    Invalidate();
    SetCaptureControl(this);
  }
  void Close() {
    if (!FShown) return;
    FShown = false;
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
  }

 protected:
  void CreateParams(TCreateParams& params) override {
    TMonthCalendar::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER | (params.Style & 0xFFFF);
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = nullptr;
  }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    if (!PtInRect(ClientRect(), TPoint{x, y})) {
      FPicker->SetDroppedDown(false);
      return;
    }
    TMonthCalendar::MouseDown(button, shift, x, y);
  }
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    TMonthCalendar::MouseUp(button, shift, x, y);
    if (FShown && GetCaptureControl() != this) SetCaptureControl(this);  // still open
  }

 private:
  TDateTimePicker* FPicker;
  bool FShown = false;
};

TDateTimePicker::TDateTimePicker(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(ControlStyle() << csCaptureMouse >> csClickEvents);
  SetTabStop(true);
  SetBounds(Left(), Top(), 186, 23);
  SetParentColor(false);
  SetColor(clWindow);
  FDateTime = ::Now();
  ParseFormat();
}

TDateTimePicker::~TDateTimePicker() {
  if (FCalendar) FCalendar->Close();
}

// --- The calendar --------------------------------------------------------------------------------

TMonthCalendar* TDateTimePicker::MonthCalendar() const {
  return FCalendar && FCalendar->Shown() ? FCalendar.get() : nullptr;
}

bool TDateTimePicker::DroppedDown() const { return MonthCalendar() != nullptr; }

void TDateTimePicker::SetDroppedDown(bool value) {
  if (value == DroppedDown()) return;
  if (!value) {
    FCalendar->Close();
    Invalidate();
    NMHDR header;
    header.code = DTN_CLOSEUP;
    Notify(header);
    return;
  }
  if (FKind != dtkDate || FDateMode != dmComboBox) return;
  if (!FCalendar) FCalendar = std::make_unique<TPickerCalendar>(this);
  FCalendar->Font()->Assign(Font());
  FCalendar->SetMinDate(0);
  FCalendar->SetMaxDate(0);
  FCalendar->SetDate(FDateTime);
  FCalendar->SetMinDate(FMinDate);
  FCalendar->SetMaxDate(FMaxDate);
  FCalendar->ShowAt(ClientToScreen({0, Height()}));
  Invalidate();
  // The calendar exists when the notification comes, so its handler may restyle it.
  NMHDR header;
  header.code = DTN_DROPDOWN;
  Notify(header);
}

void TDateTimePicker::CalendarChose(TDateTime day, bool close) {
  ChangeByUser(std::floor(day) + Time());
  if (close) SetDroppedDown(false);
}

void TDateTimePicker::DoExit() {
  SetDroppedDown(false);
  EndUserText(true);
  TCustomControl::DoExit();
}

// --- Notifications -------------------------------------------------------------------------------

LRESULT TDateTimePicker::Notify(NMHDR& header) {
  if (HandleAllocated()) {
    header.hwndFrom = Handle();
    header.idFrom = static_cast<UINT_PTR>(GetWindowLongPtr(Handle(), GWL_ID));
  }
  if (HandleAllocated() && Parent() && Parent()->HandleAllocated())
    return SendMessage(Parent()->Handle(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
  return Perform(CN_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void TDateTimePicker::NotifyChange() {
  NMDATETIMECHANGE change;
  change.nmhdr.code = DTN_DATETIMECHANGE;
  change.dwFlags = FShowCheckbox && !FChecked ? GDT_NONE : GDT_VALID;
  change.st = DateTimeToSystemTime(FDateTime);
  Notify(change.nmhdr);
}

void TDateTimePicker::Change() {
  if (OnChange) OnChange(this);
}

void TDateTimePicker::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TDateTimePicker::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TDateTimePicker::Dispatch(TMessage& message) {
  auto* st = reinterpret_cast<SYSTEMTIME*>(message.LParam);
  switch (message.Msg) {
    case WM_GETDLGCODE:
      message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS |
                       (DroppedDown() || FEditingText ? DLGC_WANTALLKEYS : 0);
      return;
    case CM_DIALOGKEY:
      if ((DroppedDown() || FEditingText) &&
          (message.CharCode() == VK_RETURN || message.CharCode() == VK_ESCAPE)) {
        WORD key = message.CharCode();
        KeyDown(key, {});
        message.Result = 1;
        return;
      }
      break;
    case DTM_GETSYSTEMTIME:
      if (st) *st = DateTimeToSystemTime(FDateTime);
      message.Result = FShowCheckbox && !FChecked ? GDT_NONE : GDT_VALID;
      return;
    case DTM_SETSYSTEMTIME:
      message.Result = MsgSetDateTime(st ? *st : SYSTEMTIME(), static_cast<LRESULT>(message.WParam)) ? 1 : 0;
      return;
    case DTM_GETRANGE: {
      WPARAM flags = 0;
      if (st && FMinDate != 0) {
        st[0] = DateTimeToSystemTime(FMinDate);
        flags |= GDTR_MIN;
      }
      if (st && FMaxDate != 0) {
        st[1] = DateTimeToSystemTime(FMaxDate);
        flags |= GDTR_MAX;
      }
      message.Result = static_cast<LRESULT>(flags);
      return;
    }
    case DTM_SETRANGE: {
      TDateTime low = 0;
      TDateTime high = 0;
      if (st && (message.WParam & GDTR_MIN) && !TrySystemTimeToDateTime(st[0], low)) low = 0;
      if (st && (message.WParam & GDTR_MAX) && !TrySystemTimeToDateTime(st[1], high)) high = 0;
      if (low != 0 && high != 0 && std::floor(low) > std::floor(high)) {
        message.Result = 0;
        return;
      }
      FMinDate = 0;
      FMaxDate = 0;
      SetMinDate(low);
      SetMaxDate(high);
      message.Result = 1;
      return;
    }
    case DTM_GETMONTHCAL: {
      TMonthCalendar* calendar = MonthCalendar();
      message.Result = calendar ? reinterpret_cast<LRESULT>(calendar->Handle()) : 0;
      return;
    }
    case DTM_CLOSEMONTHCAL:
      SetDroppedDown(false);
      message.Result = 0;
      return;
    case DTM_SETFORMATW: {
      auto text = reinterpret_cast<const char16_t*>(message.LParam);
      SetFormat(text ? String(text) : String());
      message.Result = 1;
      return;
    }
    case CN_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(message.LParam);
      if (!header) return;
      if (header->code == DTN_DATETIMECHANGE) Change();
      else if (header->code == DTN_USERSTRINGW) UserStringNotified(*reinterpret_cast<NMDATETIMESTRINGW*>(header));
      else if (header->code == DTN_DROPDOWN) DropDown();
      else if (header->code == DTN_CLOSEUP) CloseUp();
      message.Result = 0;
      return;
    }
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: Invalidate(); break;  // the current field shows only with the focus
    default: break;
  }
  TCustomControl::Dispatch(message);
}

// --- Mouse ---------------------------------------------------------------------------------------

TRect TDateTimePicker::CheckboxRect() {
  if (!FShowCheckbox) return Rect(0, 0, 0, 0);
  int top = (Height() - kCheckSize) / 2;
  return Rect(4, top, 4 + kCheckSize, top + kCheckSize);
}

TRect TDateTimePicker::ButtonRect() {
  int width = GetSystemMetrics(SM_CXVSCROLL);
  return Rect(Width() - 2 - width, 2, Width() - 2, Height() - 2);
}

TRect TDateTimePicker::TextRect() {
  int left = FShowCheckbox ? CheckboxRect().Right + 4 : 4;
  return Rect(left, 2, ButtonRect().Left - 2, Height() - 2);
}

int TDateTimePicker::FieldAtX(int x) {
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  int left = TextRect().Left;
  int nearest = -1;
  for (int index = 0; index < static_cast<int>(FFields.size()); ++index) {
    int right = left + canvas->TextWidth(FieldText(FFields[static_cast<size_t>(index)]));
    if (Editable(index)) {
      nearest = index;
      if (x < right) return index;
    }
    left = right;
  }
  return nearest;
}

void TDateTimePicker::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    TPoint p{x, y};
    TRect buttonRect = ButtonRect();
    if (PtInRect(CheckboxRect(), p)) {
      CheckByUser(!FChecked);
    } else if (PtInRect(buttonRect, p)) {
      if (FKind == dtkDate && FDateMode == dmComboBox)
        SetDroppedDown(!DroppedDown());
      else
        StepField(y < (buttonRect.Top + buttonRect.Bottom) / 2 ? 1 : -1);
    } else if (!FShowCheckbox || FChecked) {
      int field = FieldAtX(x);
      if (field >= 0) {
        FField = field;
        FTypedDigits = 0;
        Invalidate();
      }
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

// --- Painting ------------------------------------------------------------------------------------

void TDateTimePicker::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
  canvas->FillRect(client);
  DrawEdge(canvas->Handle(), client, EDGE_SUNKEN, BF_RECT);
  if (FShowCheckbox) {
    TRect box = CheckboxRect();
    DrawFrameControl(canvas->Handle(), box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (FChecked ? DFCS_CHECKED : 0) | (Enabled() ? 0 : DFCS_INACTIVE));
  }
  TRect button = ButtonRect();
  uint32_t inactive = Enabled() ? 0 : DFCS_INACTIVE;
  if (FKind == dtkDate && FDateMode == dmComboBox) {
    DrawFrameControl(canvas->Handle(), button, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | inactive | (DroppedDown() ? DFCS_PUSHED : 0));
  } else {
    int middle = (button.Top + button.Bottom) / 2;
    TRect up = Rect(button.Left, button.Top, button.Right, middle);
    TRect down = Rect(button.Left, middle, button.Right, button.Bottom);
    DrawFrameControl(canvas->Handle(), up, DFC_SCROLL, DFCS_SCROLLUP | inactive);
    DrawFrameControl(canvas->Handle(), down, DFC_SCROLL, DFCS_SCROLLDOWN | inactive);
  }
  canvas->Font()->Assign(Font());
  bool gray = !Enabled() || (FShowCheckbox && !FChecked);
  TRect text = TextRect();
  int x = text.Left;
  int y = text.Top + (text.Height() - canvas->TextHeight(u"0")) / 2;
  if (FEditingText) {
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(Font()->Color());
    canvas->TextOut(x, y, FUserText);
    return;
  }
  bool showField = Focused() && !DroppedDown() && !gray;
  for (int index = 0; index < static_cast<int>(FFields.size()); ++index) {
    String part = FieldText(FFields[static_cast<size_t>(index)]);
    int width = canvas->TextWidth(part);
    bool current = showField && index == FField;
    // The colour first: a colour given to a clear brush makes it solid again.
    canvas->Brush()->SetColor(clHighlight);
    canvas->Brush()->SetStyle(current ? bsSolid : bsClear);
    canvas->Font()->SetColor(gray ? clGrayText : current ? clHighlightText : Font()->Color());
    canvas->TextOut(x, y, part);
    x += width;
  }
}
