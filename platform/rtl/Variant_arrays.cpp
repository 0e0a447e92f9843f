// Variant arrays: creation, bounds and element access.
#include "platform/rtl/VariantImpl.h"

using namespace variant_detail;

namespace {

// A limit on the element count, so that absurd bounds fail instead of exhausting memory.
constexpr size_t MaxElements = size_t{1} << 28;

[[noreturn]] void RaiseBadIndex() {
  throw EVariantBadIndexError(u"Variant or safe array index out of bounds");
}

[[noreturn]] void RaiseCreateError() {
  throw EVariantArrayCreateError(u"Error creating variant or safe array");
}

const VarArrayData& DataOf(const Variant& v) {
  if (!v.IsArray()) throw EVariantNotAnArrayError(u"Variant is not an array");
  return *std::get<std::shared_ptr<VarArrayData>>(VariantAccess::Value(v));
}

// The array's data for writing: a copy first when another Variant shares it.
VarArrayData& MutableDataOf(Variant& v) {
  DataOf(v);
  auto& data = std::get<std::shared_ptr<VarArrayData>>(VariantAccess::Value(v));
  if (data.use_count() > 1) data = std::make_shared<VarArrayData>(*data);
  return *data;
}

const std::pair<int, int>& BoundsOf(const Variant& v, int dim) {
  const VarArrayData& data = DataOf(v);
  if (dim < 1 || dim > static_cast<int>(data.Bounds.size())) RaiseBadIndex();
  return data.Bounds[dim - 1];
}

}  // namespace

namespace variant_detail {

bool CanBeArrayElement(uint16_t type) {
  switch (type) {
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency:
    case varDate: case varOleStr: case varBoolean: case varVariant: case varShortInt:
    case varByte: case varWord: case varLongWord: case varInt64: case varUInt64:
    case varString: case varUString:
      return true;
    default:
      return false;
  }
}

}  // namespace variant_detail

size_t VarArrayData::Offset(std::initializer_list<int> indices) const {
  if (indices.size() != Bounds.size()) RaiseBadIndex();
  size_t offset = 0;
  auto bound = Bounds.begin();
  for (int index : indices) {
    auto [low, high] = *bound++;
    if (index < low || index > high) RaiseBadIndex();
    offset = offset * static_cast<size_t>(int64_t{high} - low + 1) +
             static_cast<size_t>(int64_t{index} - low);
  }
  return offset;
}

Variant VarArrayCreate(std::initializer_list<int> bounds, uint16_t elementType) {
  if (bounds.size() == 0 || bounds.size() % 2 != 0 || !CanBeArrayElement(elementType))
    RaiseCreateError();
  auto data = std::make_shared<VarArrayData>();
  data->ElementType = elementType;
  size_t count = 1;
  for (auto it = bounds.begin(); it != bounds.end(); it += 2) {
    int64_t low = it[0], high = it[1];
    if (high < low - 1) RaiseCreateError();
    size_t length = static_cast<size_t>(high - low + 1);
    if (length != 0 && count > MaxElements / length) RaiseCreateError();
    count *= length;
    data->Bounds.emplace_back(it[0], it[1]);
  }
  if (elementType == varByte)
    data->Bytes.assign(count, 0);
  else
    data->Items.assign(count, VarAsType(Variant(), elementType));
  return VariantAccess::Make(varArray | elementType, std::move(data));
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
  auto data = std::make_shared<VarArrayData>();
  data->ElementType = varVariant;
  data->Bounds.emplace_back(0, static_cast<int>(values.size()) - 1);
  data->Items.assign(values.begin(), values.end());
  return VariantAccess::Make(varArray | varVariant, std::move(data));
}

int Variant::DimCount() const { return IsArray() ? static_cast<int>(DataOf(*this).Bounds.size()) : 0; }
int Variant::LowBound(int dim) const { return BoundsOf(*this, dim).first; }
int Variant::HighBound(int dim) const { return BoundsOf(*this, dim).second; }

Variant Variant::GetElement(std::initializer_list<int> indices) const {
  const VarArrayData& data = DataOf(*this);
  size_t offset = data.Offset(indices);
  if (data.ElementType == varByte) return Variant(data.Bytes[offset]);
  return data.Items[offset];
}

void Variant::PutElement(std::initializer_list<int> indices, const Variant& value) {
  uint16_t elementType = DataOf(*this).ElementType;
  size_t offset = DataOf(*this).Offset(indices);
  // Convert before touching the array, so that a failed conversion changes nothing.
  Variant converted = elementType == varVariant ? value : VarAsType(value, elementType);
  VarArrayData& data = MutableDataOf(*this);
  if (elementType == varByte)
    data.Bytes[offset] = static_cast<uint8_t>(std::get<uint64_t>(VariantAccess::Value(converted)));
  else
    data.Items[offset] = std::move(converted);
}

TBytes Variant::AsBytes() const {
  if (IsEmpty()) return {};
  if (FType != (varArray | varByte) || DimCount() != 1) RaiseCastError(FType, varArray | varByte);
  return DataOf(*this).Bytes;
}

int VarArrayDimCount(const Variant& v) { return v.DimCount(); }
int VarArrayLowBound(const Variant& v, int dim) { return v.LowBound(dim); }
int VarArrayHighBound(const Variant& v, int dim) { return v.HighBound(dim); }
Variant VarArrayGet(const Variant& v, std::initializer_list<int> indices) {
  return v.GetElement(indices);
}
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<int> indices) {
  v.PutElement(indices, value);
}
