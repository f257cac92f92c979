// Records that write themselves to binary streams, and owning lists of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/stream.h"

namespace quillora {

class TPersistObjList;

class TPersistObj {
 public:
  virtual ~TPersistObj() = default;
  virtual void SaveToStream(TStream& s) const = 0;
  virtual void LoadFromStream(TStream& s) = 0;

  void SaveToFile(const std::string& path) const;
  void LoadFromFile(const std::string& path);
  // Becomes a copy of other through a memory stream.
  void CopyFrom(const TPersistObj& other);

  TPersistObjList* Owner() const { return owner_; }
  void SetOwner(TPersistObjList* owner) { owner_ = owner; }

 private:
  TPersistObjList* owner_ = nullptr;
};

// An owning list: removing an item or destroying the list destroys the item. Stored as a sized
// count followed by one blob per item.
class TPersistObjList : public TPersistObj {
 public:
  TPersistObjList() = default;
  TPersistObjList(const TPersistObjList&) = delete;
  TPersistObjList& operator=(const TPersistObjList&) = delete;

  // Copy of another list of the same kind, through a memory stream.
  virtual void Assign(const TPersistObjList& source);
  void SaveToStream(TStream& s) const override;
  void LoadFromStream(TStream& s) override;
  // Creates an item with CreateItem, appends it and returns its position.
  virtual int AddNew();

  void SetItemCount(int n);
  int Count() const { return static_cast<int>(items_.size()); }
  TPersistObj* ItemAt(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
  // Takes ownership; returns the position.
  int Add(std::unique_ptr<TPersistObj> item);
  void Insert(int pos, std::unique_ptr<TPersistObj> item);
  void Delete(int i);
  // Releases ownership of item i without destroying it.
  std::unique_ptr<TPersistObj> Extract(int i);
  void Move(int from, int to);
  void Clear() { items_.clear(); }
  int IndexOf(const TPersistObj* item) const;

 protected:
  virtual std::unique_ptr<TPersistObj> CreateItem() = 0;
  std::vector<std::unique_ptr<TPersistObj>> items_;
};

}  // namespace quillora
