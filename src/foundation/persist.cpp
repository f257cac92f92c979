#include "foundation/persist.h"

#include <stdexcept>

namespace quillora {

void TPersistObj::SaveToFile(const std::string& path) const {
  TFileStream f(path, TFileStream::Mode::Create);
  SaveToStream(f);
  f.Flush();
}

void TPersistObj::LoadFromFile(const std::string& path) {
  TFileStream f(path, TFileStream::Mode::Read);
  LoadFromStream(f);
}

void TPersistObj::CopyFrom(const TPersistObj& other) {
  TMemoryStream m;
  other.SaveToStream(m);
  m.Rewind();
  LoadFromStream(m);
}

void TPersistObjList::Assign(const TPersistObjList& source) {
  if (&source == this) return;
  CopyFrom(source);
}

void TPersistObjList::SaveToStream(TStream& s) const {
  WriteSizedInt(s, Count());
  for (const auto& item : items_) WriteObjectBlob(s, *item);
}

void TPersistObjList::LoadFromStream(TStream& s) {
  int32_t n = ReadSizedInt(s);
  // Every item takes at least its 4-byte size, so a count beyond that is damage.
  if (n < 0 || n > s.Remaining() / 4)
    throw std::runtime_error("Damaged data: a list of " + std::to_string(n) + " items where only " +
                             std::to_string(std::max<int64_t>(0, s.Remaining())) + " bytes remain");
  SetItemCount(n);
  for (int i = 0; i < n; ++i) ReadObjectBlob(s, *ItemAt(i));
}

int TPersistObjList::AddNew() {
  return Add(CreateItem());
}

void TPersistObjList::SetItemCount(int n) {
  Clear();
  for (int i = 0; i < n; ++i) AddNew();
}

int TPersistObjList::Add(std::unique_ptr<TPersistObj> item) {
  item->SetOwner(this);
  items_.push_back(std::move(item));
  return Count() - 1;
}

void TPersistObjList::Insert(int pos, std::unique_ptr<TPersistObj> item) {
  item->SetOwner(this);
  items_.insert(items_.begin() + pos, std::move(item));
}

void TPersistObjList::Delete(int i) {
  items_.erase(items_.begin() + i);
}

std::unique_ptr<TPersistObj> TPersistObjList::Extract(int i) {
  auto item = std::move(items_.at(static_cast<size_t>(i)));
  items_.erase(items_.begin() + i);
  item->SetOwner(nullptr);
  return item;
}

void TPersistObjList::Move(int from, int to) {
  auto item = std::move(items_.at(static_cast<size_t>(from)));
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(item));
}

int TPersistObjList::IndexOf(const TPersistObj* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return static_cast<int>(i);
  return -1;
}

}  // namespace quillora
