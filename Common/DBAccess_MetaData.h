// The metadata component: a read-only dataset over the catalogue of the server. The user names a
// kind (tables, columns, indexes, procedures ...) and restrictions (NAME=value lines); opening asks
// the connection's metadata provider and shows the store it answers, which stays the provider's.
#pragma once

#include <memory>

#include "Common/LxAccess_MetaData.h"
#include "Common/MemDS.h"

class TCustomDAConnection;
class TDATransaction;
class TStringList;
class TStrings;

class TDAMetaData : public TMemDataSet {
 public:
  explicit TDAMetaData(TComponent* owner);
  ~TDAMetaData() override;

  TCustomDAConnection* Connection() const { return FConnection; }
  // Another connection closes the dataset first.
  void SetConnection(TCustomDAConnection* value);
  virtual TDATransaction* GetTransaction() { return FTransaction; }
  virtual void SetTransaction(TDATransaction* value);
  // The transaction the questions run in: the component's own where the connection runs several
  // at once, else the connection's.
  virtual TDATransaction* EffectiveTransaction();

  const String& MetaDataKind() const { return FMetaDataKind; }
  // A different kind closes the dataset.
  void SetMetaDataKind(const String& value);
  // Changing the lines closes the dataset.
  TStrings* Restrictions() const;
  void SetRestrictions(TStrings* value);

  // The provider object of the last opening (none before the first).
  TLxMetaData* IMetaData() const { return FIMetaData.get(); }

 protected:
  virtual void AcquireConnection();
  virtual void ReleaseConnection();
  void OpenCursor(bool infoQuery) override;
  void InternalOpen() override;
  void CloseCursor() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void ConnectChange(TObject* sender, bool connecting);
  bool Reading() const;
  void CheckIMetaData();
  // The shown store belongs to the provider: the dataset lets go of it without freeing it.
  void DropData();

  TCustomDAConnection* FConnection = nullptr;
  TDATransaction* FTransaction = nullptr;
  String FMetaDataKind;
  std::unique_ptr<TStringList> FRestrictions;
  std::unique_ptr<TLxMetaData> FIMetaData;
  TData* FShownData = nullptr;
};
