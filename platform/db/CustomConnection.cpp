#include "platform/db/CustomConnection.h"

#include <algorithm>

#include "platform/db/DataSet.h"

TCustomConnection::TCustomConnection(TComponent* owner) : TComponent(owner) {}

TCustomConnection::~TCustomConnection() = default;

void TCustomConnection::SetConnected(bool value) {
  if (value && (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading))) {
    FStreamedConnected = true;
    return;
  }
  if (value == GetConnected()) return;
  if (value) {
    if (BeforeConnect) BeforeConnect(this);
    DoConnect();
    SendConnectEvent(true);
    if (AfterConnect) AfterConnect(this);
  } else {
    if (BeforeDisconnect) BeforeDisconnect(this);
    SendConnectEvent(false);
    DoDisconnect();
    if (AfterDisconnect) AfterDisconnect(this);
  }
}

void TCustomConnection::Loaded() {
  TComponent::Loaded();
  if (FStreamedConnected) {
    FStreamedConnected = false;
    SetConnected(true);
  }
}

void TCustomConnection::RegisterClient(TObject* client, TConnectChangeEvent event) {
  auto it = std::find_if(FClients.begin(), FClients.end(),
                         [client](const TClient& c) { return c.Client == client; });
  if (it != FClients.end()) {
    it->Event = std::move(event);
    return;
  }
  FClients.push_back({client, std::move(event)});
}

void TCustomConnection::UnRegisterClient(TObject* client) {
  FClients.erase(std::remove_if(FClients.begin(), FClients.end(),
                                [client](const TClient& c) { return c.Client == client; }),
                 FClients.end());
}

void TCustomConnection::SendConnectEvent(bool connecting) {
  // A client may unregister (or close and reopen) while it hears the news: walk a copy and skip
  // those that left meanwhile.
  const std::vector<TClient> clients = FClients;
  for (const TClient& client : clients) {
    bool present = std::any_of(FClients.begin(), FClients.end(),
                               [&](const TClient& c) { return c.Client == client.Client; });
    if (!present) continue;
    if (client.Event) client.Event(this, connecting);
    if (auto* dataSet = dynamic_cast<TDataSet*>(client.Client))
      dataSet->DataEvent(deConnectChange, connecting ? 1 : 0);
  }
}

TDataSet* TCustomConnection::GetDataSet(int index) {
  int found = 0;
  for (const TClient& client : FClients) {
    if (auto* dataSet = dynamic_cast<TDataSet*>(client.Client)) {
      if (found++ == index) return dataSet;
    }
  }
  return nullptr;
}

int TCustomConnection::GetDataSetCount() {
  int count = 0;
  for (const TClient& client : FClients) {
    if (dynamic_cast<TDataSet*>(client.Client)) ++count;
  }
  return count;
}
