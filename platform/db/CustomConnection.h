// TCustomConnection: the base of connection components. It keeps the connected state through
// DoConnect and DoDisconnect (which a descendant supplies), runs the connect and disconnect
// events, and tells its registered clients (datasets and commands) when it connects or
// disconnects.
#pragma once

#include <functional>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"

class TDataSet;
class TStrings;

// Told to a registered client when the connection connects (true) or disconnects (false).
using TConnectChangeEvent = std::function<void(TObject* sender, bool connecting)>;
using TLoginEvent = std::function<void(TObject* sender, TStrings* loginParams)>;

class TCustomConnection : public TComponent {
 public:
  explicit TCustomConnection(TComponent* owner);
  ~TCustomConnection() override;

  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }
  bool Connected() { return GetConnected(); }
  // While the component is loading, remembers a connect request and connects in Loaded().
  virtual void SetConnected(bool value);
  bool LoginPrompt() const { return FLoginPrompt; }
  void SetLoginPrompt(bool value) { FLoginPrompt = value; }

  // The registered clients that are datasets.
  TDataSet* DataSets(int index) { return GetDataSet(index); }
  int DataSetCount() { return GetDataSetCount(); }

  // Adds a client (once); its event hears of every connect and disconnect. A dataset client also
  // gets a deConnectChange data event.
  virtual void RegisterClient(TObject* client, TConnectChangeEvent event = nullptr);
  virtual void UnRegisterClient(TObject* client);
  int ClientCount() const { return static_cast<int>(FClients.size()); }
  TObject* Clients(int index) const { return FClients[index].Client; }

  TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
  TLoginEvent OnLogin;

 protected:
  virtual void DoConnect() {}
  virtual void DoDisconnect() {}
  virtual bool GetConnected() { return false; }
  virtual TDataSet* GetDataSet(int index);
  virtual int GetDataSetCount();
  // Tells every client, in registration order, that the connection connects or disconnects.
  void SendConnectEvent(bool connecting);
  void Loaded() override;
  bool StreamedConnected() const { return FStreamedConnected; }

 private:
  struct TClient {
    TObject* Client;
    TConnectChangeEvent Event;
  };
  std::vector<TClient> FClients;
  bool FLoginPrompt = false;
  bool FStreamedConnected = false;
};
