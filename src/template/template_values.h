// Value look-up for template expansion: names matched exactly with blanks read as "_", the first
// matching line winning; a hash index is built once a single expansion looks up many keys.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "foundation/option_list.h"

namespace quillora {

class TTemplateValues {
 public:
  // After this many look-ups within one expansion, hashing the names pays off (a scan of a
  // 600-line profile costs about as much as a few hundred hash look-ups).
  static constexpr int kIndexAfter = 128;

  explicit TTemplateValues(const TOptionsList& list) : list_(list) {}

  // The position of the first line whose name equals key, or -1; raw receives its escaped value.
  int Find(std::string_view key, std::string_view& raw);
  // True when a line at position from or later has a name beginning with prefix.
  bool HasNameStartingWith(std::string_view prefix, int from);

  // The index is a snapshot of the list. It lives only as long as one expansion call, during
  // which the list is a const reference nobody changes; Invalidate drops it after anything that
  // runs foreign code (MAKEFILE's dialog), so a later look-up sees the list as it then is.
  void Invalidate() {
    index_.clear();
    indexed_ = false;
    lookups_ = 0;
  }
  bool Indexed() const { return indexed_; }

 private:
  void Count();
  void BuildIndex();

  const TOptionsList& list_;
  int lookups_ = 0;
  bool indexed_ = false;
  // Name with blanks read as "_" -> position of the first line of that name (later lines of
  // the same name are never entered).
  std::unordered_map<std::string, int> index_;
  std::string folded_;  // the key of the last indexed lookup, blanks as "_"
};

}  // namespace quillora
