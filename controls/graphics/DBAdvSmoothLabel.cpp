#include "controls/graphics/DBAdvSmoothLabel.h"

#include "platform/db/Fields.h"

TDBAdvSmoothLabel::TDBAdvSmoothLabel(TComponent* owner)
    : TAdvSmoothLabel(owner), FDataLink(std::make_unique<TFieldDataLink>()) {
  TControlStyle style = ControlStyle();
  style << csReplicatable;
  SetControlStyle(style);
  SetAutoSize(false);
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* sender) { DataChange(sender); };
  FDataLink->OnUpdateData = [this](TObject* sender) { UpdateData(sender); };
}

TDBAdvSmoothLabel::~TDBAdvSmoothLabel() {
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  if (DataSource()) DataSource()->RemoveFreeNotification(this);
  FDataLink->SetDataSource(nullptr);
}

void TDBAdvSmoothLabel::SetDataSource(TDataSource* value) {
  if (FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)) return;
  if (DataSource()) DataSource()->RemoveFreeNotification(this);
  FDataLink->SetDataSource(value);
  if (value) value->FreeNotification(this);
}

void TDBAdvSmoothLabel::Notification(TComponent* component, TOperation operation) {
  TAdvSmoothLabel::Notification(component, operation);
  if (operation == opRemove && FDataLink && component == DataSource()) SetDataSource(nullptr);
}

String TDBAdvSmoothLabel::FieldText() const {
  TField* field = FDataLink->Field();
  return field ? field->DisplayText() : String();
}

void TDBAdvSmoothLabel::DataChange(TObject*) { Caption()->SetText(FieldText()); }

// Only reached when the link was marked modified, which the label never does itself.
void TDBAdvSmoothLabel::UpdateData(TObject*) {
  if (TField* field = FDataLink->Field()) field->SetText(Caption()->Text());
}

void TDBAdvSmoothLabel::Dispatch(TMessage& message) {
  if (message.Msg == CM_GETDATALINK) {
    message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
    return;
  }
  TAdvSmoothLabel::Dispatch(message);
}
