// The control base of the class library: TControl (a rectangle on a parent, painted by it),
// TWinControl (a control with a window of its own, which parents other controls and takes the
// focus), TGraphicControl and TCustomControl (the two bases that paint on a canvas).
//
// Messages reach a control through its window procedure (WindowProc, replaceable for
// subclassing), which runs WndProc; WndProc does the work every message needs (mouse capture,
// clicks) and hands the message to Dispatch, whose overrides route message numbers to handlers.
// A handler's "inherited" is the base class's Dispatch; whatever no handler takes goes to
// DefaultHandler (the window's default procedure for windowed controls). The handlers call the
// overridable methods (MouseDown, KeyDown, Click, DoEnter, ...) that fire the events.
//
// C++ cannot run overrides before the most-derived constructor has finished: a control creates
// no window in its constructor, and the window is made when it is first needed (Handle(), or the
// control becoming visible on a visible form).
#pragma once

#include <memory>
#include <vector>

#include "platform/gdi/Canvas.h"
#include "platform/rtl/Component.h"
#include "platform/ui/ControlTypes.h"
#include "platform/win/WinApi.h"

class TWinControl;
class TCustomForm;
class TBasicAction;
class TControlActionLink;

// What CreateParams fills for CreateWnd: the window's class, styles, place and parent.
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASS WindowClass;
  String WinClassName;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // --- Place ---
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* value);
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual void SetBounds(int left, int top, int width, int height);
  // The client area in the control's own coordinates.
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().Width(); }
  int ClientHeight() { return ClientRect().Height(); }
  void SetClientWidth(int value) { SetClientSize(value, ClientHeight()); }
  void SetClientHeight(int value) { SetClientSize(ClientWidth(), value); }
  void SetClientSize(int width, int height);
  // The client area's origin on the screen.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint point);
  TPoint ScreenToClient(TPoint point);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors value);

  // --- State ---
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle value) { FControlStyle = value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState value) { FControlState = value; }
  // Whether the control and its parents are visible (a windowed control: its window shows).
  virtual bool Showing() const;
  // The text of a control that has one (caption, edit text), through WM_GETTEXT / WM_SETTEXT.
  String Text();
  void SetText(const String& value);
  String Caption() { return Text(); }
  void SetCaption(const String& value) { SetText(value); }

  // --- Looks ---
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor value);
  const String& Hint() const { return FHint; }
  void SetHint(const String& value) { FHint = value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value);
  // The popup menu component (nullptr when none) and how to set one: any component that also
  // implements IPopupMenu.
  TComponent* PopupMenu() const { return FPopupMenu; }
  template <class TMenu>
  void SetPopupMenu(TMenu* menu) {
    SetPopupMenuObject(menu, menu);
  }
  void SetPopupMenuObject(TComponent* component, IPopupMenu* menu);
  // The action the control shows and runs on a click (ActnList.h; nullptr: none).
  TBasicAction* Action() const;
  void SetAction(TBasicAction* value);
  TControlActionLink* ActionLink() const { return FActionLink.get(); }

  // --- Messages ---
  // Sends a message straight to the control's window procedure.
  LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  const TWndMethod& WindowProc() const { return FWindowProc; }
  void SetWindowProc(TWndMethod value) { FWindowProc = std::move(value); }
  virtual void WndProc(TMessage& message);
  virtual void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  // --- Painting and order ---
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();
  // Whether the control holds the mouse capture (for a graphic control: through its parent).
  bool MouseCapture();
  void SetMouseCapture(bool value);

  // --- Events ---
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;

 protected:
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
  virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
  virtual void DoContextPopup(TPoint mousePos, bool& handled);
  virtual void Resize();
  // The font, the colour or the visibility changed; the bases notify and repaint.
  virtual void Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }
  virtual void VisibleChanging() {}
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;
  // Makes the parent lay out its controls again.
  void RequestAlign();
  // Invalidates the control's rectangle on its parent (graphic controls).
  void InvalidateControl(bool isVisible, bool isOpaque);
  // Remembers the distances the anchors keep, from the parent's current client size.
  void UpdateAnchorRules();
  void SetZOrder(bool topMost);
  // Sends WM_CANCELMODE to the window holding the capture unless it is this control's.
  void SendCancelMode();
  // The linked action changed; the control takes over what its link says is linked.
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  virtual TControlActionLink* CreateActionLink();

 private:
  friend class TWinControl;
  friend class TCustomForm;
  friend class TScrollingWinControl;
  void FontChanged(TObject* sender);
  void DoMouseDown(TMessage& message, TMouseButton button, TShiftState extra);
  void DoMouseUp(TMessage& message, TMouseButton button);
  void WMMouseButton(TMessage& message);
  void WMMouseWheel(TMessage& message);
  void WMContextMenu(TMessage& message);
  void CMParentFontChanged(TMessage& message);
  void CMParentColorChanged(TMessage& message);
  void CMParentShowHintChanged(TMessage& message);
  void CMMouseWheel(TMessage& message);

  TWinControl* FParent = nullptr;
  TWndMethod FWindowProc;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TControlStyle FControlStyle;
  TControlState FControlState;
  bool FVisible = true;
  bool FEnabled = true;
  bool FParentFont = true;
  bool FParentColor = true;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  // The parent's client size and the control's bounds when the anchor rules were taken.
  TSize FAnchorParentSize;
  TRect FAnchorBounds;
  bool FAnchorRulesValid = false;
  std::unique_ptr<TFont> FFont;
  TColor FColor = clWindow;
  TCursor FCursor = crDefault;
  String FText;
  String FHint;
  TComponent* FPopupMenu = nullptr;
  IPopupMenu* FPopupMenuInterface = nullptr;
  int FWheelAccumulator = 0;
  std::unique_ptr<TControlActionLink, void (*)(TControlActionLink*)> FActionLink{nullptr, nullptr};
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // --- The window ---
  // The window, made (with the parents' windows) when first asked for.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window and makes it again with the current CreateParams (when it exists).
  void RecreateWnd();
  // A window that is not a control of this library and serves as the parent's window.
  HWND ParentWindow() const { return FParentWindow; }
  void SetParentWindow(HWND value);
  // The control of a window of this library (nullptr for any other window).
  static TWinControl* FindControl(HWND window);
  bool Showing() const override { return FShowing; }
  TRect ClientRect() override;
  TPoint ClientOrigin() override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* value) override;
  TBrush* Brush() const { return FBrush.get(); }
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool value) { FDoubleBuffered = value; }

  // --- Children ---
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(TControl* control) const;
  // The child control at a client point (graphic ones by default; windowed too when asked).
  TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false);
  // Sends a message to every child until one answers it (Result not 0).
  void Broadcast(TMessage& message);
  // Sends a message to every child.
  void NotifyControls(UINT message);
  void DisableAlign();
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return FAlignLevel > 0; }

  // --- Focus and keys ---
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value);
  int TabOrder() const;
  void SetTabOrder(int value);
  virtual bool CanFocus();
  bool Focused();
  virtual void SetFocus();
  // The windowed controls inside this one, in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& list);
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                               bool checkParent);
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

  // --- Painting ---
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  // Paints the graphic child controls on a context (all of them, or those from `first` up).
  void PaintControls(HDC dc, TControl* first);
  void PaintTo(HDC dc, int x, int y);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  // The window's default procedure: the class's, which CreateParams named.
  WNDPROC DefWndProc() const { return FDefWndProc; }

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  void CreateHandle();
  void DestroyHandle();
  // Shows or hides the window as the control and its parents are visible.
  void UpdateShowing();
  void UpdateControlState();
  // Lays out the aligned and anchored children in the client rectangle.
  virtual void AlignControls(TControl* control, TRect& rect);
  virtual void AdjustClientRect(TRect& rect);
  // Paints the window's own content on a context (TCustomControl: Paint on its canvas).
  virtual void PaintWindow(HDC dc);
  // Handles WM_PAINT: the window, then the graphic children.
  void PaintHandler(TMessage& message);
  // The window of the control that comes before this one in the parent's z-order.
  HWND PrecedingWindow(TControl* control);
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(char16_t& key);
  virtual void DoEnter();
  virtual void DoExit();
  // Runs the key events: the parent form's when it previews keys, then this control's. True when
  // the key was swallowed.
  bool DoKeyDown(TMessage& message);
  bool DoKeyUp(TMessage& message);
  bool DoKeyPress(TMessage& message);
  void Loaded() override;

 private:
  friend class TControl;
  friend class TCustomForm;
  static LRESULT InitWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT ObjectWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void MainWndProc(TMessage& message);
  void Insert(TControl* control);
  void Remove(TControl* control);
  void AlignControl(TControl* control);
  void DoAnchors(TControl* control);
  TRect ComputedClientRect();
  void WMPaint(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMSetFocus(TMessage& message);
  void WMKillFocus(TMessage& message);
  void WMKey(TMessage& message);
  void WMSize(TMessage& message);
  void WMWindowPosChanged(TMessage& message);
  void WMNCDestroy(TMessage& message);
  void WMSetCursor(TMessage& message);
  void WMCommandOrNotify(TMessage& message);
  void CNKeyDown(TMessage& message);
  void CNChar(TMessage& message);
  void CMShowingChanged(TMessage& message);
  void CMVisibleChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMColorChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMDialogKeyOrChar(TMessage& message);
  void UpdateBounds();

  HWND FHandle = nullptr;
  HWND FParentWindow = nullptr;
  WNDPROC FDefWndProc = nullptr;
  bool FShowing = false;
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  int FAlignLevel = 0;
  std::vector<TControl*> FControls;      // all children, in z-order (first = bottom)
  std::vector<TWinControl*> FTabList;    // windowed children in tab order
  std::unique_ptr<TBrush> FBrush;
};

// A canvas on a control: it gets its context from the control's window (or, for a graphic
// control, from its parent's window) when first used, and gives it back with FreeHandle.
class TControlCanvas : public TCanvas {
 public:
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  void SetControl(TControl* value);
  void FreeHandle();
  // Takes the control's font into the text flags (right-to-left reading, never here).
  void UpdateTextFlags() {}

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl = nullptr;
  HWND FWindow = nullptr;
  HDC FOwnDC = nullptr;
};

// A control without a window that paints on its parent's window through Paint.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return FCanvas.get(); }
  void Dispatch(TMessage& message) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

// A windowed control that paints itself through Paint on its canvas.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return FCanvas.get(); }
  void Dispatch(TMessage& message) override;

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

// Gives back the contexts control canvases took outside painting; runs after every message.
void FreeDeviceContexts();

// The control that holds the mouse capture: a windowed control, or a graphic control whose parent's
// window holds it for it; nullptr when no control of this library does.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// Forgets a control that goes, if it held the capture.
void ForgetCaptureControl(TControl* control);

// The form that holds a control (nullptr when the control is on none).
TCustomForm* GetParentForm(TControl* control);
// As GetParentForm, but raises EInvalidOperation "Control '%s' has no parent window" for none.
TCustomForm* ValidParentForm(TControl* control);
