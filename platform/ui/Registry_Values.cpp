// TRegistry: reading and writing the values of the open key, with the system's data layouts
// (strings in UTF-16 with a terminating zero, 32-bit integers and doubles in little-endian order).
#include <cstring>

#include "platform/rtl/Format.h"
#include "platform/rtl/NumberText.h"
#include "platform/ui/IniFiles_Text.h"
#include "platform/ui/Registry.h"
#include "platform/ui/Registry_Store.h"

struct TRegistry::TValue {
  uint32_t Type = REG_NONE;
  TBytes Data;
};

namespace {

TRegDataType DataTypeToRegData(uint32_t type) {
  switch (type) {
    case REG_SZ:
      return rdString;
    case REG_EXPAND_SZ:
      return rdExpandString;
    case REG_DWORD:
      return rdInteger;
    case REG_BINARY:
      return rdBinary;
    default:
      return rdUnknown;
  }
}

[[noreturn]] void GetDataFailed(const String& name) {
  throw ERegistryException(Format(u"Failed to get data for '%s'", {name}));
}

[[noreturn]] void SetDataFailed(const String& name) {
  throw ERegistryException(Format(u"Failed to set data for '%s'", {name}));
}

[[noreturn]] void InvalidType(const String& name) {
  throw ERegistryException(Format(u"Invalid data type for '%s'", {name}));
}

TBytes DoubleBytes(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  TBytes data(8);
  for (int i = 0; i < 8; ++i) data[i] = static_cast<uint8_t>(bits >> (8 * i));
  return data;
}

}  // namespace

bool TRegistry::ReadValue(const String& name, TValue& value) {
  if (!FOpen || !(FCurrentAccess & KEY_QUERY_VALUE)) return false;
  TRegTree tree;
  FStore->Load(tree);
  const TRegKeyNode* node = tree.Find(FullPath(FCurrent));
  const TRegValueData* found = node ? node->FindValue(name) : nullptr;
  if (!found) return false;
  value.Type = found->Type;
  value.Data = found->Data;
  return true;
}

void TRegistry::WriteValue(const String& name, uint32_t type, const TBytes& data) {
  if (!FOpen || !(FCurrentAccess & KEY_SET_VALUE)) SetDataFailed(name);
  const std::vector<String> full = FullPath(FCurrent);
  bool keyFound = false;
  bool written = FStore->Change([&](TRegTree& tree) {
    TRegKeyNode* node = tree.Find(full);
    keyFound = node != nullptr;
    if (node) node->SetValue(name, type, data);
    return keyFound;
  });
  if (!written || !keyFound) SetDataFailed(name);
}

bool TRegistry::GetDataInfo(const String& name, TRegDataInfo& info) {
  TValue value;
  info = TRegDataInfo();
  if (!ReadValue(name, value)) return false;
  info.RegData = DataTypeToRegData(value.Type);
  info.DataSize = static_cast<int32_t>(value.Data.size());
  return true;
}

TRegDataType TRegistry::GetDataType(const String& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : rdUnknown;
}

int32_t TRegistry::GetDataSize(const String& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

bool TRegistry::ValueExists(const String& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

bool TRegistry::DeleteValue(const String& name) {
  if (!FOpen || !(FCurrentAccess & KEY_SET_VALUE)) return false;
  const std::vector<String> full = FullPath(FCurrent);
  bool deleted = false;
  bool written = FStore->Change([&](TRegTree& tree) {
    TRegKeyNode* node = tree.Find(full);
    deleted = node && node->DeleteValue(name);
    return deleted;
  });
  return written && deleted;
}

TBytes TRegistry::GetData(const String& name, int32_t bufSize, TRegDataType& type) {
  TValue value;
  if (!ReadValue(name, value) || value.Data.size() > static_cast<size_t>(bufSize))
    GetDataFailed(name);
  type = DataTypeToRegData(value.Type);
  return value.Data;
}

String TRegistry::ReadString(const String& name) {
  TValue value;
  if (!ReadValue(name, value) || value.Data.empty()) return String();
  TRegDataType type = DataTypeToRegData(value.Type);
  if (type != rdString && type != rdExpandString) InvalidType(name);
  return RegistryDataString(value.Data);
}

String TRegistry::ReadValueAsText(const String& name) {
  TValue value;
  if (!ReadValue(name, value)) return String();
  switch (DataTypeToRegData(value.Type)) {
    case rdString:
    case rdExpandString:
      return RegistryDataString(value.Data);
    case rdInteger:
      if (value.Data.size() <= 4) {
        uint32_t number = 0;
        for (size_t i = 0; i < value.Data.size(); ++i)
          number |= static_cast<uint32_t>(value.Data[i]) << (8 * i);
        return IntToStr(static_cast<int32_t>(number));
      }
      break;
    default:
      break;
  }
  return TIniText::HexText(value.Data);
}

int32_t TRegistry::ReadInteger(const String& name) {
  TRegDataType type;
  TBytes data = GetData(name, 4, type);
  if (type != rdInteger) InvalidType(name);
  uint32_t number = 0;
  for (size_t i = 0; i < data.size(); ++i) number |= static_cast<uint32_t>(data[i]) << (8 * i);
  return static_cast<int32_t>(number);
}

bool TRegistry::ReadBool(const String& name) { return ReadInteger(name) != 0; }

double TRegistry::ReadEightBytes(const String& name) {
  TRegDataType type;
  TBytes data = GetData(name, 8, type);
  if (type != rdBinary || data.size() != 8) InvalidType(name);
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(data[i]) << (8 * i);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

double TRegistry::ReadFloat(const String& name) { return ReadEightBytes(name); }
TDateTime TRegistry::ReadDate(const String& name) { return ReadEightBytes(name); }
TDateTime TRegistry::ReadDateTime(const String& name) { return ReadEightBytes(name); }
TDateTime TRegistry::ReadTime(const String& name) { return ReadEightBytes(name); }

int32_t TRegistry::ReadBinaryData(const String& name, void* buffer, int32_t bufSize) {
  TValue value;
  if (!ReadValue(name, value)) return 0;
  TRegDataType type = DataTypeToRegData(value.Type);
  const auto size = static_cast<int32_t>(value.Data.size());
  if ((type != rdBinary && type != rdUnknown) || size > bufSize) InvalidType(name);
  if (size > 0) std::memcpy(buffer, value.Data.data(), value.Data.size());
  return size;
}

void TRegistry::WriteString(const String& name, const String& value) {
  WriteValue(name, REG_SZ, RegistryStringData(value));
}

void TRegistry::WriteExpandString(const String& name, const String& value) {
  WriteValue(name, REG_EXPAND_SZ, RegistryStringData(value));
}

void TRegistry::WriteInteger(const String& name, int32_t value) {
  auto bits = static_cast<uint32_t>(value);
  WriteValue(name, REG_DWORD,
             {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
              static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)});
}

void TRegistry::WriteBool(const String& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteFloat(const String& name, double value) {
  WriteValue(name, REG_BINARY, DoubleBytes(value));
}

void TRegistry::WriteDate(const String& name, TDateTime value) { WriteFloat(name, value); }
void TRegistry::WriteDateTime(const String& name, TDateTime value) { WriteFloat(name, value); }
void TRegistry::WriteTime(const String& name, TDateTime value) { WriteFloat(name, value); }

void TRegistry::WriteBinaryData(const String& name, const void* buffer, int32_t bufSize) {
  if (bufSize < 0) SetDataFailed(name);
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  WriteValue(name, REG_BINARY, TBytes(bytes, bytes + bufSize));
}
