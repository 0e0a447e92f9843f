// The embedded-server call table: starting and ending the server, its arguments and its guard.
#include "MySql/MySqlApiEmbedded.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ProgramPaths.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// A file the server writes its error log into while it starts; what a failed start wrote is the
// only account of why. The file goes away with this object, so the log never stays on disk.
class TStartupLog {
 public:
  TStartupLog() {
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/embedded-server-XXXXXX.err";
    int fd = mkstemps(path.data(), 4);
    if (fd >= 0) {
      close(fd);
      FPath = path;
    }
  }
  ~TStartupLog() {
    if (!FPath.empty()) unlink(FPath.c_str());
  }
  TStartupLog(const TStartupLog&) = delete;
  TStartupLog& operator=(const TStartupLog&) = delete;

  const std::string& Path() const { return FPath; }
  String Text() const {
    if (FPath.empty()) return String();
    std::ifstream in(FPath, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Trim(UTF8ToString(text));
  }

 private:
  std::string FPath;
};

// Zero-terminated copies of the texts and the vector of pointers to them, nil-terminated.
struct TArgVector {
  std::vector<std::string> Texts;
  std::vector<char*> Pointers;
  char** Build() {
    Pointers.clear();
    for (std::string& text : Texts) Pointers.push_back(text.data());
    Pointers.push_back(nullptr);
    return Pointers.data();
  }
};

std::string FileNameOnly(const String& path) {
  AnsiString name = UTF8Encode(path);
  size_t slash = name.rfind('/');
  return slash == AnsiString::npos ? name : name.substr(slash + 1);
}

}  // namespace

void DropCommentLines(TStrings& lines) {
  for (int i = lines.Count() - 1; i >= 0; --i) {
    String line = Trim(lines.Strings(i));
    if (line.empty() || line[0] == u'#') lines.Delete(i);
  }
}

String EmbeddedDataFolder(const TStrings& params) {
  String folder = params.Values(u"--datadir");
  if (folder.empty()) {
    String base = params.Values(u"--basedir");
    if (base.empty()) return String();
    if (base.back() != u'/') base += u'/';
    folder = base + u"data";
  }
  std::filesystem::path full = std::filesystem::absolute(UTF8Encode(folder));
  return UTF8ToString(full.lexically_normal().string());
}

TMySQLAPIEmbedded::TMySQLAPIEmbedded(AnsiString libraryName)
    : TMySQLAPIClient(std::move(libraryName)), FServerParams(new TStringList()) {}

TMySQLAPIEmbedded::~TMySQLAPIEmbedded() {
  FUserCount = 0;
  Unload();
}

String TMySQLAPIEmbedded::NotLinkedMessage() const {
  return u"MySQL API function is not linked. You should update MySQL Embedded Server library (" +
         UTF8ToString(LibraryName()) + u").";
}

void TMySQLAPIEmbedded::SetServerParams(TStrings* params) { FServerParams->Assign(params); }

void TMySQLAPIEmbedded::Load() {
  // Comment and blank lines are dropped before the comparison, so that a connection whose list
  // holds them finds the server it started itself running.
  DropCommentLines(*FServerParams);
  String params = FServerParams->Text();
  if (params != FRunningParams) {
    if (FUserCount > 0) throw Exception(SSecondEmbeddedServer);
    Unload();
  }
  if (IsLoaded()) {
    ++FUserCount;
    return;
  }
  TMySQLAPIClient::Load();
  if (!IsLoaded()) return;  // Initialize reports why
  // The server library calls its own client functions through their exported names; a client
  // library the program is linked with would take those calls over, and the server would crash
  // on the first statement.
  if (TDynamicLibrary::GlobalSymbol("mysql_real_query")) {
    TMySQLAPIClient::Unload();
    throw Exception(SEmbeddedBesideClient);
  }
  ++FUserCount;
  try {
    StartServer();
  } catch (...) {
    Unload();
    throw;
  }
  FRunningParams = params;
}

void TMySQLAPIEmbedded::StartServer() {
  String folder = EmbeddedDataFolder(*FServerParams);
  if (!folder.empty()) {
    RTL_ASSERT(!FDataFolderMutex, u"A data-folder guard is left from an earlier start");
    FDataFolderMutex = std::make_unique<TMutex>(folder, DataFolderTimeout);
    try {
      FDataFolderMutex->Acquire();
    } catch (const EOSError&) {
      FDataFolderMutex.reset();
      throw Exception(SSecondEmbeddedServer);
    }
  }

  TStartupLog log;
  TArgVector args;
  args.Texts.push_back("ignored");
  for (int i = 0; i < FServerParams->Count(); ++i)
    args.Texts.push_back(UTF8Encode(FServerParams->Strings(i)));
  if (!log.Path().empty()) args.Texts.push_back("--log-error=" + log.Path());
  TArgVector groups;
  groups.Texts = {"embedded", "server", FileNameOnly(ProgramFileName())};

  int argc = static_cast<int>(args.Texts.size());
  char** argv = args.Build();
  int result = mysql_server_init(argc, argv, groups.Build());
  FServerStarted = true;
  if (result != 0) {
    String message = SServerInitFailed;
    String details = log.Text();
    if (!details.empty()) message += u"\r\n" + details;
    throw Exception(message);
  }
}

void TMySQLAPIEmbedded::Unload() {
  if (IsLoaded()) {
    if (FUserCount >= 1) --FUserCount;
    if (FUserCount > 0) return;
  }
  if (FServerStarted) {
    FServerStarted = false;
    mysql_server_end();
    if (FDataFolderMutex) FDataFolderMutex->Release();
  }
  FDataFolderMutex.reset();
  FRunningParams.clear();
  TMySQLAPIClient::Unload();
}

// The embedded library numbers itself after the server (10.x) and lays its structures out as the
// 5.x clients do.
void TMySQLAPIEmbedded::Initialize() {
  Load();
  if (!IsLoaded()) {
    TMySQLAPIClient::Initialize();  // reports the failed load
    return;
  }
  FClientVer = mysql_get_client_info();
  FClientStructVer = 4;
}

TMySQLAPIEmbedded& MySQLAPIEmbedded() {
  static TMySQLAPIEmbedded instance;
  return instance;
}
