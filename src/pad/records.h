// Company and product records: the user's own descriptions in PAD field names with their per-site
// lists, their files (option trees with enciphered passwords, saved by merging into what is on
// disk), file naming, and the owning lists with the binary form user-data archives use.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"
#include "foundation/persist.h"
#include "sites/site_profile.h"

namespace quillora {

// A record file whose content this program cannot have written (binary data, a cut-off end,
// text before the first section). Such a file is reported and never overwritten.
struct TRecordFileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Empty when text can be a record file, otherwise what is wrong with it. An empty text is a
// valid (empty) record.
std::string CheckRecordText(std::string_view text);

// The save merge, section by section (matched by name): every key of a fresh section whose
// value differs from the snapshot's is written into disk, and every key the snapshot has and the
// fresh section no longer has is removed from disk. Sections equal in both are left alone;
// every section of fresh and snapshot exists in disk afterwards.
void MergeRecordTrees(const TMultiOptions& snapshot, const TMultiOptions& fresh,
                      TMultiOptions& disk);

// Makes `to` a copy of `from`, section by section.
void CopyTree(const TMultiOptions& from, TMultiOptions& to);

// Whether the namespace flags mark the key as stored enciphered ("*"). False before the data
// tables are loaded.
bool IsEncipheredKey(std::string_view key);

// A key line with the first "[" and the first "]" before its "=" removed; lines without "="
// are returned unchanged. Product keys get this on loading and saving, because a key line
// that starts with "[" and ends with "]" would read back as a section header.
std::string RepairKeyBrackets(std::string_view line);

// The base of a record's file name: spaces become "_", every character other than 0-9, A-Z,
// a-z and "_" is dropped, and at most 15 characters are kept.
std::string RecordFileBaseName(std::string_view name);

class TRecordList;

// What tells a company from a product where both behave alike.
struct TRecordTraits {
  const char* kind;     // "company" / "product", in messages
  const char* monitor;  // "Company" / "Product": the timing monitors "<monitor>.Load"/".Save"
  const char* identity_key;
  const char* uin_prefix;  // "CMP-" / "APP-"
  int first_suffix;        // the first n of a "(n)" file-name suffix
  bool repair_brackets;
  TSiteListRecord lists_of;  // whose per-site lists the record keeps
};

// A company or product: its lines are the record's fields; per-site lists sit beside them.
class TRecord : public TOptionsList {
 public:
  TRecord() = default;
  TRecord(const TRecord&) = delete;
  TRecord& operator=(const TRecord&) = delete;

  virtual const TRecordTraits& Traits() const = 0;

  std::string Uin() const { return GetString(Traits().identity_key); }
  // The name used for look-ups and file names (company: the company name, or the contact's last
  // name when that is empty; product: the program name).
  virtual std::string RecordName() const = 0;
  // The identity key becomes the prefix followed by a new unique id.
  void NewUin();

  // Reads the file (shared lock, 200 tries 10 ms apart, then Abort/Retry). False when the user
  // gave up or the file is damaged (reported); the record is then empty.
  bool LoadRecordFile(const std::string& path);
  // Saves by merging the record's changes into the file as it is on disk now, under an
  // exclusive lock (200 tries, then Abort/Retry); gives the record a UIN and a file name when it
  // has none. A damaged file on disk is reported and left as it is. False when nothing was saved.
  bool SaveRecordFile(const std::string& path = {});
  // Deletes the file and then takes the record out of its list, which destroys it. False when
  // an existing file could not be deleted.
  bool DeleteRecord();
  // A free file name in the record's folder, made from the record's name (or its UIN); empty
  // when the record has neither.
  std::string MakeFileName() const;
  // The folder of the record's files: the owning list's, else the folder of FileName.
  std::string Folder() const;
  TRecordList* List() const;

  // Copies the fields and, from a record of the same kind, the per-site lists; not Snapshot,
  // FileName or the owner.
  virtual void Assign(const TRecord& source);

  // The record file's text form (plain: no merge). Loading throws TRecordFileError for content
  // that cannot be a record file and leaves the record empty then.
  void SaveToStream(TStream& s) const override;
  void LoadFromStream(TStream& s) override;
  void LoadFromText(std::string_view text);
  // The tree a save writes: "General" with "*" fields enciphered, the per-site lists with
  // logins and passwords enciphered, in file order. "Search Results Long" is never part of it.
  void BuildTree(TMultiOptions& tree) const;
  // Empties the fields, the per-site lists and Snapshot.
  void ClearRecord();
  // Removes the first "[" and "]" before each key's "=" (products only).
  void RepairKeys();

  // A per-site list of this record, with what the table of per-site lists says of it.
  struct TPerSiteList {
    const TPerSiteListInfo* info;
    TOptionsList* list;
  };
  // The lists a save writes, in file order.
  std::vector<TPerSiteList> SiteLists();
  std::vector<TPerSiteList> SiteLists() const;
  // The record's list of that kind; nullptr for a list the other kind of record keeps.
  virtual TOptionsList* PerSiteList(TSiteValueKind kind) = 0;
  const TOptionsList* PerSiteList(TSiteValueKind kind) const {
    return const_cast<TRecord*>(this)->PerSiteList(kind);
  }

  TOptionsList SiteLogins;     // key = site UIN
  TOptionsList SitePasswords;  // key = site UIN
  TOptionsList Comments;       // key = site UIN
  TMultiOptions Snapshot;      // the file content as last read or written: the merge's base
  std::string FileName;        // empty until saved

 private:
  // Fills the record from a tree read from a file (no checks).
  void ApplyTree(const TMultiOptions& tree);
  // The record's lists, also those only read from its file (written_only false).
  std::vector<TPerSiteList> Lists(bool written_only);
};

class TCompany : public TRecord {
 public:
  static const TRecordTraits kTraits;
  const TRecordTraits& Traits() const override { return kTraits; }
  std::string RecordName() const override;
  TOptionsList* PerSiteList(TSiteValueKind kind) override;
  using TRecord::PerSiteList;
};

// The per-site lists of a product beyond its logins, passwords and notes: the product record
// keeps them and the active profile carries copies of them.
struct TProductSiteLists {
  TOptionsList VersionListed;
  TOptionsList VersionSubmitted;
  TOptionsList DateSubmitted;
  TOptionsList SearchResultsShort;
  TOptionsList SearchFlag;
  TOptionsList ProgramCategory;
  TOptionsList StatusOverride;
  TOptionsList ProductListings;

  // The list of that kind; nullptr for a kind that is not one of these.
  TOptionsList* ProductSiteList(TSiteValueKind kind);
};

class TProduct : public TRecord, public TProductSiteLists {
 public:
  static const TRecordTraits kTraits;
  const TRecordTraits& Traits() const override { return kTraits; }
  std::string RecordName() const override;

  TOptionsList SearchResultsLong;  // read from the file, never written

  TOptionsList* PerSiteList(TSiteValueKind kind) override;
  using TRecord::PerSiteList;
};

// An owning list of records of one kind, kept in one folder.
class TRecordList : public TPersistObjList {
 public:
  std::string Folder;  // ends with the path delimiter

  // Empties the list and loads every "*.dat" file of Folder in name order. False when a file
  // could not be loaded (it is left out).
  bool LoadAll();
  TRecord* RecordAt(int i) const { return static_cast<TRecord*>(ItemAt(i)); }
  // The first record whose identity key equals uin exactly.
  TRecord* FindRecordByUin(std::string_view uin) const;
  // The first record whose RecordName equals name after NormalizeName of both.
  TRecord* FindRecordByName(std::string_view name) const;
  // Takes the record, makes this list its owner and appends it.
  TRecord* AddRecord(std::unique_ptr<TRecord> record);
  // A new empty record, appended.
  TRecord* NewRecord();
  int AddNew() override;

  // The binary form: a sized count, then each record's text form as a blob. Loading appends
  // (the list is not emptied) and clears each record's FileName, so its first save chooses a
  // new file; damaged content throws TRecordFileError.
  void LoadFromStream(TStream& s) override;
};

class TCompanyList : public TRecordList {
 public:
  TCompany* At(int i) const { return static_cast<TCompany*>(RecordAt(i)); }
  TCompany* FindByUin(std::string_view uin) const {
    return static_cast<TCompany*>(FindRecordByUin(uin));
  }
  TCompany* FindByName(std::string_view name) const {
    return static_cast<TCompany*>(FindRecordByName(name));
  }
  TCompany* NewCompany() { return static_cast<TCompany*>(NewRecord()); }

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override { return std::make_unique<TCompany>(); }
};

class TProductList : public TRecordList {
 public:
  TProduct* At(int i) const { return static_cast<TProduct*>(RecordAt(i)); }
  TProduct* FindByUin(std::string_view uin) const {
    return static_cast<TProduct*>(FindRecordByUin(uin));
  }
  TProduct* FindByName(std::string_view name) const {
    return static_cast<TProduct*>(FindRecordByName(name));
  }
  TProduct* NewProduct() { return static_cast<TProduct*>(NewRecord()); }

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override { return std::make_unique<TProduct>(); }
};

}  // namespace quillora
