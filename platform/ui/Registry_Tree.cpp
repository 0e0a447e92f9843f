// The registry's tree in memory: keys with ordered subkeys and values, names matched without case.
#include <algorithm>
#include <utility>

#include "platform/rtl/TextCompare.h"
#include "platform/ui/Registry_Store.h"

namespace {

const char16_t* const kRootNames[] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER",
                                      u"HKEY_LOCAL_MACHINE", u"HKEY_USERS", u"HKEY_CURRENT_CONFIG"};

}  // namespace

String RegistryNameKey(const String& name) { return AnsiUpperCase(name); }

TBytes RegistryStringData(const String& text) {
  TBytes data;
  data.reserve(text.size() * 2 + 2);
  for (char16_t unit : text) {
    data.push_back(static_cast<uint8_t>(unit & 0xFF));
    data.push_back(static_cast<uint8_t>(unit >> 8));
  }
  data.push_back(0);
  data.push_back(0);
  return data;
}

String RegistryDataString(const TBytes& data) {
  String text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) break;
    text += unit;
  }
  return text;
}

TRegKeyNode* TRegKeyNode::FindSubKey(const String& name) {
  return const_cast<TRegKeyNode*>(std::as_const(*this).FindSubKey(name));
}

const TRegKeyNode* TRegKeyNode::FindSubKey(const String& name) const {
  const String key = RegistryNameKey(name);
  auto it = std::lower_bound(SubKeys.begin(), SubKeys.end(), key,
                             [](const TRegKeyNode& node, const String& k) { return node.Key < k; });
  return it != SubKeys.end() && it->Key == key ? &*it : nullptr;
}

TRegKeyNode* TRegKeyNode::AddSubKey(const String& name) {
  const String key = RegistryNameKey(name);
  auto it = std::lower_bound(SubKeys.begin(), SubKeys.end(), key,
                             [](const TRegKeyNode& node, const String& k) { return node.Key < k; });
  if (it != SubKeys.end() && it->Key == key) return &*it;
  TRegKeyNode node;
  node.Name = name;
  node.Key = key;
  return &*SubKeys.insert(it, std::move(node));
}

bool TRegKeyNode::DeleteSubKey(const String& name) {
  const String key = RegistryNameKey(name);
  auto it = std::find_if(SubKeys.begin(), SubKeys.end(),
                         [&](const TRegKeyNode& node) { return node.Key == key; });
  if (it == SubKeys.end()) return false;
  SubKeys.erase(it);
  return true;
}

const TRegValueData* TRegKeyNode::FindValue(const String& name) const {
  const String key = RegistryNameKey(name);
  for (const TRegValueData& value : Values)
    if (value.Key == key) return &value;
  return nullptr;
}

void TRegKeyNode::SetValue(const String& name, uint32_t type, TBytes data) {
  const String key = RegistryNameKey(name);
  for (TRegValueData& value : Values) {
    if (value.Key == key) {
      value.Type = type;
      value.Data = std::move(data);
      return;
    }
  }
  Values.push_back(TRegValueData{name, key, type, std::move(data)});
}

bool TRegKeyNode::DeleteValue(const String& name) {
  const String key = RegistryNameKey(name);
  return std::erase_if(Values, [&](const TRegValueData& value) { return value.Key == key; }) > 0;
}

TRegTree::TRegTree() {
  for (const char16_t* name : kRootNames) {
    TRegKeyNode root;
    root.Name = name;
    root.Key = name;
    FRoots.push_back(std::move(root));
  }
}

bool TRegTree::IsRootName(const String& name) {
  return std::any_of(std::begin(kRootNames), std::end(kRootNames),
                     [&](const char16_t* root) { return name == root; });
}

const TRegKeyNode* TRegTree::Find(const std::vector<String>& path) const {
  if (path.empty()) return nullptr;
  const TRegKeyNode* node = nullptr;
  for (const TRegKeyNode& root : FRoots)
    if (root.Name == path[0]) node = &root;
  for (size_t i = 1; node && i < path.size(); ++i) node = node->FindSubKey(path[i]);
  return node;
}

TRegKeyNode* TRegTree::Find(const std::vector<String>& path) {
  return const_cast<TRegKeyNode*>(std::as_const(*this).Find(path));
}

TRegKeyNode* TRegTree::Create(const std::vector<String>& path) {
  if (path.empty()) return nullptr;
  TRegKeyNode* node = nullptr;
  for (TRegKeyNode& root : FRoots)
    if (root.Name == path[0]) node = &root;
  for (size_t i = 1; node && i < path.size(); ++i) node = node->AddSubKey(path[i]);
  return node;
}

bool TRegTree::Delete(const std::vector<String>& path) {
  if (path.size() < 2) return false;
  TRegKeyNode* parent = Find(std::vector<String>(path.begin(), path.end() - 1));
  return parent && parent->DeleteSubKey(path.back());
}
