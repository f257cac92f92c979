// A site's address records: how each of its four addresses (home, search, submit, update) is
// opened, as a free-standing record and as the sections of a site's address collection.
#pragma once

#include <string>
#include <string_view>

#include "foundation/option_list.h"

namespace quillora {

// Read back by exact comparison of the "Kind" text; anything unknown is Normal.
enum class TURLKind { Normal = 0, GET = 1, POST = 2, MAIL = 3 };

// One address record: "Address", "Kind", "Query", "Headers", "PostData", "Email Subj",
// "Email Body".
class TURLInfo : public TOptionsList {
 public:
  std::string Address() const { return GetString("Address"); }
  void SetAddress(std::string_view v) { SetString("Address", v); }
  std::string Query() const { return GetString("Query"); }
  void SetQuery(std::string_view v) { SetString("Query", v); }
  std::string Headers() const { return GetString("Headers"); }
  void SetHeaders(std::string_view v) { SetString("Headers", v); }
  std::string PostData() const { return GetString("PostData"); }
  void SetPostData(std::string_view v) { SetString("PostData", v); }
  std::string EmailSubject() const { return GetString("Email Subj"); }
  void SetEmailSubject(std::string_view v) { SetString("Email Subj", v); }
  std::string EmailBody() const { return GetString("Email Body"); }
  void SetEmailBody(std::string_view v) { SetString("Email Body", v); }

  TURLKind Kind() const { return KindFromText(GetString("Kind")); }
  // Numbers other than 0..3 store "Normal".
  void SetKind(int kind) { SetString("Kind", KindText(kind)); }
  void SetKind(TURLKind kind) { SetKind(static_cast<int>(kind)); }

  static TURLKind KindFromText(std::string_view text);
  static const char* KindText(int kind);

  // Makes this the search entry point of a captured request (the user typed "myprog" into the
  // site's search box): a GET keeps the address before "?" and the decoded query, a POST the
  // address, the decoded body and the headers; the first "myprog" becomes the search string's
  // variable.
  void SetCapturedSearch(bool post, std::string_view url, std::string_view body,
                         std::string_view headers);
};

// The four address sections "Home", "Search", "Submit", "Update" of a site. Its sections are
// created as TURLInfo records, so each accessor hands out the record with its accessors.
class TURLCollection : public TMultiOptions {
 public:
  // Each is created (appended) when missing.
  TURLInfo& Home() { return Record("Home"); }
  TURLInfo& Search() { return Record("Search"); }
  TURLInfo& Submit() { return Record("Submit"); }
  TURLInfo& Update() { return Record("Update"); }
  TURLInfo& Record(std::string_view name);
  // Read-only look-up that never creates a section; nullptr when missing.
  const TOptionsList* Find(std::string_view name) const { return FindSection(name); }
  // The "Address" of a section, empty when the section is missing.
  std::string AddressOf(std::string_view name) const;

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override;
};

}  // namespace quillora
