// TCustomForm: closing, and showing modally.
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    Release();
  }
}

void TCustomForm::Release() {
  if (HandleAllocated())
    PostMessage(Handle(), CM_RELEASE);
  else
    Free();
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  switch (action) {
    case caNone: FModalResult = mrNone; break;
    case caFree: Release(); break;
    default: break;
  }
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
    throw EInvalidOperation(u"Cannot make a visible window modal");
  if (HWND capture = GetCapture()) SendMessage(capture, WM_CANCELMODE);
  ReleaseCapture();
  FFormState << fsModal;
  HWND activeBefore = GetActiveWindow();
  // The window that was active owns the modal form, so the form stays above it.
  HWND own = Handle();
  if (activeBefore && activeBefore != own) SetWindowLongPtr(own, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(activeBefore));
  std::vector<HWND> disabled = DisableTaskWindows(own);
  if (Application) Application->ModalStarted();

  // Whatever ends the loop (an answer, the end of the program, an error), the other windows come
  // back and the form goes.
  struct TRestore {
    TCustomForm* Form;
    std::vector<HWND>& Disabled;
    HWND ActiveBefore;
    ~TRestore() {
      if (Screen && Screen->FocusedForm() == Form) {
        Screen->SetFocusedForm(nullptr);
        Form->Perform(CM_DEACTIVATE);
      }
      EnableTaskWindows(Disabled);
      try {
        Form->Hide();
      } catch (...) {
      }
      if (ActiveBefore && IsWindow(ActiveBefore) && IsWindowVisible(ActiveBefore) &&
          GetActiveWindow() != ActiveBefore)
        SetActiveWindow(ActiveBefore);
      Form->FFormState >> fsModal;
      if (Application) Application->ModalFinished();
    }
  } restore{this, disabled, activeBefore};

  Show();
  FModalResult = mrNone;
  do {
    Application->HandleMessage();
    if (Application->Terminated())
      FModalResult = mrCancel;
    else if (FModalResult != mrNone)
      CloseModal();
  } while (FModalResult == mrNone);
  return FModalResult;
}
