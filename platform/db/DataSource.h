// TDataSource: the component between a dataset and the data links of the controls that show it.
// It fans the dataset's events out to its links and follows the dataset's state.
#pragma once

#include <functional>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"

class TDataLink;
class TDataSet;
class TField;

using TDataChangeEvent = std::function<void(TObject* sender, TField* field)>;

class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* owner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return FDataSet; }
  // Raises "Circular datalinks are not allowed" when the dataset already shows this source
  // (directly or as its master).
  void SetDataSet(TDataSet* value);
  // Whether a link's Edit may put a browsing dataset into the edit state (default true).
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool value) { FAutoEdit = value; }
  // A disabled source looks inactive to its links.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  // The dataset's state as the links see it: dsInactive without an enabled open dataset.
  TDataSetState State() const { return FState; }
  // Edit of a browsing dataset when AutoEdit is on.
  void Edit();
  // Whether the dataset shows this source through its master links.
  bool IsLinkedTo(TDataSet* dataSet) const;
  int DataLinkCount() const { return static_cast<int>(FDataLinks.size()); }
  TDataLink* DataLinks(int index) const { return FDataLinks[index]; }

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;

  void AddDataLink(TDataLink* link);
  void RemoveDataLink(TDataLink* link);
  bool HasDataLink(const TDataLink* link) const;
  void DataEvent(TDataEvent event, intptr_t info);
  void NotifyDataLinks(TDataEvent event, intptr_t info);
  void UpdateState();
  void SetState(TDataSetState value);

  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FDataLinks;
  TDataSetState FState = dsInactive;
  bool FAutoEdit = true;
  bool FEnabled = true;
};
