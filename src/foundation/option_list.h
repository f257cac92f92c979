// Option lists ("key=escaped value" lines) and option trees (named option lists stored as
// INI-like text): the record type of settings, companies, products, site options and form fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/persist.h"

namespace quillora {

// Escapes control bytes, bytes 128..255 and "%" as "%XX" so a value is one line of printable ASCII.
std::string EncodeValue(std::string_view value);
// Reverses EncodeValue; also reads the older "%...%" form (see the .cpp).
std::string DecodeValue(std::string_view stored);

class TMultiOptions;

// An ordered list of lines. A line's name is the text before its first "="; look-ups take the
// first line whose name matches case-insensitively. Values are given and returned unescaped.
class TOptionsList : public TPersistObj {
 public:
  TOptionsList();
  TOptionsList(const TOptionsList& other);
  TOptionsList& operator=(const TOptionsList& other);  // copies lines, Index and Name; not Owner
  ~TOptionsList() override = default;

  // --- string-list layer (raw lines)
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& Line(int i) const { return lines_.at(static_cast<size_t>(i)); }
  void SetLine(int i, std::string line) { lines_.at(static_cast<size_t>(i)) = std::move(line); }
  const std::vector<std::string>& Lines() const { return lines_; }
  std::vector<std::string>& MutableLines() { return lines_; }
  void AddLine(std::string line) { lines_.push_back(std::move(line)); }
  void InsertLine(int i, std::string line) { lines_.insert(lines_.begin() + i, std::move(line)); }
  void DeleteLine(int i) { lines_.erase(lines_.begin() + i); }
  void Clear() { lines_.clear(); }
  bool Empty() const { return lines_.empty(); }
  // Name of line i: the text before its first "=", empty when there is none.
  std::string NameAt(int i) const;
  // Position of the first line named key (case-insensitive), or -1.
  int IndexOfName(std::string_view key) const;
  // Raw (escaped) value of the first line named key; empty if none.
  std::string RawValue(std::string_view key) const;
  // Replaces, appends, or (for an empty raw value) deletes the first line named key.
  void SetRawValue(std::string_view key, std::string_view raw);

  // Text form: every line followed by CR LF.
  std::string Text() const;
  // Splits at CR, LF or CR LF; a NUL ends the text; no empty line after a final line end.
  void SetText(std::string_view text);
  void LoadFromTextFile(const std::string& path);  // throws when the file cannot be opened
  void SaveToTextFile(const std::string& path) const;

  // --- option layer (escaped values)
  std::string GetString(std::string_view key) const;
  void SetString(std::string_view key, std::string_view value);
  bool GetBool(std::string_view key) const;
  void SetBool(std::string_view key, bool flag);
  // -1 when empty; throws std::invalid_argument for a value that is not an integer.
  int GetInt(std::string_view key) const;
  void SetInt(std::string_view key, int n);
  std::string GetValueAt(int i) const;
  void SetValueAt(int i, std::string_view value);
  bool HasKey(std::string_view key) const { return IndexOfName(key) >= 0; }

  // Reads every byte from the position to the end of the stream as text.
  void SaveToStream(TStream& s) const override;
  void LoadFromStream(TStream& s) override;

  int32_t Index = 0;
  std::string Name;
  TMultiOptions* owner_tree = nullptr;  // the tree that made this section; not owning

 private:
  std::vector<std::string> lines_;
};

// An ordered list of named sections, stored as "[Name]" headers each followed by the section's
// lines and one empty line. Section names compare exactly.
class TMultiOptions : public TPersistObjList {
 public:
  TMultiOptions() = default;

  TOptionsList* AddSection();
  TOptionsList* FindSection(std::string_view name) const;
  // The section of that name, created (appended) when missing.
  TOptionsList& Section(std::string_view name);
  TOptionsList& SectionAt(int i);
  const TOptionsList& SectionAt(int i) const;
  int IndexOfSection(std::string_view name) const;
  void DeleteSection(std::string_view name);

  std::string Text() const;
  void SetText(std::string_view text);
  void LoadFromTextFile(const std::string& path);
  void SaveToTextFile(const std::string& path) const;

  void SaveToStream(TStream& s) const override;
  void LoadFromStream(TStream& s) override;

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override;
};

}  // namespace quillora
