// Message boxes of the library's own: MessageDlg, ShowMessage and MessageBox show a modal form
// with the text, an icon by the kind of message, and a row of buttons. Enter presses the default
// button, Esc (and the close box) the cancel button; the answer is the pressed button's modal
// result.
#pragma once

#include <vector>

#include "platform/ui/Forms.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  mbClose
};
using TMsgDlgButtons = TSet<TMsgDlgBtn, 16>;

// A push button of a message box.
class TMessageButton : public TCustomControl {
 public:
  explicit TMessageButton(TComponent* owner);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool value) { FCancel = value; }
  void Click() override;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyUp(WORD& key, TShiftState shift) override;

 private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
  bool FActive = false;  // answers Enter: focused, or the default while no button is
};

class TMessageForm : public TForm {
 public:
  TMessageForm(TComponent* owner, const String& message, TMsgDlgType type, TMsgDlgButtons buttons,
               const String& caption);
  const String& Message() const { return FMessage; }
  TMsgDlgType DialogType() const { return FType; }
  const std::vector<TMessageButton*>& Buttons() const { return FButtons; }
  // The button that answers with a result; nullptr when none does.
  TMessageButton* ButtonFor(TModalResult result) const;
  void Dispatch(TMessage& message) override;

 protected:
  void Paint() override;
  void DoShow() override;

 private:
  void Layout();

  String FMessage;
  TMsgDlgType FType;
  std::vector<TMessageButton*> FButtons;
  TModalResult FCancelResult = mrCancel;
  TRect FTextRect;
  TRect FIconRect;
};

// The box's caption for a kind of message ("Warning", "Error", "Information", "Confirm"; the
// application's title for mtCustom).
String MessageDialogCaption(TMsgDlgType type);
// Makes the box without showing it; the caller shows it with ShowModal and frees it.
TMessageForm* CreateMessageDialog(const String& message, TMsgDlgType type, TMsgDlgButtons buttons);
TModalResult MessageDlg(const String& message, TMsgDlgType type, TMsgDlgButtons buttons,
                        int helpContext = 0);
void ShowMessage(const String& message);
// A box by the system's MB_* flags; answers IDOK, IDCANCEL, IDYES, ...
int MessageBox(const String& text, const String& caption, UINT flags);
