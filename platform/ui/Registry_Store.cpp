// The registry store file: where it lives, reading it, and changing it under the folder's lock.
#include "platform/ui/Registry_Store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/rtl/Format.h"
#include "platform/rtl/ProgramPaths.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/IniFiles_File.h"
#include "platform/ui/Registry.h"

namespace {

const char kLockName[] = "lock";

// Holds the folder's lock file, exclusively, for one read-modify-write. Separate from the store
// because the store itself is replaced by a new file on every write.
class TStoreLock {
 public:
  bool Acquire(const std::string& path) {
    FHandle = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (FHandle < 0) return false;
    while (::flock(FHandle, LOCK_EX) != 0) {
      if (errno != EINTR) return false;
    }
    return true;
  }
  ~TStoreLock() {
    if (FHandle >= 0) ::close(FHandle);  // closing releases the lock
  }

 private:
  int FHandle = -1;
};

String DamagedMessage(const std::string& fileName, const String& problem) {
  return Format(u"The registry store %s is damaged (%s); it has been left as it is",
                {UTF8ToString(fileName), problem});
}

// Temporary files of writers that died before renaming them; only the lock holder may remove them.
void RemoveLeftovers(const std::string& folder) {
  const std::string prefix = settingsfile::TemporaryPrefix(kRegistryStoreName);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name.rfind(prefix, 0) == 0) ::unlink((folder + "/" + name).c_str());
  }
  ::closedir(dir);
}

std::string DamagedName(const std::string& storeFile) {
  time_t now = ::time(nullptr);
  struct tm local;
  ::localtime_r(&now, &local);
  char stamp[32];
  ::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string base = storeFile + ".damaged-" + stamp;
  std::string name = base;
  struct stat info;
  for (int n = 2; ::lstat(name.c_str(), &info) == 0; ++n) name = base + "-" + std::to_string(n);
  return name;
}

}  // namespace

std::string TRegistryStore::DefaultFolder() {
  std::string folder = ConfigFolder();
  return folder.empty() ? folder : folder + "/registry";
}

std::string TRegistryStore::FileName() const {
  return FFolder.empty() ? std::string() : FFolder + "/" + kRegistryStoreName;
}

bool TRegistryStore::EnsureFolder() const {
  if (FFolder.empty()) return false;
  for (size_t slash = 1; slash != std::string::npos;) {
    slash = FFolder.find('/', slash + 1);
    std::string part = FFolder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info;
  return ::stat(FFolder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void TRegistryStore::Load(TRegTree& tree) const {
  tree = TRegTree();
  if (FFolder.empty()) return;
  std::string bytes;
  int error = 0;
  switch (settingsfile::ReadWholeFile(FileName(), bytes, error)) {
    case settingsfile::TReadResult::Missing:
      return;
    case settingsfile::TReadResult::Failed:
      throw ERegistryException(
          Format(u"Cannot read the registry store %s. %s",
                 {UTF8ToString(FileName()), settingsfile::SystemErrorText(error)}));
    case settingsfile::TReadResult::Read:
      break;
  }
  String problem;
  if (!ParseRegistryStore(bytes, tree, problem))
    throw ERegistryStoreDamaged(DamagedMessage(FileName(), problem));
}

bool TRegistryStore::Change(const std::function<bool(TRegTree& tree)>& change) {
  if (!EnsureFolder()) return false;
  TStoreLock lock;
  if (!lock.Acquire(FFolder + "/" + kLockName)) return false;
  RemoveLeftovers(FFolder);
  TRegTree tree;
  Load(tree);
  if (!change(tree)) return true;
  int error = 0;
  return settingsfile::ReplaceFile(FileName(), FormatRegistryStore(tree), 0600, error,
                                   BeforeReplace);
}

std::string TRegistryStore::SetAsideDamaged() {
  if (FFolder.empty()) return std::string();
  TStoreLock lock;
  if (!EnsureFolder() || !lock.Acquire(FFolder + "/" + kLockName)) return std::string();
  std::string bytes;
  int error = 0;
  if (settingsfile::ReadWholeFile(FileName(), bytes, error) != settingsfile::TReadResult::Read)
    return std::string();
  TRegTree tree;
  String problem;
  if (ParseRegistryStore(bytes, tree, problem)) return std::string();
  std::string aside = DamagedName(FileName());
  if (::rename(FileName().c_str(), aside.c_str()) != 0) return std::string();
  return aside;
}
