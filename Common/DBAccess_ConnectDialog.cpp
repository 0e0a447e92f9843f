// The login dialog's settings, the remembered login and the server history in the registry.
#include "Common/DBAccess_ConnectDialog.h"

#include <utility>
#include <vector>

#include "Common/DBAccess.h"
#include "Common/MemData_Types.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"
#include "platform/ui/Registry.h"

TConnectDialogProc ConnectDialogHook = nullptr;
TConnectDialogClassProc DefConnectDialogClassHook = nullptr;

namespace {

// Read and write access to a key without creating it on reading.
constexpr uint32_t KeyReadWrite = 0x2001F;
constexpr size_t MaxCaption = 50;

// The program's string table entries of the dialog: per language a block of six captions
// (dialog, user name, password, server, connect, cancel) at its base.
struct TStringBlock {
  int Base;
  const char16_t* Texts[6];
};

constexpr TStringBlock StringTable[] = {
    {0, {u"Соединение", u"Имя", u"Пароль", u"Сервер", u"Соединить", u"Отмена"}},
    {100, {u"Connect", u"User Name", u"Password", u"Server", u"Connect", u"Cancel"}},
    {200,
     {u"Ouverture de session", u"Nom utilisateur", u"Mot de passe", u"Serveur", u"Ok",
      u"Annuler"}},
    {300,
     {u"Anmeldung", u"Benutzername", u"Kennwort", u"Host-Zeichenfolge", u"Ok", u"Abbrechen"}},
    {400,
     {u"Connessione", u"Nome Utente", u"Parola d'ordine", u"Stringa Conn.Host", u"Ok",
      u"Elimina"}},
    {500, {u"Rejestracja", u"Uiytkowhik", u"Hasio", u"Opis hosta", u"Ok", u"Anuluj"}},
    {600,
     {u"Iniciar Sessão", u"Nome do Usuário", u"Senha", u"Servidor", u"Ok", u"Cancelar"}},
    {700, {u"Conectar", u"Usuario", u"Clave", u"Cadena Conexiyn", u"Ok", u"Cancelar"}},
};

// A string-table entry, cut to the dialog's caption length; empty when the id has none.
String LoadDialogString(int id) {
  for (const TStringBlock& block : StringTable)
    if (id >= block.Base && id < block.Base + 6)
      return String(block.Texts[id - block.Base]).substr(0, MaxCaption);
  return {};
}

int LabelSetBase(uint8_t labelSet) {
  switch (labelSet) {
    case 2: return 200;
    case 3: return 300;
    case 4: return 400;
    case 5: return 500;
    case 6: return 600;
    case 7: return 0;
    case 8: return 700;
    default: return 100;
  }
}

String ServerValue(const String& valueName, int counter) {
  return Format(u"%s %d", {valueName, counter});
}

}  // namespace

// ---- TLxServerEnumerator ----

bool TLxServerEnumerator::SetProp(int32_t prop, const Variant&) {
  RTL_ASSERT(false, IntToStr(prop));
  return false;
}

bool TLxServerEnumerator::GetProp(int32_t prop, Variant&) {
  RTL_ASSERT(false, IntToStr(prop));
  return false;
}

void TLxServerEnumerator::GetServerList(TStrings* list) { list->Clear(); }

// ---- TCustomConnectDialog ----

TCustomConnectDialog::TCustomConnectDialog(TComponent* owner) : TComponent(owner) {
  SetLabelSet(1);
}

TCustomConnectDialog::~TCustomConnectDialog() {
  if (FConnection && FConnection->ConnectDialog() == this) FConnection->SetConnectDialog(nullptr);
  SetConnection(nullptr);
  FServerEnumerator.reset();
}

void TCustomConnectDialog::SetConnection(TCustomDAConnection* value) {
  if (value == FConnection) return;
  if (FConnection) FConnection->RemoveFreeNotification(this);
  FConnection = value;
  if (FConnection) FConnection->FreeNotification(this);
}

void TCustomConnectDialog::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FConnection) FConnection = nullptr;
}

void TCustomConnectDialog::SetLabelSet(uint8_t value) {
  FLabelSet = value;
  if (value == 0) return;
  const int base = LabelSetBase(value);
  FCaption = LoadDialogString(base);
  FUsernameLabel = LoadDialogString(base + 1);
  FPasswordLabel = LoadDialogString(base + 2);
  FServerLabel = LoadDialogString(base + 3);
  FConnectButton = LoadDialogString(base + 4);
  FCancelButton = LoadDialogString(base + 5);
}

TLxServerEnumeratorClass TCustomConnectDialog::ServerEnumeratorClass() {
  RTL_ASSERT(false, SMustBeOverrided);
  return TLxServerEnumeratorClass::Of<TLxServerEnumerator>();
}

void TCustomConnectDialog::SetServerEnumerator(std::unique_ptr<TLxServerEnumerator> value) {
  if (value.get() == FServerEnumerator.get()) return;
  FServerEnumerator = std::move(value);
}

void TCustomConnectDialog::CheckServerEnumerator() {
  const TLxServerEnumeratorClass enumeratorClass = ServerEnumeratorClass();
  if (!FServerEnumerator || typeid(*FServerEnumerator) != *enumeratorClass.Type)
    SetServerEnumerator(enumeratorClass.Create());
}

// ---- Registry ----

String TCustomConnectDialog::GetServerListKey() { return GetKeyBase() + u"Connect"; }

String TCustomConnectDialog::GetLoginKey() {
  const String application = GetApplicationName();
  // Without an application name the login shares the history's key.
  if (application.empty()) return GetServerListKey();
  return GetServerListKey() + u"\\" + application;
}

void TCustomConnectDialog::LoadServerList(TStrings* list) {
  TRegistry registry(KeyReadWrite);
  if (!registry.OpenKey(GetServerListKey(), false)) return;
  list->Clear();
  const String valueName = GetServerValueName();
  for (int counter = 1;; ++counter) {
    const String name = ServerValue(valueName, counter);
    if (!registry.ValueExists(name)) break;
    list->Add(registry.ReadString(name));
  }
  registry.CloseKey();
}

void TCustomConnectDialog::SaveServerList() {
  const String server = FConnection->Server();
  if (server.empty()) return;
  TStringList stored;
  LoadServerList(&stored);
  TRegistry registry(KeyReadWrite);
  if (!registry.OpenKey(GetServerListKey(), true)) return;
  const String valueName = GetServerValueName();
  int counter = 1;
  registry.WriteString(ServerValue(valueName, counter), server);
  for (int i = 0; i < stored.Count(); ++i) {
    if (AnsiSameText(stored.Strings(i), server)) continue;
    registry.WriteString(ServerValue(valueName, ++counter), stored.Strings(i));
  }
  // A history that shrank must not end in an old entry, which would be read back.
  for (int old = counter + 1; old <= stored.Count(); ++old)
    registry.DeleteValue(ServerValue(valueName, old));
  registry.CloseKey();
}

void TCustomConnectDialog::SaveInfo(TRegistry& registry) {
  registry.WriteString(u"Username", FConnection->Username());
  registry.WriteString(u"Server", FConnection->Server());
}

void TCustomConnectDialog::LoadInfo(TRegistry& registry) {
  if (registry.ValueExists(u"Username")) FConnection->SetUsername(registry.ReadString(u"Username"));
  if (registry.ValueExists(u"Server")) FConnection->SetServer(registry.ReadString(u"Server"));
}

void TCustomConnectDialog::GetServerList(TStrings* list) {
  if (!FUseServerHistory) {
    CheckServerEnumerator();
    FServerEnumerator->GetServerList(list);
    if (list->Count() > 0) return;
  }
  LoadServerList(list);
}

// ---- The login ----

bool TCustomConnectDialog::Execute() {
  if (!FConnection) DatabaseError(u"Connection is not defined");
  TCustomDAConnection* connection = FConnection;
  const String username = connection->Username();
  const String password = connection->Password();
  const String server = connection->Server();
  bool confirmed = false;
  try {
    // This system has no design environment of its own: stored values always apply.
    if (FStoreLogInfo) {
      TRegistry registry(KeyReadWrite);
      if (registry.OpenKey(GetLoginKey(), false)) LoadInfo(registry);
      if (!FSavePassword || !AnsiSameText(connection->Username(), username))
        connection->SetPassword(String());
      registry.CloseKey();
    }
    confirmed = ConnectDialogHook && ConnectDialogHook(this);
    // A login counts as confirmed once the connection is made with what the user gave.
    if (confirmed) connection->PerformConnect(false);
    if (confirmed && FStoreLogInfo) {
      SaveServerList();
      TRegistry registry(KeyReadWrite);
      if (registry.OpenKey(GetLoginKey(), true)) SaveInfo(registry);
      registry.CloseKey();
    }
  } catch (...) {
    connection->SetUsername(username);
    connection->SetPassword(password);
    connection->SetServer(server);
    throw;
  }
  if (!confirmed) {
    connection->SetUsername(username);
    connection->SetPassword(password);
    connection->SetServer(server);
  }
  return confirmed;
}
