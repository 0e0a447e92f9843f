// The enhanced edit: a single-line edit that keeps a value between a fixed prefix and suffix,
// filters typing and pasting by its edit type, formats numbers with the locale's separators,
// shows focus, error and modified colours, carries its own caption label, offers a lookup list
// with history kept between runs, and takes part in drag and drop.
//
// The window text is always Prefix + value + Suffix; Text() is the value. Positions of the
// selection and the caret count in the window text.
#pragma once

#include <functional>
#include <memory>

#include "controls/edit/AdvEditText.h"
#include "controls/edit/LabelPlacement.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/StdCtrls.h"

class TAdvEdit;
class TListHintWindow;
class TListBoxTab;
class TEditDropTarget;

enum class TAdvEditType {
  etString, etNumeric, etFloat, etUppercase, etMixedCase, etLowerCase, etPassword, etMoney,
  etRange, etHex, etAlphaNumeric, etValidChars
};
enum class TPrecisionDisplay { pdNormal, pdShortest };
enum class TValueSeparator { vsBracket, vsSquareBracket, vsLargerSmaller, vsNone };
enum class TPersistenceLocation { plInifile, plRegistry };

using TValueValidateEvent = std::function<void(TObject* sender, String value, bool& isValid)>;
using TClipboardEvent = std::function<void(TObject* sender, String value, bool& allow)>;
using TURLClickEvent = std::function<void(TObject* sender, String url, bool& show)>;
using TLookupSelectEvent = std::function<void(TObject* sender, String& value)>;
using TLookupIndexSelectEvent = std::function<void(TObject* sender, int index, String& value)>;

// The attached label: a label that, with AlwaysEnable, never stays disabled.
class TEditLabel : public TLabel {
 public:
  explicit TEditLabel(TComponent* owner) : TLabel(owner) {}
  bool AlwaysEnable() const { return FAlwaysEnable; }
  void SetAlwaysEnable(bool value) { FAlwaysEnable = value; }
  void SetEnabled(bool value) override { TLabel::SetEnabled(value || FAlwaysEnable); }

 private:
  bool FAlwaysEnable = false;
};

// What the lookup list offers and how it looks.
class TLookupSettings : public TPersistent {
 public:
  TLookupSettings();
  void Assign(TPersistent* source) override;
  bool Enabled = false;
  TStringList* DisplayList() const { return FDisplayList.get(); }
  void SetDisplayList(TStrings* value) { FDisplayList->Assign(value); }
  TStringList* ValueList() const { return FValueList.get(); }
  void SetValueList(TStrings* value) { FValueList->Assign(value); }
  int NumChars() const { return FNumChars; }
  void SetNumChars(int value) {
    if (value > 0) FNumChars = value;
  }
  int DisplayCount = 4;
  bool CaseSensitive = false;
  bool History = false;
  bool Multi = false;
  char16_t Separator = u';';
  bool ShowValue = false;
  TValueSeparator ValueSeparator = TValueSeparator::vsBracket;
  bool AcceptOnTab = false;
  TColor Color = clWindow;
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  int Spacing = 0;

 private:
  std::unique_ptr<TStringList> FDisplayList;
  std::unique_ptr<TStringList> FValueList;
  int FNumChars = 2;
  std::unique_ptr<TFont> FFont;
};

// Where the text and the lookup history are kept between runs.
class TPersistence : public TPersistent {
 public:
  bool Enable = false;
  TPersistenceLocation Location = TPersistenceLocation::plInifile;
  String Key;
  String Section;
};

class TAdvEdit : public TCustomEdit {
 public:
  explicit TAdvEdit(TComponent* owner);
  ~TAdvEdit() override;

  // --- The value ---
  String Text();
  void SetText(const String& value);
  // Assigns an empty value.
  void Clear() { SetText(String()); }
  double FloatValue();
  void SetFloatValue(double value);
  int32_t IntValue();
  void SetIntValue(int32_t value);
  TAdvEditType EditType() const { return FEditType; }
  void SetEditType(TAdvEditType value);
  const String& Prefix() const { return FPrefix; }
  void SetPrefix(const String& value);
  const String& Suffix() const { return FSuffix; }
  void SetSuffix(const String& value);
  int16_t Precision() const { return FPrecision; }
  void SetPrecision(int16_t value);
  TPrecisionDisplay PrecisionDisplay() const { return FPrecisionDisplay; }
  void SetPrecisionDisplay(TPrecisionDisplay value);
  bool Signed() const { return FSigned; }
  void SetSigned(bool value) { FSigned = value; }
  bool AllowNumericNullValue() const { return FAllowNumericNullValue; }
  void SetAllowNumericNullValue(bool value) { FAllowNumericNullValue = value; }
  bool AutoThousandSeparator() const { return FAutoThousandSeparator; }
  void SetAutoThousandSeparator(bool value);
  String Version() const { return u"3.1.0.2"; }
  virtual uint32_t GetVersionNr() const { return 0x03010002; }
  // Selects the value part of the window text (never the prefix or the suffix).
  void SelectValue();
  bool IsValidValue(const String& value);
  // Shows the modified state (ShowModified) and sets Modified.
  void SetModifiedState(bool value);
  // Whether the value looks like a link (scheme, e-mail address or "www.").
  virtual bool IsURL();

  // --- Input ---
  bool ExcelStyleDecimalSeparator = false;
  int16_t LengthLimit = 0;
  bool TabOnFullLength = false;
  String ValidChars;
  // Escape restores the value the edit had when it got the focus (never for a password).
  bool CanUndo() const { return FCanUndo; }
  void SetCanUndo(bool value);
  bool ReturnIsTab = false;

  // --- Appearance ---
  AdvEdit::TEditAlign EditAlign() const { return FEditAlign; }
  void SetEditAlign(AdvEdit::TEditAlign value);
  AdvEdit::TEditAlign FocusAlign = AdvEdit::TEditAlign::eaDefault;
  TColor FocusColor = clNone;
  TColor FocusFontColor = clWindowText;
  bool FocusBorder() const { return FFocusBorder; }
  void SetFocusBorder(bool value);
  TColor FocusBorderColor = clNone;
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor value);
  int FocusWidthInc = 0;
  bool FocusLabel = false;
  bool AutoFocus = false;
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  TColor FlatLineColor() const { return FFlatLineColor; }
  void SetFlatLineColor(TColor value);
  bool FlatParentColor() const { return FFlatParentColor; }
  void SetFlatParentColor(bool value);
  bool SoftBorder() const { return FSoftBorder; }
  void SetSoftBorder(bool value);
  TColor DisabledColor() const { return FDisabledColor; }
  void SetDisabledColor(TColor value);
  bool DisabledBorder() const { return FDisabledBorder; }
  void SetDisabledBorder(bool value);
  bool ShowModified = false;
  TColor ModifiedColor = clHighlight;
  bool ShowError = false;
  TColor ErrorColor = clRed;
  TColor ErrorFontColor = clWhite;
  int ErrorMarkerPos() const { return FErrorMarkerPos; }
  void SetErrorMarkerPos(int value);
  int ErrorMarkerLen() const { return FErrorMarkerLen; }
  void SetErrorMarkerLen(int value);
  const String& EmptyText() const { return FEmptyText; }
  void SetEmptyText(const String& value);
  bool EmptyTextFocused = false;
  TFontStyles EmptyTextStyle() const { return FEmptyTextStyle; }
  void SetEmptyTextStyle(TFontStyles value);
  bool ShowURL = false;
  TColor URLColor = clBlue;
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool HintShowLargeText = false;
  // Writing the colour also sets the colour that focus, error and enabling return to.
  void SetColor(TColor value);
  bool ErrorState() const { return FErrorState; }
  void SetErrorState(bool value);

  // --- The attached label ---
  String LabelCaption() const;
  void SetLabelCaption(const String& value);
  AdvEdit::TLabelPosition LabelPosition() const { return FLabelPosition; }
  void SetLabelPosition(AdvEdit::TLabelPosition value);
  int LabelMargin() const { return FLabelMargin; }
  void SetLabelMargin(int value);
  bool LabelTransparent() const { return FLabelTransparent; }
  void SetLabelTransparent(bool value);
  bool LabelAlwaysEnabled() const { return FLabelAlwaysEnabled; }
  void SetLabelAlwaysEnabled(bool value);
  TFont* LabelFont() const { return FLabelFont.get(); }
  void SetLabelFont(TFont* value);
  // The label, once a caption made it (nullptr before).
  TEditLabel* EditLabel() const { return FLabel; }

  // --- Lookup and persistence ---
  TLookupSettings* Lookup() const { return FLookup.get(); }
  TPersistence* Persistence() const { return FPersistence.get(); }
  bool FullTextSearch = false;
  // The popup of the lookup list, and whether it shows.
  TListBox* LookupListBox() const;
  bool LookupVisible() const;
  virtual void LoadPersist();
  virtual void SavePersist();

  // --- Drag and drop ---
  bool OleDropSource() const { return FOleDropSource; }
  void SetOleDropSource(bool value) { FOleDropSource = value; }
  bool OleDropTarget() const { return FOleDropTarget; }
  void SetOleDropTarget(bool value);
  // The drop caret while something is dragged over the edit ((-1, -1): none).
  TPoint DropCaret() const { return FDropCaret; }

  // --- Events ---
  TValueValidateEvent OnValueValidate;
  TClipboardEvent OnClipboardCopy;
  TClipboardEvent OnClipboardCut;
  TClipboardEvent OnClipboardPaste;
  TURLClickEvent OnURLClick;
  TNotifyEvent OnLabelClick;
  TNotifyEvent OnLabelDblClick;
  TLookupSelectEvent OnLookupSelect;
  TLookupIndexSelectEvent OnLookupIndexSelect;

  void Dispatch(TMessage& message) override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetParent(TWinControl* value) override;

 protected:
  virtual void ValidateValue(const String& value, bool& isValid);
  void Change() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Paint() override;
  void DoEnter() override;
  void DoExit() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  TColor BackgroundColor() override { return Color(); }
  // Whether the edit is being loaded (the setters only store then).
  bool IsLoading() const { return ComponentState().Contains(csLoading); }
  // The type whose rules typing and pasting follow (a descendant may read a number differently
  // from the type it shows).
  virtual TAdvEditType InputType() const { return FEditType; }
  // The end of losing the focus, once the value is formatted: the platform's exit (OnExit).
  virtual void ExitAfterFormatting() { TCustomEdit::DoExit(); }

 private:
  friend class TEditDropTarget;
  friend class TListBoxTab;

  // --- The value (AdvEdit_Value.cpp) ---
  String WindowText() { return TControl::Text(); }
  String ValueOfWindowText(String text) const;
  // Sets the window text without a change notification.
  void SetWindowTextQuietly(const String& text);
  // The value's place in the window text.
  int ValueStart() const { return static_cast<int>(FPrefix.size()); }
  int ValueEnd();
  void FormatMoney();
  // Sets the window text to Prefix + value + Suffix, keeping undo and modified as they are.
  void RebuildWindowText(const String& value, int valueCaret);

  // --- Keys and the clipboard (AdvEdit_Input.cpp) ---
  void WMChar(TMessage& message);
  bool FilterFloatChar(char16_t& key, const String& value, bool wholeValueSelected);
  void ToggleSign(bool wholeValueSelected);
  void WMKeyDown(TMessage& message);
  bool LookupKeyDown(TMessage& message);
  void WMPaste();
  void WMCopy(TMessage& message);
  void WMCut(TMessage& message);
  bool AcceptsPaste(const String& value, const String& clip) const;
  void CMWantSpecialKey(TMessage& message);
  int DigitsBeforeDecimal(const String& value) const;
  void MoveFocusOn(bool forward);
  void CorrectCaretAfterClick();

  // --- Looks and focus (AdvEdit_Look.cpp) ---
  void SetEditRect();
  void ApplyStateColors();
  void SetURLLook(bool on);
  void UpdateURLLook();
  void DrawBorder(TCanvas* canvas);
  void PaintEmptyText(TCanvas* canvas);
  void PaintErrorMarker(TCanvas* canvas);
  void PaintFlatLine(TCanvas* canvas);
  TPoint CharPoint(int index);
  void CMEnabledChanged();
  void CMMouseEnter();
  void CMMouseLeave();
  void CMHintShow(TMessage& message);
  void SetColorQuietly(TColor value) { TControl::SetColor(value); }

  // --- The label (AdvEdit_Label.cpp) ---
  void UpdateLabel();
  void PlaceLabel();
  void LabelFontChanged(TObject* sender);

  // --- Lookup (AdvEdit_Lookup.cpp) ---
  void CreateLookupPopup();
  void UpdateLookup();
  void AcceptLookup();
  void HideLookup();
  void AddToHistory();
  String DefaultIniName() const;

  // --- Drag and drop (AdvEdit_Drag.cpp) ---
  void RegisterDropTarget();
  void RevokeDropTarget();
  void DragMoveCaret(TPoint client);
  void DropText(TPoint screen, const String& text);
  void ClearDropCaret();
  int CharAt(TPoint client);

  TAdvEditType FEditType = TAdvEditType::etString;
  String FPrefix;
  String FSuffix;
  int16_t FPrecision = 0;
  TPrecisionDisplay FPrecisionDisplay = TPrecisionDisplay::pdNormal;
  bool FSigned = false;
  bool FAllowNumericNullValue = false;
  bool FAutoThousandSeparator = true;
  bool FCanUndo = true;
  // Drops the next change notification (a rewrite by the edit itself).
  bool FDropChange = false;
  bool FValidating = false;
  bool FModifiedState = false;
  String FFocusValue;

  AdvEdit::TEditAlign FEditAlign = AdvEdit::TEditAlign::eaLeft;
  AdvEdit::TEditAlign FSavedAlign = AdvEdit::TEditAlign::eaLeft;
  bool FFocusAlignActive = false;
  bool FFocusBorder = false;
  TColor FBorderColor = clNone;
  bool FFlat = false;
  TColor FFlatLineColor = clBlack;
  bool FFlatParentColor = true;
  bool FSoftBorder = false;
  TColor FDisabledColor = clSilver;
  bool FDisabledBorder = true;
  int FErrorMarkerPos = 0;
  int FErrorMarkerLen = 0;
  String FEmptyText;
  TFontStyles FEmptyTextStyle;
  bool FTransparent = false;
  bool FErrorState = false;
  TColor FNormalColor = clWindow;
  TColor FNormalFontColor = clWindowText;
  TBorderStyle FLoadedBorderStyle = bsSingle;
  bool FHot = false;
  bool FURLLook = false;
  bool FFontFollows = true;

  TEditLabel* FLabel = nullptr;
  AdvEdit::TLabelPosition FLabelPosition = AdvEdit::TLabelPosition::lpLeftTop;
  int FLabelMargin = 4;
  bool FLabelTransparent = false;
  bool FLabelAlwaysEnabled = false;
  std::unique_ptr<TFont> FLabelFont;

  std::unique_ptr<TLookupSettings> FLookup;
  std::unique_ptr<TPersistence> FPersistence;
  TListHintWindow* FPopup = nullptr;
  TListBoxTab* FList = nullptr;

  bool FOleDropSource = false;
  bool FOleDropTarget = false;
  bool FDropRegistered = false;
  bool FDragArmed = false;
  bool FDragSource = false;
  // The running drag ended in this edit (its own drop already moved or kept the text).
  bool FDroppedInSelf = false;
  TPoint FDropCaret{-1, -1};
  TEditDropTarget* FDropTarget = nullptr;
};
