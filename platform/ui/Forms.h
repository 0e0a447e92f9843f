// Forms: TScrollingWinControl (a windowed control whose content scrolls) and TCustomForm / TForm
// (a top-level window with a caption, its active control, activation, closing and modal showing).
//
// A form's OnActivate fires each time it becomes the form that has the focus: when it is shown,
// and again when a modal form it showed (or a message box) closes and the focus comes back.
// OnDeactivate fires on the form the focus leaves. OnCreate fires once the form is completely
// made: TApplication::CreateForm (and TCustomForm::Create) call AfterConstruction for it.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Controls.h"

enum TScrollBarKind { sbHorizontal, sbVertical };

class TScrollingWinControl;

// One scroll bar of a scrolling control: a range of content and the position in it.
class TControlScrollBar : public TPersistent {
 public:
  TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind);
  TScrollBarKind Kind() const { return FKind; }
  int Range() const { return FRange; }
  void SetRange(int value);
  int Position() const { return FPosition; }
  void SetPosition(int value);
  int Increment() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  bool Tracking() const { return FTracking; }
  void SetTracking(bool value) { FTracking = value; }
  // Whether the bar shows: visible, and the range exceeds the client size.
  bool IsScrollBarVisible();

 private:
  friend class TScrollingWinControl;
  int ClientSize();
  void Update();
  void ScrollMessage(TMessage& message);

  TScrollingWinControl* FControl;
  TScrollBarKind FKind;
  int FRange = 0;
  int FPosition = 0;
  int FIncrement = 8;
  bool FVisible = true;
  bool FTracking = false;
};

class TScrollingWinControl : public TWinControl {
 public:
  explicit TScrollingWinControl(TComponent* owner);
  ~TScrollingWinControl() override;
  TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool value);
  // Scrolls so that a child control is inside the client area.
  void ScrollInView(TControl* control);
  // Moves the children by (dx, dy) and the window's pixels with them.
  void ScrollBy(int dx, int dy);
  void Dispatch(TMessage& message) override;

 protected:
  friend class TCustomForm;
  void CreateWnd() override;
  void AlignControls(TControl* control, TRect& rect) override;
  void AutoScrollInView(TControl* control);
  void UpdateScrollBars();

 private:
  friend class TControlScrollBar;
  void CalcAutoRange();
  std::unique_ptr<TControlScrollBar> FHorzScrollBar;
  std::unique_ptr<TControlScrollBar> FVertScrollBar;
  bool FAutoScroll = false;
  bool FUpdatingScrollBars = false;
};

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon, 8>;
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem, 8>;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
using TShortCutEvent = std::function<void(TMessage& message, bool& handled)>;

class TCustomForm : public TScrollingWinControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  // Fires OnCreate; called once the most-derived constructor has finished.
  virtual void AfterConstruction();
  void BeforeDestruction() override;
  // Makes a form and fires its OnCreate.
  template <class T, class... Args>
  static T* Create(Args&&... args) {
    T* form = new T(std::forward<Args>(args)...);
    form->AfterConstruction();
    return form;
  }

  // --- Looks and place ---
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle value);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState value);
  TCanvas* Canvas() const { return FCanvas.get(); }
  TFormState FormState() const { return FFormState; }

  // --- Showing and closing ---
  // Shows the form (Visible := true) and brings it to the front.
  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form modally: the other windows are disabled until ModalResult is set (or the
  // form is closed, which sets mrCancel); then the form hides and the window that was active
  // before is activated again. Returns the ModalResult.
  // Raises EInvalidOperation "Cannot make a visible window modal" for a visible form.
  TModalResult ShowModal();
  // Asks OnCloseQuery, then OnClose; hides the form (or frees it, or ends the program for the
  // main form) as the close action says. A modal form gets ModalResult mrCancel instead.
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the message being handled is done.
  void Release();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }

  // --- Focus ---
  bool Active() const { return FActive; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  // Raises EInvalidOperation "Cannot focus a disabled or invisible window" for a control that
  // cannot take the focus.
  void SetActiveControl(TWinControl* control);
  void FocusControl(TWinControl* control);
  void DefocusControl(TWinControl* control, bool removing);
  // Called when a control of the form takes the focus: moves OnDeactivate / OnActivate between
  // forms and CM_EXIT / CM_ENTER between the controls. False when a handler moved the focus on.
  bool SetFocusedControl(TWinControl* control);
  void SetFocus() override;
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool value) { FKeyPreview = value; }
  // Whether a key is a short cut of the form (OnShortCut, or a component that handles short
  // cuts).
  virtual bool IsShortCut(TMessage& message);

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;

  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void PaintWindow(HDC dc) override;
  virtual void Paint();
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  virtual void DoCreate();
  virtual void DoDestroy();

 private:
  void CMShowingChanged(TMessage& message);
  void CMDialogKey(TMessage& message);
  void NextDialogControl(TMessage& message);
  void SetActive(bool value);
  void SetWindowFocus();
  void PlaceForm();
  void CloseModal();
  bool SendFocusMessage(TWinControl* target, UINT message);

  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  TWindowState FWindowState = wsNormal;
  TFormState FFormState;
  bool FKeyPreview = false;
  bool FActive = false;
  bool FCreated = false;
  TModalResult FModalResult = mrNone;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  std::unique_ptr<TControlCanvas> FCanvas;
};

class TForm : public TCustomForm {
 public:
  using TCustomForm::TCustomForm;
};

// Disables every visible, enabled top-level window but the given one (and the windows it owns);
// EnableTaskWindows enables them again.
std::vector<HWND> DisableTaskWindows(HWND activeWindow);
void EnableTaskWindows(const std::vector<HWND>& windows);
