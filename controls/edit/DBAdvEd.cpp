// TDBAdvEdit: the enhanced edit bound to one field through a field data link.
#include "controls/edit/DBAdvEd.h"

#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/NumberText.h"
#include "platform/ui/Application.h"
#include "platform/win/VirtualKeys.h"

using namespace AdvEdit;

namespace {

constexpr char16_t kCtrlC = 3, kCtrlV = 22, kCtrlX = 24;

bool IsTextType(TAdvEditType type) {
  return type == TAdvEditType::etString || type == TAdvEditType::etUppercase ||
         type == TAdvEditType::etMixedCase || type == TAdvEditType::etLowerCase ||
         type == TAdvEditType::etAlphaNumeric;
}

bool IsStringField(TField* field) {
  return field->DataType() == ftString || field->DataType() == ftWideString;
}

// "32 to 255" of the original character tables: every printable character.
bool IsPrintable(char16_t ch) { return ch >= 32 && ch != 127; }

}  // namespace

TDBAdvEdit::TDBAdvEdit(TComponent* owner)
    : TAdvEdit(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  SetControlStyle(ControlStyle() << csReplicatable);
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* sender) { DataChange(sender); };
  FDataLink->OnUpdateData = [this](TObject* sender) { UpdateData(sender); };
  FDataLink->OnActiveChange = [this](TObject* sender) { ActiveChange(sender); };
}

TDBAdvEdit::~TDBAdvEdit() {
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  FDataLink->OnActiveChange = nullptr;
  FDataLink->SetDataSource(nullptr);
}

void TDBAdvEdit::SetDataSource(TDataSource* value) {
  if (value == DataSource()) return;
  if (DataSource()) DataSource()->RemoveFreeNotification(this);
  FDataLink->SetDataSource(value);
  if (value) value->FreeNotification(this);
}

void TDBAdvEdit::SetDataField(const String& value) {
  if (!ComponentState().Contains(csDesigning)) ResetMaxLength();
  FDataLink->SetFieldName(value);
}

void TDBAdvEdit::Notification(TComponent* component, TOperation operation) {
  TAdvEdit::Notification(component, operation);
  if (operation == opRemove && FDataLink && component == DataSource()) SetDataSource(nullptr);
}

void TDBAdvEdit::Loaded() {
  TAdvEdit::Loaded();
  ResetMaxLength();
}

// The field's size was taken as the length limit; forget it so the next field's can be taken.
void TDBAdvEdit::ResetMaxLength() {
  if (MaxLength() <= 0 || !DataSource() || !DataSource()->DataSet()) return;
  TField* field = DataSource()->DataSet()->FindField(DataField());
  if (field && IsStringField(field) && field->Size() == MaxLength()) SetMaxLength(0);
}

bool TDBAdvEdit::FloatField() const {
  TField* field = Field();
  if (!field || EditType() != TAdvEditType::etNumeric) return false;
  switch (field->DataType()) {
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftExtended:
    case ftSingle: return true;
    default: return false;
  }
}

TAdvEditType TDBAdvEdit::InputType() const {
  return FloatField() ? TAdvEditType::etFloat : EditType();
}

bool TDBAdvEdit::Inserting() const {
  return FDataLink->DataSet() && FDataLink->DataSet()->State() == dsInsert;
}

bool TDBAdvEdit::EditCanModify() { return !DataSource() || FDataLink->Edit(); }

// --- The link's events ---------------------------------------------------------------------------

void TDBAdvEdit::DataChange(TObject*) {
  if (FEditingByKey) return;
  TField* field = Field();
  const bool inserting = Inserting();
  const bool clearing = ClearOnInsert && inserting && FOldState != dsInsert;
  if (field && !clearing) {
    switch (field->Alignment()) {
      case taLeftJustify: SetEditAlign(TEditAlign::eaLeft); break;
      case taRightJustify: SetEditAlign(TEditAlign::eaRight); break;
      case taCenter: SetEditAlign(TEditAlign::eaCenter); break;
    }
    switch (EditType()) {
      case TAdvEditType::etNumeric:
        if (FloatField())
          SetText(field->AsString().empty() ? String() : FloatToStr(field->AsFloat()));
        else
          SetIntValue(field->AsString().empty() ? 0 : field->AsInteger());
        break;
      case TAdvEditType::etFloat:
      case TAdvEditType::etMoney:
        SetFloatValue(field->AsString().empty() ? 0 : field->AsFloat());
        break;
      case TAdvEditType::etPassword:
      case TAdvEditType::etRange:
      case TAdvEditType::etHex:
      case TAdvEditType::etValidChars: SetText(field->AsString()); break;
      default:
        if (IsTextType(EditType()) && IsStringField(field) && MaxLength() == 0)
          SetMaxLength(field->Size());
        SetText(field->DisplayText());
        break;
    }
    SetModifiedState(false);
  }
  if (clearing) {
    TAdvEditType type = EditType();
    bool number = type == TAdvEditType::etNumeric || type == TAdvEditType::etFloat ||
                  type == TAdvEditType::etMoney;
    SetText(number ? u"0" : u"");
  }
  FOldState = FDataLink->DataSet() ? FDataLink->DataSet()->State() : dsInactive;
}

// Typed values of a new record are written too: only showing a new record clears the edit.
void TDBAdvEdit::UpdateData(TObject*) {
  TField* field = Field();
  if (!field) return;
  if (FloatField()) {
    field->SetAsFloat(FloatValue());
    return;
  }
  switch (EditType()) {
    case TAdvEditType::etNumeric: field->SetAsInteger(IntValue()); break;
    case TAdvEditType::etFloat:
    case TAdvEditType::etMoney: field->SetAsFloat(FloatValue()); break;
    default: field->SetText(Text()); break;
  }
}

void TDBAdvEdit::ActiveChange(TObject*) {
  TDataSet* dataSet = FDataLink->DataSet();
  if (!dataSet || !dataSet->Active() || !DataSource()->Enabled()) SetText(String());
}

// --- Keys ----------------------------------------------------------------------------------------

void TDBAdvEdit::KeyDown(WORD& key, TShiftState shift) {
  if (!DataSource()) {
    TAdvEdit::KeyDown(key, shift);
    return;
  }
  bool shiftInsert = key == VK_INSERT && shift.Contains(ssShift);
  if ((key == VK_DELETE || key == VK_BACK || shiftInsert) && !EditCanModify()) {
    key = 0;
    return;
  }
  if (key == VK_DELETE && FDataLink->ReadOnly()) {
    key = 0;
    return;
  }
  bool editAfter = key == VK_DELETE || shiftInsert;
  TAdvEdit::KeyDown(key, shift);
  if (editAfter) FDataLink->Edit();
}

void TDBAdvEdit::KeyPress(char16_t& key) {
  if (!DataSource()) {
    TAdvEdit::KeyPress(key);
    return;
  }
  bool passes = (key == u'\r' && ReturnIsTab) || key == kCtrlC;
  if (!passes && !EditCanModify()) {
    key = 0;
    return;
  }
  TField* field = Field();
  bool rejected = IsPrintable(key) && field && !field->IsValidChar(key) && key != u'.' &&
                  key != u',';
  if (rejected || FDataLink->ReadOnly()) {
    MessageBeep(0);
    key = 0;
    return;
  }
  if (key == u'\b' || key == kCtrlV || key == kCtrlX || IsPrintable(key)) FDataLink->Edit();
  if (key == VK_ESCAPE) {
    FDataLink->Reset();
    SelectValue();
    key = 0;
    return;
  }
  TAdvEdit::KeyPress(key);
}

void TDBAdvEdit::Change() {
  FDataLink->Modified();
  TAdvEdit::Change();
}

void TDBAdvEdit::Dispatch(TMessage& message) {
  if (!DataSource()) {
    if (message.Msg == CM_GETDATALINK) {
      message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
      return;
    }
    TAdvEdit::Dispatch(message);
    return;
  }
  switch (message.Msg) {
    case CM_GETDATALINK: message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
    case WM_CHAR: {
      char16_t ch = static_cast<char16_t>(message.CharCode());
      TField* field = Field();
      if (IsPrintable(ch) && field && !field->IsValidChar(ch) && ch != u'.' && ch != u',') {
        message.Result = 1;
        return;
      }
      bool passes = (ch == u'\r' && ReturnIsTab) || ch == kCtrlC;
      if (!passes) {
        FEditingByKey = true;
        bool canModify = false;
        try {
          canModify = EditCanModify();
        } catch (...) {
          FEditingByKey = false;
          throw;
        }
        FEditingByKey = false;
        if (!canModify) {
          // A key the dataset cannot take: printable ones are answered with a beep.
          if (IsPrintable(ch)) MessageBeep(0);
          message.Result = 1;
          return;
        }
      }
      TAdvEdit::Dispatch(message);
      return;
    }
    case WM_CUT:
      if (FDataLink->Edit()) TAdvEdit::Dispatch(message);
      return;
    case WM_PASTE:
      if (!FDataLink->ReadOnly() && FDataLink->Edit()) TAdvEdit::Dispatch(message);
      return;
    case WM_UNDO:
      FDataLink->Edit();
      TAdvEdit::Dispatch(message);
      return;
    case WM_CLEAR:
      if (FDataLink->Edit()) TAdvEdit::Dispatch(message);
      return;
    default: TAdvEdit::Dispatch(message); return;
  }
}

// --- Focus ---------------------------------------------------------------------------------------

void TDBAdvEdit::DoEnter() {
  if (!FEntered) {
    FEntered = true;
    FDataLink->Reset();
  }
  TAdvEdit::DoEnter();
  if (FDataLink->CanModify()) TCustomEdit::SetReadOnly(false);
}

// The value reaches the field once the edit has formatted it; a field that refuses it keeps the
// focus here and the error is shown.
void TDBAdvEdit::ExitAfterFormatting() {
  if (!FDataLink->ReadOnly()) {
    try {
      FDataLink->UpdateRecord();
    } catch (const Exception&) {
      // Shown from inside the handler, where the error is still the current one.
      TAdvEdit::ExitAfterFormatting();
      SelectValue();
      if (CanFocus()) SetFocus();
      Application->HandleException(this);
      return;
    }
  }
  TAdvEdit::ExitAfterFormatting();
}
