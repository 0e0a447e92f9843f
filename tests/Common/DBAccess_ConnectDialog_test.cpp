// The login dialog's settings over the registry in a temporary configuration folder, with the
// dialog shown by a test hook: the server history, the remembered login, what a cancelled login
// gives back, the captions of each language, and the login step of connecting.
#include "Common/DBAccess_ConnectDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/DBAccess.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Registry.h"
#include "tests/Common/FakeProviderConnection.h"
#include "tests/platform/ui/SettingsTestSupport.h"

namespace {

class TTestConnection : public TCustomDAConnection {
 public:
  explicit TTestConnection(TComponent* owner = nullptr) : TCustomDAConnection(owner) {}
  TFakeProviderConnection<>* Fake() const {
    return static_cast<TFakeProviderConnection<>*>(IConnection());
  }

 protected:
  void CreateIConnection() override {
    SetIConnection(std::make_unique<TFakeProviderConnection<>>());
  }
};

// The product's dialog: it keeps its settings under a key of its own.
class TTestDialog : public TCustomConnectDialog {
 public:
  using TCustomConnectDialog::TCustomConnectDialog;
  String GetKeyBase() override { return u"Software\\Assoc\\"; }
};

String TestApplicationName() { return u"records"; }

// What the shown dialog does: the user's answer and the text typed into it.
struct TUser {
  bool Confirm = false;
  String Username, Password, Server;
  bool Typed = false;
  int Shown = 0;
  std::vector<String> ServersOffered;

  // The user types the login and confirms or cancels.
  void Types(bool confirm, const String& username, const String& password, const String& server) {
    Confirm = confirm;
    Username = username;
    Password = password;
    Server = server;
    Typed = true;
  }
};
TUser* CurrentUser = nullptr;

bool ShowDialog(TCustomConnectDialog* dialog) {
  ++CurrentUser->Shown;
  TStringList servers;
  dialog->GetServerList(&servers);
  for (int i = 0; i < servers.Count(); ++i)
    CurrentUser->ServersOffered.push_back(servers.Strings(i));
  if (CurrentUser->Typed) {
    dialog->Connection()->SetUsername(CurrentUser->Username);
    dialog->Connection()->SetPassword(CurrentUser->Password);
    dialog->Connection()->SetServer(CurrentUser->Server);
  }
  return CurrentUser->Confirm;
}

class ConnectDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CurrentUser = &User;
    ConnectDialogHook = &ShowDialog;
    ApplicationNameProc = &TestApplicationName;
  }
  void TearDown() override {
    ConnectDialogHook = nullptr;
    ApplicationNameProc = nullptr;
    CurrentUser = nullptr;
  }

  void StoreValues(const String& key, std::vector<std::pair<String, String>> values) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(key, true));
    for (auto& [name, value] : values) registry.WriteString(name, value);
  }
  // The string values of a key in name order, "name=value"; "<no key>" when it is missing.
  std::vector<std::string> Values(const String& key) {
    TRegistry registry;
    if (!registry.OpenKey(key, false)) return {"<no key>"};
    TStringList names;
    registry.GetValueNames(&names);
    names.Sort();
    std::vector<std::string> out;
    for (int i = 0; i < names.Count(); ++i)
      out.push_back(UTF8Encode(names.Strings(i) + u"=" + registry.ReadString(names.Strings(i))));
    return out;
  }

  TTempFolder Temp;
  TEnvGuard Config{"XDG_CONFIG_HOME", Temp.Path()};
  TUser User;
  TTestConnection Conn;
  TTestDialog Dialog{nullptr};
};

TEST_F(ConnectDialogTest, ServerHistoryPutsTheServerFirstAndDropsItsOtherSpellings) {
  struct Case {
    const char* name;
    std::vector<String> stored;
    String server;
    std::vector<std::string> saved;
  };
  const Case cases[] = {
      {"equal without case", {u"A", u"B"}, u"b", {"Server 1=b", "Server 2=A"}},
      {"new server", {u"A", u"B"}, u"c", {"Server 1=c", "Server 2=A", "Server 3=B"}},
      {"no history", {}, u"db.local", {"Server 1=db.local"}},
      {"shrinks", {u"X", u"x", u"Y"}, u"X", {"Server 1=X", "Server 2=Y"}},
      {"empty server writes nothing", {u"A"}, u"", {"Server 1=A"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      TRegistry registry;
      registry.DeleteKey(u"Software\\Assoc\\Connect");
    }
    std::vector<std::pair<String, String>> values;
    for (size_t i = 0; i < c.stored.size(); ++i)
      values.push_back({u"Server " + UTF8ToString(std::to_string(i + 1)), c.stored[i]});
    StoreValues(u"Software\\Assoc\\Connect", values);
    Conn.SetServer(c.server);
    Dialog.SetConnection(&Conn);
    Dialog.SaveServerList();
    EXPECT_EQ(Values(u"Software\\Assoc\\Connect"), c.saved);
  }
}

TEST_F(ConnectDialogTest, ConfirmedLoginConnectsAndRemembersUserAndServer) {
  StoreValues(u"Software\\Assoc\\Connect", {{u"Server 1", u"old.host"}});
  Conn.SetConnectDialog(&Dialog);
  EXPECT_EQ(Dialog.Connection(), &Conn);
  User.Types(true, u"ana", u"secret", u"new.host");
  Conn.SetConnected(true);
  EXPECT_TRUE(Conn.Connected());
  EXPECT_EQ(Conn.ConnectCount(), 1);
  EXPECT_EQ(User.Shown, 1);
  EXPECT_EQ(User.ServersOffered, std::vector<String>{u"old.host"});
  EXPECT_EQ(Values(u"Software\\Assoc\\Connect"),
            (std::vector<std::string>{"Server 1=new.host", "Server 2=old.host"}));
  EXPECT_EQ(Values(u"Software\\Assoc\\Connect\\records"),
            (std::vector<std::string>{"Server=new.host", "Username=ana"}))
      << "the password is never stored";
}

TEST_F(ConnectDialogTest, CancelledLoginRestoresTheConnectionAndWritesNothing) {
  StoreValues(u"Software\\Assoc\\Connect\\records", {{u"Username", u"bob"}, {u"Server", u"s2"}});
  Conn.SetUsername(u"ana");
  Conn.SetPassword(u"pw");
  Conn.SetServer(u"s1");
  Conn.SetConnectDialog(&Dialog);
  User.Types(false, u"eve", u"x", u"s3");
  EXPECT_THROW(Conn.SetConnected(true), EAbort);
  EXPECT_FALSE(Conn.Connected());
  EXPECT_EQ(Conn.ConnectCount(), 0);
  EXPECT_EQ(UTF8Encode(Conn.Username() + u"/" + Conn.Password() + u"/" + Conn.Server()),
            "ana/pw/s1");
  EXPECT_EQ(Values(u"Software\\Assoc\\Connect"), std::vector<std::string>{})
      << "only the login key existed";
  EXPECT_EQ(Values(u"Software\\Assoc\\Connect\\records"),
            (std::vector<std::string>{"Server=s2", "Username=bob"}));
}

TEST_F(ConnectDialogTest, StoredLoginIsOfferedAndThePasswordKeptOnlyWhenAsked) {
  struct Case {
    const char* name;
    bool savePassword;
    String storedUser;
    std::string passwordShown;
  };
  const Case cases[] = {
      {"not saved", false, u"ana", ""},
      {"saved, same user in other case", true, u"ANA", "pw"},
      {"saved, other user", true, u"bob", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StoreValues(u"Software\\Assoc\\Connect\\records",
                {{u"Username", c.storedUser}, {u"Server", u"stored.host"}});
    Conn.SetUsername(u"ana");
    Conn.SetPassword(u"pw");
    Conn.SetServer(u"s1");
    Dialog.SetConnection(&Conn);
    Dialog.SetSavePassword(c.savePassword);
    ConnectDialogHook = [](TCustomConnectDialog* dialog) {
      CurrentUser->Username = dialog->Connection()->Username();
      CurrentUser->Password = dialog->Connection()->Password();
      CurrentUser->Server = dialog->Connection()->Server();
      return false;
    };
    EXPECT_FALSE(Dialog.Execute());
    EXPECT_EQ(User.Username, c.storedUser);
    EXPECT_EQ(User.Server, u"stored.host");
    EXPECT_EQ(UTF8Encode(User.Password), c.passwordShown);
  }
}

TEST_F(ConnectDialogTest, MissingKeysAreSkippedAndNoHookCancels) {
  Dialog.SetConnection(&Conn);
  Conn.SetServer(u"s1");
  TStringList servers;
  servers.Add(u"untouched");
  Dialog.LoadServerList(&servers);
  EXPECT_EQ(servers.Count(), 1) << "a missing history leaves the list as it is";

  ConnectDialogHook = nullptr;
  EXPECT_FALSE(Dialog.Execute());
  EXPECT_EQ(Values(u"Software\\Assoc\\Connect"), std::vector<std::string>{"<no key>"});
  EXPECT_FALSE(Conn.LoginDialogClass()) << "without a hook a connection shows no dialog";
  Conn.SetConnected(true);
  EXPECT_TRUE(Conn.Connected());
}

TEST_F(ConnectDialogTest, LoginWithoutStoredInfoTouchesNoRegistry) {
  Dialog.SetStoreLogInfo(false);
  Dialog.SetConnection(&Conn);
  User.Types(true, u"ana", u"pw", u"h");
  EXPECT_TRUE(Dialog.Execute());
  EXPECT_TRUE(Conn.Connected());
  EXPECT_EQ(Conn.Password(), u"pw");
  EXPECT_EQ(Values(u"Software\\Assoc\\Connect"), std::vector<std::string>{"<no key>"});
}

TEST_F(ConnectDialogTest, FailedConnectAfterConfirmingRestoresAndWritesNothing) {
  Conn.SetServer(u"s1");
  // A first session without the dialog makes the provider connection that is then refused.
  ConnectDialogHook = nullptr;
  Conn.SetConnected(true);
  Conn.SetConnected(false);
  ConnectDialogHook = &ShowDialog;
  Conn.Fake()->ServerDown = true;
  Conn.SetConnectDialog(&Dialog);
  User.Types(true, u"ana", u"pw", u"down.host");
  EXPECT_THROW(Conn.SetConnected(true), Exception);
  EXPECT_FALSE(Conn.Connected());
  EXPECT_EQ(Conn.ConnectCount(), 0);
  EXPECT_EQ(Conn.Server(), u"s1");
  EXPECT_EQ(Values(u"Software\\Assoc\\Connect"), std::vector<std::string>{"<no key>"});
}

TEST_F(ConnectDialogTest, ExecuteNeedsAConnection) {
  try {
    Dialog.Execute();
    ADD_FAILURE() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(UTF8Encode(e.Message()), "Connection is not defined");
  }
}

TEST_F(ConnectDialogTest, DialogAndConnectionForgetEachOtherWhenOneGoes) {
  {
    TTestDialog dialog(nullptr);
    Conn.SetConnectDialog(&dialog);
  }
  EXPECT_EQ(Conn.ConnectDialog(), nullptr);
  {
    TTestConnection conn;
    conn.SetConnectDialog(&Dialog);
  }
  EXPECT_EQ(Dialog.Connection(), nullptr);
}

TEST(ConnectDialogLabels, EachLabelSetLoadsItsCaptions) {
  struct Case {
    uint8_t set;
    std::vector<std::string> captions;
  };
  const Case cases[] = {
      {1, {"Connect", "User Name", "Password", "Server", "Connect", "Cancel"}},
      {2, {"Ouverture de session", "Nom utilisateur", "Mot de passe", "Serveur", "Ok", "Annuler"}},
      {3, {"Anmeldung", "Benutzername", "Kennwort", "Host-Zeichenfolge", "Ok", "Abbrechen"}},
      {4, {"Connessione", "Nome Utente", "Parola d'ordine", "Stringa Conn.Host", "Ok", "Elimina"}},
      {5, {"Rejestracja", "Uiytkowhik", "Hasio", "Opis hosta", "Ok", "Anuluj"}},
      {6, {"Iniciar Sessão", "Nome do Usuário", "Senha", "Servidor", "Ok", "Cancelar"}},
      {7, {"Соединение", "Имя", "Пароль", "Сервер", "Соединить", "Отмена"}},
      {8, {"Conectar", "Usuario", "Clave", "Cadena Conexiyn", "Ok", "Cancelar"}},
      {9, {"Connect", "User Name", "Password", "Server", "Connect", "Cancel"}},
  };
  for (const Case& c : cases) {
    TTestDialog dialog(nullptr);
    dialog.SetLabelSet(c.set);
    EXPECT_EQ((std::vector<std::string>{
                  UTF8Encode(dialog.Caption()), UTF8Encode(dialog.UsernameLabel()),
                  UTF8Encode(dialog.PasswordLabel()), UTF8Encode(dialog.ServerLabel()),
                  UTF8Encode(dialog.ConnectButton()), UTF8Encode(dialog.CancelButton())}),
              c.captions)
        << int(c.set);
  }
  TTestDialog custom(nullptr);
  EXPECT_EQ(custom.LabelSet(), 1);
  custom.SetCaption(u"Вход");
  custom.SetLabelSet(0);
  EXPECT_EQ(custom.Caption(), u"Вход") << "the custom set keeps the captions";
}

TEST(ServerEnumerator, BaseListsNothingAndKnowsNoProperty) {
  TLxServerEnumerator enumerator;
  TStringList list;
  list.Add(u"stale");
  enumerator.GetServerList(&list);
  EXPECT_EQ(list.Count(), 0);
  Variant value;
  try {
    enumerator.GetProp(1017, value);
    ADD_FAILURE() << "no assertion";
  } catch (const Exception& e) {
    EXPECT_NE(UTF8Encode(e.Message()).find("1017"), std::string::npos) << UTF8Encode(e.Message());
  }
}

}  // namespace
