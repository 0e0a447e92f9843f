// The blob value: validity, rollback copy, reads and writes, and its text forms.
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "Common/MemData_Blob.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/UnicodeText.h"

TBlob::TBlob(bool isUnicode) : TBlob(isUnicode, nullptr) {}

TBlob::TBlob(bool isUnicode, TLxBlobData* store) : FIsUnicode(isUnicode), FStore(store) {}

TBlob::~TBlob() {
  FValidMarker = 0;
  // Both stores are held once, whichever of them is shown.
  TSharedObject::Release(FStore);
  TSharedObject::Release(TakeOtherStore());
}

namespace {

// The other stores of all blobs that hold one, for every thread: few at any time (the blobs of
// the records being edited), so one lock costs nothing that matters. Never destroyed, so that a
// blob freed while the program ends still finds it.
struct TOtherStores {
  std::mutex Lock;
  std::unordered_map<const TBlob*, TLxBlobData*> Stores;
};

TOtherStores& OtherStores() {
  static auto* table = new TOtherStores();
  return *table;
}

}  // namespace

TLxBlobData* TBlob::OtherStore() const {
  if (!FHoldsOtherStore) return nullptr;
  TOtherStores& table = OtherStores();
  std::lock_guard<std::mutex> hold(table.Lock);
  return table.Stores.at(this);
}

TLxBlobData* TBlob::TakeOtherStore() {
  if (!FHoldsOtherStore) return nullptr;
  TOtherStores& table = OtherStores();
  std::lock_guard<std::mutex> hold(table.Lock);
  auto found = table.Stores.find(this);
  RTL_ASSERT(found != table.Stores.end(), u"A blob's other store is missing");
  TLxBlobData* store = found->second;
  table.Stores.erase(found);
  FHoldsOtherStore = false;
  return store;
}

void TBlob::HoldOtherStore(TLxBlobData* store) {
  RTL_ASSERT(store != nullptr && !FHoldsOtherStore, u"HoldOtherStore: a store is held already");
  TOtherStores& table = OtherStores();
  std::lock_guard<std::mutex> hold(table.Lock);
  table.Stores.emplace(this, store);
  FHoldsOtherStore = true;
}

void TBlob::RaiseInvalid() { throw Exception(u"Invalid BLOB"); }

void TBlob::CheckCached() const {
  if (!FRollbackEnabled) throw Exception(u"Blob must be in cached mode");
}

TLxBlobData* TBlob::CreateBlobData() { return new (Pool()) TLxBlobData(); }

TLxBlobData* TBlob::RollbackStore() {
  if (FReadingRollback) return FStore;
  if (FEmptyRollback) {
    HoldOtherStore(CreateBlobData());
    FEmptyRollback = false;
  }
  return OtherStore();
}

void TBlob::SaveToRollback() {
  CheckCached();
  RTL_ASSERT(!FReadingRollback, u"SaveToRollback while the rollback is read");
  TSharedObject::Release(TakeOtherStore());
  FEmptyRollback = !FStore || FStore->IsEmpty();
  if (FEmptyRollback) return;
  TLxBlobData* rollback = CreateBlobData();
  FStore->MoveDataTo(*rollback);
  HoldOtherStore(rollback);
}

void TBlob::Commit() {
  RTL_ASSERT(!FReadingRollback, u"Commit while the rollback is read");
  TSharedObject::Release(TakeOtherStore());
  FEmptyRollback = false;
}

void TBlob::Cancel() {
  if (FEmptyRollback) {
    if (FStore) FStore->Clear();
    FEmptyRollback = false;
    return;
  }
  if (!FHoldsOtherStore) return;
  RTL_ASSERT(!FReadingRollback, u"Cancel while the rollback is read");
  TSharedObject::Release(FStore);
  FStore = TakeOtherStore();
}

void TBlob::SetReadRollback(bool value) {
  if (value == FReadingRollback || (value && !HasRollback())) return;
  if (value) {
    RollbackStore();
    Store();
  }
  TLxBlobData* shown = TakeOtherStore();
  if (FStore) HoldOtherStore(FStore);
  FStore = shown;
  FReadingRollback = value;
}

void TBlob::SetStore(TLxBlobData* store) {
  if (store == FStore) return;
  RTL_ASSERT(!FReadingRollback, u"SetStore while the rollback is read");
  RTL_ASSERT(store != nullptr, u"SetStore: no store");
  store->AddRef();
  TSharedObject::Release(FStore);
  FStore = store;
}

void TBlob::SetSize(uint32_t size) {
  CheckValid();
  Store()->SetSize(size);
}

void TBlob::SetIsUnicode(bool value) {
  if (value == FIsUnicode) return;
  if (GetSize() > 0) throw Exception(u"Cannot change IsUnicode if Size > 0");
  FIsUnicode = value;
}

uint32_t TBlob::GetSizeUni() {
  RTL_ASSERT(FIsUnicode, u"GetSizeUni of a blob that is not Unicode");
  CheckValid();
  return FStore ? FStore->GetSizeAnsi() : 0;
}

uint32_t TBlob::TranslatePosition(uint32_t ansiPosition) {
  RTL_ASSERT(FIsUnicode, u"TranslatePosition of a blob that is not Unicode");
  CheckValid();
  return Store()->TranslatePosition(ansiPosition);
}

uint32_t TBlob::Read(uint32_t position, uint32_t count, void* dest) {
  CheckValid();
  CheckValue();
  return FStore ? FStore->Read(position, count, dest) : 0;
}

void TBlob::Write(uint32_t position, uint32_t count, const void* source) {
  CheckValid();
  SaveBeforeChange();
  if (!FStore) MakeStoreFor(count);
  Store()->Write(position, count, source);
}

void TBlob::Clear() {
  CheckValid();
  if (!FStore || FStore->IsEmpty()) return;
  SaveBeforeChange();
  FStore->Clear();
}

void TBlob::Truncate(uint32_t size) {
  CheckValid();
  SaveBeforeChange();
  if (FStore) FStore->Truncate(size);
}

bool TBlob::IsEmpty() {
  CheckValid();
  return !FStore || FStore->IsEmpty();
}

void TBlob::Defrag() {
  CheckValid();
  if (FStore) FStore->Defrag();
}

void TBlob::AddCarriageReturns() {
  CheckValid();
  CheckValue();
  SaveBeforeChange();
  if (FIsUnicode)
    Store()->AddCRWide();
  else
    Store()->AddCR();
}

void TBlob::RemoveCarriageReturns() {
  CheckValid();
  CheckValue();
  SaveBeforeChange();
  if (FIsUnicode)
    Store()->RemoveCRWide();
  else
    Store()->RemoveCR();
}

void TBlob::Assign(TBlob& source) {
  Clear();
  FIsUnicode = source.IsUnicode();
  TBytes buffer(65536);
  uint32_t position = 0;
  while (uint32_t n = source.Read(position, static_cast<uint32_t>(buffer.size()), buffer.data())) {
    Write(position, n, buffer.data());
    position += n;
  }
}

TBytes TBlob::GetAsBytes() {
  TBytes bytes(GetSize());
  if (!bytes.empty()) bytes.resize(Read(0, 0, bytes.data()));
  return bytes;
}

void TBlob::SetAsBytes(const TBytes& value) {
  Clear();
  Write(0, static_cast<uint32_t>(value.size()), value.data());
}

AnsiString TBlob::GetAsAnsiString() {
  if (FIsUnicode) return UTF8Encode(GetAsWideString());
  AnsiString text(GetSize(), '\0');
  if (!text.empty()) text.resize(Read(0, 0, text.data()));
  return text;
}

void TBlob::SetAsAnsiString(const AnsiString& value) {
  if (FIsUnicode) {
    SetAsWideString(UTF8ToString(value));
    return;
  }
  Clear();
  Write(0, static_cast<uint32_t>(value.size()), value.data());
}

String TBlob::GetAsWideString() {
  if (!FIsUnicode) return UTF8ToString(GetAsAnsiString());
  const uint32_t size = GetSize();
  String text(size / 2, u'\0');
  if (size >= 2) {
    TBytes bytes(size);
    const uint32_t n = Read(0, 0, bytes.data());
    text.resize(n / 2);
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
  }
  return text;
}

void TBlob::SetAsWideString(const String& value) {
  if (!FIsUnicode) {
    SetAsAnsiString(UTF8Encode(value));
    return;
  }
  Clear();
  Write(0, static_cast<uint32_t>(value.size() * 2), value.data());
}

void TBlob::LoadFromStream(TStream& stream) {
  Clear();
  stream.SetPosition(0);
  TBytes chunk(PieceCapacity());
  uint32_t position = 0;
  while (int32_t n = stream.Read(chunk.data(), static_cast<int32_t>(chunk.size()))) {
    Write(position, static_cast<uint32_t>(n), chunk.data());
    position += static_cast<uint32_t>(n);
  }
}

void TBlob::SaveToStream(TStream& stream) {
  stream.SetSize(0);
  stream.SetPosition(0);
  TBytes chunk(PieceCapacity());
  uint32_t position = 0;
  while (uint32_t n = Read(position, static_cast<uint32_t>(chunk.size()), chunk.data())) {
    stream.WriteBuffer(chunk.data(), static_cast<int32_t>(n));
    position += n;
  }
}
