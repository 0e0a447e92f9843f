// TAdvEdit: construction, the window, and the routing of messages to the edit's handlers.
#include "controls/edit/AdvEdit.h"

#include "controls/edit/AdvEdit_Lookup.h"
#include "platform/ui/Forms.h"

using namespace AdvEdit;

// --- Settings objects ----------------------------------------------------------------------------

TLookupSettings::TLookupSettings()
    : FDisplayList(std::make_unique<TStringList>()),
      FValueList(std::make_unique<TStringList>()),
      FFont(std::make_unique<TFont>()) {
  FFont->SetName(u"Arial");
  FFont->SetSize(8);
}

void TLookupSettings::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TLookupSettings*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  Enabled = other->Enabled;
  FDisplayList->Assign(other->FDisplayList.get());
  FValueList->Assign(other->FValueList.get());
  FNumChars = other->FNumChars;
  DisplayCount = other->DisplayCount;
  CaseSensitive = other->CaseSensitive;
  History = other->History;
  Multi = other->Multi;
  Separator = other->Separator;
  ShowValue = other->ShowValue;
  ValueSeparator = other->ValueSeparator;
  AcceptOnTab = other->AcceptOnTab;
  Color = other->Color;
  FFont->Assign(other->FFont.get());
  Spacing = other->Spacing;
}

// --- The control ---------------------------------------------------------------------------------

TAdvEdit::TAdvEdit(TComponent* owner)
    : TCustomEdit(owner),
      FLabelFont(std::make_unique<TFont>()),
      FLookup(std::make_unique<TLookupSettings>()),
      FPersistence(std::make_unique<TPersistence>()) {
  FNormalColor = Color();
  FNormalFontColor = Font()->Color();
  FLabelFont->OnChange = [this](TObject* sender) { LabelFontChanged(sender); };
  if (!ComponentState().Contains(csDesigning)) CreateLookupPopup();
}

TAdvEdit::~TAdvEdit() {
  // The edit's own part goes first: what the window's end saves and revokes is done now.
  if (HandleAllocated()) {
    if (!IsLoading()) SavePersist();
    RevokeDropTarget();
  }
  if (FLabel) {
    FLabel->SetFocusControl(nullptr);
    delete FLabel;
    FLabel = nullptr;
  }
}

void TAdvEdit::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  params.Style &= ~(ES_RIGHT | ES_CENTER);
  if (FEditAlign == TEditAlign::eaRight) params.Style |= ES_RIGHT;
  if (FEditAlign == TEditAlign::eaCenter) params.Style |= ES_CENTER;
}

void TAdvEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  SetEditRect();
  if (FLabel) PlaceLabel();
  // A window made again (alignment, undo, password) takes drops again.
  if (FOleDropTarget) RegisterDropTarget();
}

void TAdvEdit::DestroyWnd() {
  if (!IsLoading() && !ComponentState().Contains(csDesigning)) SavePersist();
  RevokeDropTarget();
  TCustomEdit::DestroyWnd();
}

void TAdvEdit::SetBounds(int left, int top, int width, int height) {
  TCustomEdit::SetBounds(left, top, width, height);
  if (FLabel && FLabel->Parent()) PlaceLabel();
  SetEditRect();
}

void TAdvEdit::SetParent(TWinControl* value) {
  TCustomEdit::SetParent(value);
  if (!FLabel) return;
  FLabel->SetParent(value);
  if (value) UpdateLabel();
}

void TAdvEdit::Loaded() {
  TCustomEdit::Loaded();
  bool designing = ComponentState().Contains(csDesigning);
  if (!designing) {
    FNormalColor = Color();
    FNormalFontColor = Font()->Color();
    FLoadedBorderStyle = BorderStyle();
    bool flat = FFlat;
    FFlat = !flat;
    SetFlat(flat);
    UpdateLabel();
    if (!Enabled()) SetColorQuietly(FDisabledColor);
    LoadPersist();
  }
  if (FLabel && !FLabelAlwaysEnabled) {
    FLabel->SetAlwaysEnable(false);
    FLabel->SetEnabled(Enabled());
  }
  if (FLabel && ParentFont() && !ShowError) FLabel->Font()->Assign(Font());
  FFontFollows = ParentFont();
}

void TAdvEdit::Notification(TComponent* component, TOperation operation) {
  TCustomEdit::Notification(component, operation);
  if (operation == opRemove && component == FLabel) FLabel = nullptr;
}

void TAdvEdit::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CHAR: WMChar(message); return;
    case WM_KEYDOWN: WMKeyDown(message); return;
    case WM_PASTE: WMPaste(); return;
    case WM_COPY: WMCopy(message); return;
    case WM_CUT: WMCut(message); return;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(message); return;
    case CM_MOUSEENTER:
      TCustomEdit::Dispatch(message);
      CMMouseEnter();
      return;
    case CM_MOUSELEAVE:
      TCustomEdit::Dispatch(message);
      CMMouseLeave();
      return;
    case CM_HINTSHOW: CMHintShow(message); return;
    case WM_SYSKEYDOWN:
      // Alt closes the lookup list.
      HideLookup();
      TCustomEdit::Dispatch(message);
      return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      HideLookup();
      TCustomEdit::Dispatch(message);
      return;
    case CM_ENABLEDCHANGED:
      TCustomEdit::Dispatch(message);
      CMEnabledChanged();
      return;
    case CM_VISIBLECHANGED:
      TCustomEdit::Dispatch(message);
      if (FLabel) FLabel->SetVisible(Visible());
      return;
    case CM_FONTCHANGED:
      TCustomEdit::Dispatch(message);
      SetEditRect();
      return;
    case CM_PARENTFONTCHANGED:
      TCustomEdit::Dispatch(message);
      if (FLabel && ParentFont() && !ShowError) {
        FLabel->Font()->Assign(Font());
        UpdateLabel();
      }
      return;
    default: TCustomEdit::Dispatch(message); return;
  }
}
