// TRegistry: roots, key paths, opening, creating, deleting and listing keys, and change
// notification.
#include "platform/ui/Registry.h"

#include "platform/rtl/Format.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Registry_Store.h"
#include "platform/ui/Registry_Watch.h"

namespace {

// The longest key name the system accepts.
constexpr size_t kMaxKeyName = 255;

String RootName(HKEY root) {
  if (root == HKEY_CLASSES_ROOT) return u"HKEY_CLASSES_ROOT";
  if (root == HKEY_CURRENT_USER) return u"HKEY_CURRENT_USER";
  if (root == HKEY_LOCAL_MACHINE) return u"HKEY_LOCAL_MACHINE";
  if (root == HKEY_USERS) return u"HKEY_USERS";
  if (root == HKEY_CURRENT_CONFIG) return u"HKEY_CURRENT_CONFIG";
  return String();
}

String JoinPath(const std::vector<String>& parts) {
  String joined;
  for (const String& part : parts) {
    if (!joined.empty()) joined += u'\\';
    joined += part;
  }
  return joined;
}

}  // namespace

TRegistry::TRegistry() : TRegistry(KEY_ALL_ACCESS) {}

TRegistry::TRegistry(uint32_t access)
    : FStore(std::make_unique<TRegistryStore>(TRegistryStore::DefaultFolder())),
      FRootKey(HKEY_CURRENT_USER),
      FAccess(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY value) {
  if (value == FRootKey) return;
  CloseKey();
  FRootKey = value;
}

HKEY TRegistry::CurrentKey() const {
  return FOpen ? reinterpret_cast<HKEY>(const_cast<std::vector<String>*>(&FCurrent)) : nullptr;
}

std::vector<String> TRegistry::FullPath(const std::vector<String>& path) const {
  std::vector<String> full;
  full.reserve(path.size() + 1);
  full.push_back(RootName(FRootKey));
  full.insert(full.end(), path.begin(), path.end());
  return full;
}

bool TRegistry::ResolveKey(const String& key, std::vector<String>& path, String& displayPath,
                           size_t* named) const {
  if (RootName(FRootKey).empty()) return false;
  String rest = key;
  const bool relative = rest.empty() || rest[0] != u'\\';
  if (!relative) rest.erase(0, 1);
  if (!rest.empty() && rest.back() == u'\\') rest.pop_back();
  std::vector<String> parts;
  if (!rest.empty()) {
    size_t start = 0;
    for (;;) {
      size_t slash = rest.find(u'\\', start);
      String part = rest.substr(start, slash == String::npos ? String::npos : slash - start);
      if (part.empty() || part.size() > kMaxKeyName) return false;
      parts.push_back(std::move(part));
      if (slash == String::npos) break;
      start = slash + 1;
    }
  }
  if (named) *named = parts.size();
  const bool fromCurrent = relative && FOpen;
  path = fromCurrent ? FCurrent : std::vector<String>();
  path.insert(path.end(), parts.begin(), parts.end());
  displayPath = fromCurrent && !FCurrentPath.empty()
                    ? (parts.empty() ? FCurrentPath : FCurrentPath + u"\\" + JoinPath(parts))
                    : JoinPath(parts);
  return true;
}

bool TRegistry::KeyPathExists(const std::vector<String>& path) {
  TRegTree tree;
  FStore->Load(tree);
  return tree.Find(FullPath(path)) != nullptr;
}

bool TRegistry::CreateKeyPath(const std::vector<String>& path) {
  const std::vector<String> full = FullPath(path);
  return FStore->Change([&](TRegTree& tree) {
    bool existed = tree.Find(full) != nullptr;
    tree.Create(full);
    return !existed;
  });
}

void TRegistry::ChangeKey(std::vector<String> path, String displayPath, uint32_t access) {
  CloseKey();
  FOpen = true;
  FCurrent = std::move(path);
  FCurrentPath = std::move(displayPath);
  FCurrentAccess = access;
}

bool TRegistry::OpenKey(const String& key, bool canCreate) {
  std::vector<String> path;
  String display;
  size_t named = 0;
  if (!ResolveKey(key, path, display, &named)) return false;
  if (!canCreate || named == 0) {
    if (!KeyPathExists(path)) return false;
  } else if (!CreateKeyPath(path)) {
    return false;
  }
  ChangeKey(std::move(path), std::move(display), FAccess);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const String& key) {
  std::vector<String> path;
  String display;
  if (!ResolveKey(key, path, display) || !KeyPathExists(path)) return false;
  FAccess = KEY_READ;
  ChangeKey(std::move(path), std::move(display), KEY_READ);
  return true;
}

bool TRegistry::CreateKey(const String& key) {
  std::vector<String> path;
  String display;
  if (!ResolveKey(key, path, display) || !CreateKeyPath(path))
    throw ERegistryException(Format(u"Failed to create key %s", {key}));
  return true;
}

bool TRegistry::DeleteKey(const String& key) {
  std::vector<String> path;
  String display;
  if (!ResolveKey(key, path, display) || path.empty()) return false;
  const std::vector<String> full = FullPath(path);
  bool deleted = false;
  bool written = FStore->Change([&](TRegTree& tree) {
    deleted = tree.Delete(full);
    return deleted;
  });
  return written && deleted;
}

bool TRegistry::KeyExists(const String& key) {
  std::vector<String> path;
  String display;
  return ResolveKey(key, path, display) && KeyPathExists(path);
}

void TRegistry::CloseKey() {
  CancelWatches();
  FOpen = false;
  FCurrent.clear();
  FCurrentPath.clear();
  FCurrentAccess = 0;
}

bool TRegistry::HasSubKeys() {
  if (!FOpen) return false;
  TRegTree tree;
  FStore->Load(tree);
  const TRegKeyNode* node = tree.Find(FullPath(FCurrent));
  return node && !node->SubKeys.empty();
}

void TRegistry::GetKeyNames(TStrings* strings) {
  strings->Clear();
  if (!FOpen || !(FCurrentAccess & KEY_ENUMERATE_SUB_KEYS)) return;
  TRegTree tree;
  FStore->Load(tree);
  if (const TRegKeyNode* node = tree.Find(FullPath(FCurrent)))
    for (const TRegKeyNode& sub : node->SubKeys) strings->Add(sub.Name);
}

void TRegistry::GetValueNames(TStrings* strings) {
  strings->Clear();
  if (!FOpen || !(FCurrentAccess & KEY_QUERY_VALUE)) return;
  TRegTree tree;
  FStore->Load(tree);
  if (const TRegKeyNode* node = tree.Find(FullPath(FCurrent)))
    for (const TRegValueData& value : node->Values) strings->Add(value.Name);
}

TRegistry::TSavedKey TRegistry::SwitchKey(const std::vector<String>& path) {
  TSavedKey saved{FOpen, FCurrent, FCurrentPath, FCurrentAccess};
  FOpen = true;
  FCurrent = path;
  FCurrentPath = JoinPath(path);
  FCurrentAccess = FAccess;
  return saved;
}

void TRegistry::RestoreKey(TSavedKey saved) {
  FOpen = saved.Open;
  FCurrent = std::move(saved.Path);
  FCurrentPath = std::move(saved.DisplayPath);
  FCurrentAccess = saved.Access;
}

// ---- change notification ----

void TRegistry::CancelWatches() {
  for (auto& watch : FWatches) watch->Cancel(true);
  FWatches.clear();
}

int32_t TRegistry::NotifyChangeKeyValue(bool watchSubtree, uint32_t notifyFilter, TEvent* event,
                                        bool asynchronous) {
  if (!FOpen) return ERROR_INVALID_HANDLE;
  if (!(FCurrentAccess & KEY_NOTIFY)) return ERROR_ACCESS_DENIED;
  const uint32_t known = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES |
                         REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_SECURITY;
  if ((notifyFilter & known) == 0 || (notifyFilter & ~known) != 0) return ERROR_INVALID_PARAMETER;
  if (asynchronous && !event) return ERROR_INVALID_PARAMETER;
  // Watches that have fired are done with.
  std::erase_if(FWatches, [](const std::unique_ptr<TRegistryWatch>& w) { return w->Fired(); });
  TEvent done(true, false);
  auto watch = std::make_unique<TRegistryWatch>(FStore->Folder(), FullPath(FCurrent), watchSubtree,
                                                notifyFilter, asynchronous ? event : &done);
  int32_t result = watch->Start();
  if (result != ERROR_SUCCESS) return result;
  if (asynchronous) {
    FWatches.push_back(std::move(watch));
    return ERROR_SUCCESS;
  }
  done.WaitFor(INFINITE);
  return ERROR_SUCCESS;
}

TWaitResult TRegistry::WaitForChange(uint32_t timeout, bool watchSubtree, uint32_t notifyFilter) {
  TEvent changed(true, false);
  if (NotifyChangeKeyValue(watchSubtree, notifyFilter, &changed, true) != ERROR_SUCCESS)
    return wrError;
  TWaitResult result = changed.WaitFor(timeout);
  // The watch just added is the last one; it must stop before its event goes.
  FWatches.back()->Cancel(false);
  FWatches.pop_back();
  return result;
}

String TRegistry::StoreFileName() const { return UTF8ToString(FStore->FileName()); }

String TRegistry::SetAsideDamagedStore() { return UTF8ToString(FStore->SetAsideDamaged()); }
