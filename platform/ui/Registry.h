// The registry: a tree of keys holding named, typed values under a few roots, and the classes
// that read and write it (TRegistry), that use it like an INI file (TRegIniFile, which is a
// TRegistry, and TRegistryIniFile, which is a TCustomIniFile).
//
// On this platform the tree is one text file of the program's own, the registry store, in the
// user's configuration folder: $XDG_CONFIG_HOME (or $HOME/.config when that is not set), then
// "association-records/registry/store". Every object finds the folder when it is made, so a test
// points the registry elsewhere by setting XDG_CONFIG_HOME first. Every change is a read-modify-
// write of the whole store under an exclusive lock of the folder's "lock" file, and the store is
// replaced atomically (written, synced, renamed), so two processes never lose each other's changes
// and a crash never leaves half a store. A store that cannot be read back (damaged or truncated)
// raises ERegistryStoreDamaged on every use and is never written over; SetAsideDamagedStore moves
// it aside so that the program can start again with an empty registry. Its format is described in
// Registry_Store.h. No Office colour-scheme keys exist here.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/SyncObjs.h"
#include "platform/rtl/Types.h"
#include "platform/ui/IniFiles.h"

class TStrings;
class TRegistryStore;
class TRegistryWatch;

// A key: one of the predefined roots below, or what TRegistry::CurrentKey answers (a token of that
// object, valid while its key is open).
struct TRegistryKeyTag;
using HKEY = TRegistryKeyTag*;

// The predefined roots, with the system's (sign-extended) numbers.
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<intptr_t>(INT32_MIN));
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<intptr_t>(INT32_MIN + 1));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<intptr_t>(INT32_MIN + 2));
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(static_cast<intptr_t>(INT32_MIN + 3));
inline HKEY const HKEY_CURRENT_CONFIG =
    reinterpret_cast<HKEY>(static_cast<intptr_t>(INT32_MIN + 5));

// Access rights of an open key. Reading values needs KEY_QUERY_VALUE, writing and deleting values
// KEY_SET_VALUE, listing subkeys KEY_ENUMERATE_SUB_KEYS, change notification KEY_NOTIFY.
inline constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr uint32_t KEY_NOTIFY = 0x0010;
inline constexpr uint32_t KEY_CREATE_LINK = 0x0020;
inline constexpr uint32_t KEY_READ = 0x20019;
inline constexpr uint32_t KEY_WRITE = 0x20006;
inline constexpr uint32_t KEY_EXECUTE = KEY_READ;
inline constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

// Value types as the store keeps them.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_MULTI_SZ = 7;
inline constexpr uint32_t REG_QWORD = 11;

// What a change notification watches for.
inline constexpr uint32_t REG_NOTIFY_CHANGE_NAME = 0x1;        // subkeys added or deleted
inline constexpr uint32_t REG_NOTIFY_CHANGE_ATTRIBUTES = 0x2;  // (keys have no attributes here)
inline constexpr uint32_t REG_NOTIFY_CHANGE_LAST_SET = 0x4;    // values added, changed or deleted
inline constexpr uint32_t REG_NOTIFY_CHANGE_SECURITY = 0x8;    // (keys have no security here)

// Result codes of NotifyChangeKeyValue, with the system's numbers.
inline constexpr int32_t ERROR_SUCCESS = 0;
inline constexpr int32_t ERROR_ACCESS_DENIED = 5;
inline constexpr int32_t ERROR_INVALID_HANDLE = 6;
inline constexpr int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr int32_t ERROR_KEY_DELETED = 1018;
inline constexpr int32_t ERROR_REGISTRY_IO_FAILED = 1016;

// Failures of TRegistry: "Failed to get data for '%s'", "Failed to set data for '%s'",
// "Invalid data type for '%s'", "Failed to create key %s".
DECLARE_EXCEPTION(ERegistryException, Exception)
// The store cannot be read back; the message names the file and what is wrong with it.
DECLARE_EXCEPTION(ERegistryStoreDamaged, ERegistryException)

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  int32_t DataSize = 0;
};

// Key paths are separated by "\". A path that starts with "\" is absolute (from RootKey); any other
// is relative to the open key, or to RootKey when none is open. Names of keys and values match
// whatever their case. Operations that answer a Boolean answer false when the key or value is not
// there; the Read functions raise ERegistryException as described with each.
class TRegistry : public TObject {
 public:
  // Root HKEY_CURRENT_USER, access KEY_ALL_ACCESS.
  TRegistry();
  explicit TRegistry(uint32_t access);
  ~TRegistry() override;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key when the root changes.
  void SetRootKey(HKEY value);
  // The rights that OpenKey asks for; OpenKeyReadOnly sets KEY_READ.
  uint32_t Access() const { return FAccess; }
  void SetAccess(uint32_t value) { FAccess = value; }
  // Accepted for compatibility: every change reaches the store at once.
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool value) { FLazyWrite = value; }
  // The open key (nullptr when none) and its path below the root, without a leading "\".
  HKEY CurrentKey() const;
  const String& CurrentPath() const { return FCurrentPath; }

  // Opens the key, creating it (and the keys above it) when canCreate is set. The opened key
  // replaces the open one.
  bool OpenKey(const String& key, bool canCreate);
  // Opens an existing key with KEY_READ, which Access then holds: writing through it fails.
  bool OpenKeyReadOnly(const String& key);
  // Creates the key (and the keys above it) without opening it; an existing key is fine.
  // ERegistryException "Failed to create key %s" when it cannot be made.
  bool CreateKey(const String& key);
  // Deletes the key with all its subkeys and values.
  bool DeleteKey(const String& key);
  bool KeyExists(const String& key);
  void CloseKey();
  bool HasSubKeys();
  // The names of the open key's subkeys or values; the list is emptied first.
  void GetKeyNames(TStrings* strings);
  void GetValueNames(TStrings* strings);

  bool ValueExists(const String& name);
  bool DeleteValue(const String& name);
  bool GetDataInfo(const String& name, TRegDataInfo& info);
  // The value's type; rdUnknown when it does not exist.
  TRegDataType GetDataType(const String& name);
  // The size of the value's data in bytes (a string counts UTF-16 code units with the terminating
  // zero, as the system does); -1 when it does not exist.
  int32_t GetDataSize(const String& name);

  // A missing value reads as an empty string; a value of another type raises "Invalid data type".
  String ReadString(const String& name);
  // A missing value raises "Failed to get data for '%s'"; a value that is no 32-bit integer
  // raises "Invalid data type for '%s'".
  int32_t ReadInteger(const String& name);
  bool ReadBool(const String& name);
  // Eight bytes of binary data; "Failed to get data" when missing, "Invalid data type" otherwise.
  double ReadFloat(const String& name);
  TDateTime ReadDate(const String& name);
  TDateTime ReadDateTime(const String& name);
  TDateTime ReadTime(const String& name);
  // Copies binary (or untyped) data into the buffer and returns its size; 0 when the value does
  // not exist. "Invalid data type" for other types or when the buffer is too small.
  int32_t ReadBinaryData(const String& name, void* buffer, int32_t bufSize);

  // Writes fail with "Failed to set data for '%s'" when no key is open, the key was opened without
  // KEY_SET_VALUE, it has been deleted, or the store cannot be written.
  void WriteString(const String& name, const String& value);
  void WriteExpandString(const String& name, const String& value);
  void WriteInteger(const String& name, int32_t value);
  void WriteBool(const String& name, bool value);
  void WriteFloat(const String& name, double value);
  void WriteDate(const String& name, TDateTime value);
  void WriteDateTime(const String& name, TDateTime value);
  void WriteTime(const String& name, TDateTime value);
  void WriteBinaryData(const String& name, const void* buffer, int32_t bufSize);

  // Asks for one notification of a change of the open key (and its subkeys with watchSubtree):
  // the event is set when a value (REG_NOTIFY_CHANGE_LAST_SET) or a subkey
  // (REG_NOTIFY_CHANGE_NAME) changes, whichever object or process changed it, and when the key is
  // deleted or closed. Asynchronous, the call returns at once; otherwise it returns when the change
  // has happened. After the event fires, ask again for the next change. Returns ERROR_SUCCESS, or
  // ERROR_INVALID_HANDLE (no open key), ERROR_ACCESS_DENIED (no KEY_NOTIFY),
  // ERROR_INVALID_PARAMETER (no filter, or no event while asynchronous), ERROR_KEY_DELETED,
  // ERROR_REGISTRY_IO_FAILED. The event must outlive the open key.
  int32_t NotifyChangeKeyValue(bool watchSubtree, uint32_t notifyFilter, TEvent* event,
                               bool asynchronous);
  // Waits up to timeout milliseconds for a change of the open key's values or subkeys (the whole
  // subtree): wrSignaled when one happened, wrTimeout when none did, wrError when the key cannot be
  // watched.
  TWaitResult WaitForChange(uint32_t timeout, bool watchSubtree = true,
                            uint32_t notifyFilter = REG_NOTIFY_CHANGE_NAME |
                                                    REG_NOTIFY_CHANGE_LAST_SET);

  // The file that holds the tree this object uses.
  String StoreFileName() const;
  // Moves a damaged store aside (to "store.damaged-" and the date and time) and returns the new
  // name; an intact or missing store is left alone and the answer is empty.
  String SetAsideDamagedStore();

 protected:
  // The full path (below the root) that a key argument names, and in named the number of names
  // the argument itself holds; false when it is malformed.
  bool ResolveKey(const String& key, std::vector<String>& path, String& displayPath,
                  size_t* named = nullptr) const;
  // Makes the path (below the root) the open key for a moment, for the INI classes; the previous
  // key comes back with RestoreKey.
  struct TSavedKey {
    bool Open;
    std::vector<String> Path;
    String DisplayPath;
    uint32_t Access;
  };
  TSavedKey SwitchKey(const std::vector<String>& path);
  void RestoreKey(TSavedKey saved);
  bool KeyPathExists(const std::vector<String>& path);
  // Creates the key at the path (below the root) and those above it; false when the store cannot
  // be written.
  bool CreateKeyPath(const std::vector<String>& path);
  // A value as INI text: strings as they are, 32-bit integers in decimal, other data as
  // upper-case hexadecimal bytes; empty when the value is missing.
  String ReadValueAsText(const String& name);

 private:
  struct TValue;
  bool ReadValue(const String& name, TValue& value);
  void WriteValue(const String& name, uint32_t type, const TBytes& data);
  // Reads a value into a buffer of bufSize bytes as the system does: "Failed to get data" when it
  // is missing or larger than the buffer.
  TBytes GetData(const String& name, int32_t bufSize, TRegDataType& type);
  double ReadEightBytes(const String& name);
  void ChangeKey(std::vector<String> path, String displayPath, uint32_t access);
  void CancelWatches();
  std::vector<String> FullPath(const std::vector<String>& path) const;

  std::unique_ptr<TRegistryStore> FStore;
  HKEY FRootKey;
  uint32_t FAccess;
  bool FLazyWrite = true;
  bool FOpen = false;
  std::vector<String> FCurrent;  // the open key's path below the root
  String FCurrentPath;
  uint32_t FCurrentAccess = 0;
  std::vector<std::unique_ptr<TRegistryWatch>> FWatches;
};

// The registry used like an INI file: the object opens (creating it) the key named by fileName
// below HKEY_CURRENT_USER; a section is a subkey of it (an empty section is the key itself) and an
// entry a value. Integers are kept as text.
class TRegIniFile : public TRegistry {
 public:
  explicit TRegIniFile(const String& fileName);
  TRegIniFile(const String& fileName, uint32_t access);

  const String& FileName() const { return FFileName; }

  using TRegistry::DeleteKey;
  using TRegistry::ReadBool;
  using TRegistry::ReadInteger;
  using TRegistry::ReadString;
  using TRegistry::WriteBool;
  using TRegistry::WriteInteger;
  using TRegistry::WriteString;

  String ReadString(const String& section, const String& ident, const String& def);
  // Text that is no integer gives the default (an integer value is read as it is).
  int32_t ReadInteger(const String& section, const String& ident, int32_t def);
  bool ReadBool(const String& section, const String& ident, bool def);
  // Creates the section's key when it is missing.
  void WriteString(const String& section, const String& ident, const String& value);
  void WriteInteger(const String& section, const String& ident, int32_t value);
  void WriteBool(const String& section, const String& ident, bool value);
  void ReadSection(const String& section, TStrings* strings);
  void ReadSections(TStrings* strings);
  void ReadSectionValues(const String& section, TStrings* strings);
  void EraseSection(const String& section);
  void DeleteKey(const String& section, const String& ident);

 protected:
  // Runs the action with the section's key as the open key; false (and no action) when the key
  // does not exist.
  template <class TAction>
  bool InSection(const String& section, TAction action);
  // The same after creating the section's key when it is missing ("Failed to create key %s").
  template <class TAction>
  void InNewSection(const String& section, TAction action);
  // The section's key: below the open key, or below the key named by the file name when none is
  // open. False when the name is malformed.
  bool SectionPath(const String& section, std::vector<String>& path) const;

  friend class TRegistryIniFile;

 private:
  String FFileName;
};

// TCustomIniFile over TRegIniFile. Integers are kept as 32-bit integer values, dates, times and
// floats as eight bytes of binary data, streams as binary data; reading accepts text as well.
// Changes reach the store at once, so UpdateFile has nothing to do.
class TRegistryIniFile : public TCustomIniFile {
 public:
  explicit TRegistryIniFile(const String& fileName);
  TRegistryIniFile(const String& fileName, uint32_t access);
  ~TRegistryIniFile() override;

  TRegIniFile* RegIniFile() const { return FRegIniFile.get(); }

  bool SectionExists(const String& section) override;
  bool ValueExists(const String& section, const String& ident) override;
  String ReadString(const String& section, const String& ident, const String& def) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  int32_t ReadInteger(const String& section, const String& ident, int32_t def) override;
  void WriteInteger(const String& section, const String& ident, int32_t value) override;
  double ReadFloat(const String& section, const String& ident, double def) override;
  TDateTime ReadDate(const String& section, const String& ident, TDateTime def) override;
  TDateTime ReadDateTime(const String& section, const String& ident, TDateTime def) override;
  TDateTime ReadTime(const String& section, const String& ident, TDateTime def) override;
  void WriteFloat(const String& section, const String& ident, double value) override;
  void WriteDate(const String& section, const String& ident, TDateTime value) override;
  void WriteDateTime(const String& section, const String& ident, TDateTime value) override;
  void WriteTime(const String& section, const String& ident, TDateTime value) override;
  int32_t ReadBinaryStream(const String& section, const String& ident, TStream* value) override;
  void WriteBinaryStream(const String& section, const String& ident, TStream* value) override;
  void ReadSection(const String& section, TStrings* strings) override;
  void ReadSections(TStrings* strings) override;
  // Values as text: strings as they are, integers in decimal, binary data in hexadecimal.
  void ReadSectionValues(const String& section, TStrings* strings) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  void UpdateFile() override {}

 private:
  // The type and size of the section's value; false when it is missing.
  bool ValueInfo(const String& section, const String& ident, TRegDataInfo& info);
  // A value written as text is read as the INI classes read text; a binary one through the
  // registry's own reader.
  template <class T, class FromText>
  T ReadTyped(const String& section, const String& ident, T def, FromText fromText,
              T (TRegistry::*fromRegistry)(const String&));

  std::unique_ptr<TRegIniFile> FRegIniFile;
};
