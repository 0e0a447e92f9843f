// The settings of the login dialog a connection may show before it connects: the captions in one
// of eight languages, whether the login is remembered in the registry, the server history and the
// server enumerator. No window lives here: a process-wide hook shows the dialog and answers
// whether the user confirmed; nothing installs it by default, so a login then counts as
// cancelled.
#pragma once

#include <cstdint>
#include <memory>
#include <typeinfo>

#include "platform/rtl/Component.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

class TCustomConnectDialog;
class TCustomDAConnection;
class TRegistry;
class TStrings;

// Lists the servers a dialog offers. The base knows no servers and no properties.
class TLxServerEnumerator {
 public:
  TLxServerEnumerator() = default;
  virtual ~TLxServerEnumerator() = default;
  TLxServerEnumerator(const TLxServerEnumerator&) = delete;
  TLxServerEnumerator& operator=(const TLxServerEnumerator&) = delete;

  // The base fails an assertion naming the code.
  virtual bool SetProp(int32_t prop, const Variant& value);
  virtual bool GetProp(int32_t prop, Variant& value);
  // The base only empties the list.
  virtual void GetServerList(TStrings* list);
};

struct TLxServerEnumeratorClass {
  const std::type_info* Type = nullptr;
  std::unique_ptr<TLxServerEnumerator> (*Create)() = nullptr;

  template <class T>
  static TLxServerEnumeratorClass Of() {
    return {&typeid(T),
            []() -> std::unique_ptr<TLxServerEnumerator> { return std::make_unique<T>(); }};
  }
};

// A class reference to a dialog component; an empty one stands for none.
struct TConnectDialogClass {
  const std::type_info* Type = nullptr;
  std::unique_ptr<TCustomConnectDialog> (*Create)(TComponent* owner) = nullptr;

  explicit operator bool() const { return Create != nullptr; }
  template <class T>
  static TConnectDialogClass Of() {
    return {&typeid(T), [](TComponent* owner) -> std::unique_ptr<TCustomConnectDialog> {
              return std::make_unique<T>(owner);
            }};
  }
};

// Process-wide hooks, unset unless a program installs them: the one that shows the dialog and
// answers whether the user confirmed, and the one that names the dialog class a MySQL connection
// uses for its login.
using TConnectDialogProc = bool (*)(TCustomConnectDialog* dialog);
extern TConnectDialogProc ConnectDialogHook;
using TConnectDialogClassProc = TConnectDialogClass (*)();
extern TConnectDialogClassProc DefConnectDialogClassHook;

// Resource texts.
inline constexpr char16_t SMustBeOverrided[] = u"Must be overrided";
inline constexpr char16_t SCannotConnect[] = u"Cannot connect to database";

class TCustomConnectDialog : public TComponent {
 public:
  explicit TCustomConnectDialog(TComponent* owner);
  ~TCustomConnectDialog() override;

  TCustomDAConnection* Connection() const { return FConnection; }
  void SetConnection(TCustomDAConnection* value);

  // 0 keeps the captions as they are; 1..8 load the captions of a language (any other value
  // those of 1, English).
  uint8_t LabelSet() const { return FLabelSet; }
  virtual void SetLabelSet(uint8_t value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& value) { FCaption = value; }
  const String& UsernameLabel() const { return FUsernameLabel; }
  void SetUsernameLabel(const String& value) { FUsernameLabel = value; }
  const String& PasswordLabel() const { return FPasswordLabel; }
  void SetPasswordLabel(const String& value) { FPasswordLabel = value; }
  const String& ServerLabel() const { return FServerLabel; }
  void SetServerLabel(const String& value) { FServerLabel = value; }
  const String& ConnectButton() const { return FConnectButton; }
  void SetConnectButton(const String& value) { FConnectButton = value; }
  const String& CancelButton() const { return FCancelButton; }
  void SetCancelButton(const String& value) { FCancelButton = value; }

  bool SavePassword() const { return FSavePassword; }
  void SetSavePassword(bool value) { FSavePassword = value; }
  bool StoreLogInfo() const { return FStoreLogInfo; }
  void SetStoreLogInfo(bool value) { FStoreLogInfo = value; }
  bool UseServerHistory() const { return FUseServerHistory; }
  void SetUseServerHistory(bool value) { FUseServerHistory = value; }

  virtual TLxServerEnumeratorClass ServerEnumeratorClass();
  // A different enumerator replaces (and frees) the current one.
  virtual void SetServerEnumerator(std::unique_ptr<TLxServerEnumerator> value);
  TLxServerEnumerator* ServerEnumerator() const { return FServerEnumerator.get(); }
  // The dialog's own window class; none here.
  virtual TConnectDialogClass DefDialogClass() { return {}; }

  // Registry keys below the current user: the product's base (empty here), the server history
  // (base + "Connect") and the login of this application (base + "Connect\" + its name).
  virtual String GetKeyBase() { return {}; }
  virtual String GetServerValueName() { return u"Server"; }
  virtual String GetServerListKey();
  String GetLoginKey();
  // The history: the connection's server first, then the stored ones that differ from it
  // (without regard to case) in their old order. Nothing when the server is empty.
  virtual void SaveServerList();
  // The stored history ("Server 1", "Server 2", ... up to the first gap); the list is left as
  // it is when no history is stored.
  virtual void LoadServerList(TStrings* list);
  virtual void SaveInfo(TRegistry& registry);
  virtual void LoadInfo(TRegistry& registry);
  // The login: the hook shows the dialog; when the user confirms, the connection connects with
  // what was typed and the login is remembered. True for a confirmed login. A cancelled or failed
  // one gives the connection back its user name, password and server and writes nothing.
  virtual bool Execute();
  // The servers the dialog offers: the enumerator's when the history is off and it knows some,
  // else the history.
  virtual void GetServerList(TStrings* list);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void CheckServerEnumerator();

  TCustomDAConnection* FConnection = nullptr;
  uint8_t FLabelSet = 0;
  bool FSavePassword = false;
  bool FStoreLogInfo = true;
  bool FUseServerHistory = true;
  String FCaption;
  String FUsernameLabel;
  String FPasswordLabel;
  String FServerLabel;
  String FConnectButton;
  String FCancelButton;
  std::unique_ptr<TLxServerEnumerator> FServerEnumerator;
};
