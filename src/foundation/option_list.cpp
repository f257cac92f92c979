#include "foundation/option_list.h"

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>

#include "foundation/codepage.h"
#include "foundation/text_utils.h"

namespace quillora {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int UpperHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int AnyHexDigit(char c) {
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return UpperHexDigit(c);
}

// The older stored form: "%" at both ends, hex escapes and doubled "%" inside.
std::string DecodeLegacyValue(std::string_view stored) {
  std::string_view inner =
      stored.size() >= 2 ? stored.substr(1, stored.size() - 2) : std::string_view{};
  std::string rebuilt = "%";
  for (size_t i = 0; i < inner.size(); ++i) {
    char c = inner[i];
    if (c != '%') {
      rebuilt += c;
      continue;
    }
    if (i + 1 < inner.size() && inner[i + 1] == '%') {
      rebuilt += "%%";
      ++i;
      continue;
    }
    int hi = i + 1 < inner.size() ? AnyHexDigit(inner[i + 1]) : -1;
    int lo = i + 2 < inner.size() ? AnyHexDigit(inner[i + 2]) : -1;
    if (hi >= 0 && lo >= 0) {
      rebuilt += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      rebuilt += "%%";
    }
  }
  rebuilt += '%';

  // Unquote with "%" as the quote character: a doubled "%" is one, a single one ends the text.
  std::string out;
  for (size_t i = 1; i < rebuilt.size(); ++i) {
    if (rebuilt[i] == '%') {
      if (i + 1 < rebuilt.size() && rebuilt[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      break;
    }
    out += rebuilt[i];
  }

  static const std::string kNullMarker = std::string("=>\x01NULL\x01<=");
  return ReplaceAll(out, kNullMarker, std::string(1, '\0'));
}

std::string DefaultSectionName() {
  static std::atomic<int> counter{0};
  int n, next;
  do {
    n = counter.load();
    next = n + 1 > 99 ? 0 : n + 1;
  } while (!counter.compare_exchange_weak(n, next));
  thread_local std::minstd_rand rng;
  rng.seed(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  int random = static_cast<int>(rng() % 999999);
  return std::to_string(random) + "6-" + std::to_string(next) + "2";
}

}  // namespace

std::string EncodeValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char ch : value) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 32 || c >= 128 || c == '%') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string DecodeValue(std::string_view stored) {
  if (stored.empty()) return {};
  if (stored.front() == '%' && stored.back() == '%') return DecodeLegacyValue(stored);
  if (stored.find('%') == std::string_view::npos) return std::string(stored);
  std::string out;
  out.reserve(stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    char c = stored[i];
    if (c != '%') {
      out += c;
      continue;
    }
    int hi = i + 1 < stored.size() ? UpperHexDigit(stored[i + 1]) : -1;
    if (hi < 0) {
      out += '%';
      continue;
    }
    int lo = i + 2 < stored.size() ? UpperHexDigit(stored[i + 2]) : -1;
    if (lo < 0) {
      out += '%';
      out += stored[i + 1];
      i += 1;
      continue;
    }
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

// --- TOptionsList

TOptionsList::TOptionsList() : Name(DefaultSectionName()) {}

TOptionsList::TOptionsList(const TOptionsList& other)
    : TPersistObj(), Index(other.Index), Name(other.Name), lines_(other.lines_) {}

TOptionsList& TOptionsList::operator=(const TOptionsList& other) {
  if (this != &other) {
    lines_ = other.lines_;
    Index = other.Index;
    Name = other.Name;
  }
  return *this;
}

std::string TOptionsList::NameAt(int i) const {
  const std::string& line = Line(i);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

int TOptionsList::IndexOfName(std::string_view key) const {
  // A key holding "=" can never equal a line's name (the text before its first "=").
  if (key.find('=') != std::string_view::npos) return -1;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    if (line.size() > key.size() && line[key.size()] == '=' &&
        SameText(std::string_view(line).substr(0, key.size()), key))
      return static_cast<int>(i);
  }
  return -1;
}

std::string TOptionsList::RawValue(std::string_view key) const {
  int i = IndexOfName(key);
  if (i < 0) return {};
  const std::string& line = lines_[static_cast<size_t>(i)];
  return line.substr(key.size() + 1);
}

void TOptionsList::SetRawValue(std::string_view key, std::string_view raw) {
  int i = IndexOfName(key);
  if (raw.empty()) {
    if (i >= 0) DeleteLine(i);
    return;
  }
  std::string line;
  line.reserve(key.size() + 1 + raw.size());
  line.append(key).append("=").append(raw);
  if (i >= 0)
    lines_[static_cast<size_t>(i)] = std::move(line);
  else
    lines_.push_back(std::move(line));
}

std::string TOptionsList::Text() const {
  return JoinLines(lines_);
}

void TOptionsList::SetText(std::string_view text) {
  lines_ = SplitLines(text);
}

void TOptionsList::LoadFromTextFile(const std::string& path) {
  SetText(FileToString(path));
}

void TOptionsList::SaveToTextFile(const std::string& path) const {
  StringToFile(path, Text());
}

std::string TOptionsList::GetString(std::string_view key) const {
  return DecodeValue(RawValue(key));
}

void TOptionsList::SetString(std::string_view key, std::string_view value) {
  SetRawValue(key, EncodeValue(value));
}

bool TOptionsList::GetBool(std::string_view key) const {
  return GetString(key) == "TRUE";
}

void TOptionsList::SetBool(std::string_view key, bool flag) {
  SetString(key, flag ? "TRUE" : "FALSE");
}

int TOptionsList::GetInt(std::string_view key) const {
  std::string v = GetString(key);
  if (v.empty()) return -1;
  return StrToInt(v);
}

void TOptionsList::SetInt(std::string_view key, int n) {
  SetString(key, std::to_string(n));
}

std::string TOptionsList::GetValueAt(int i) const {
  std::string name = NameAt(i);
  if (!name.empty()) return GetString(name);
  return DecodeValue(Line(i));
}

void TOptionsList::SetValueAt(int i, std::string_view value) {
  std::string name = NameAt(i);
  if (!name.empty())
    SetString(name, value);
  else
    SetLine(i, EncodeValue(value));
}

void TOptionsList::SaveToStream(TStream& s) const {
  WriteStringToStream(s, Text());
}

void TOptionsList::LoadFromStream(TStream& s) {
  SetText(s.ReadToEnd());
}

// --- TMultiOptions

TOptionsList* TMultiOptions::AddSection() {
  int i = AddNew();
  auto* section = static_cast<TOptionsList*>(ItemAt(i));
  section->owner_tree = this;
  return section;
}

TOptionsList* TMultiOptions::FindSection(std::string_view name) const {
  for (const auto& item : items_) {
    auto* section = static_cast<TOptionsList*>(item.get());
    if (section->Name == name) return section;
  }
  return nullptr;
}

int TMultiOptions::IndexOfSection(std::string_view name) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (static_cast<TOptionsList*>(items_[i].get())->Name == name) return static_cast<int>(i);
  return -1;
}

TOptionsList& TMultiOptions::Section(std::string_view name) {
  if (TOptionsList* found = FindSection(name)) return *found;
  TOptionsList* section = AddSection();
  section->Name = std::string(name);
  return *section;
}

TOptionsList& TMultiOptions::SectionAt(int i) {
  auto* section = static_cast<TOptionsList*>(ItemAt(i));
  section->Index = i;
  return *section;
}

const TOptionsList& TMultiOptions::SectionAt(int i) const {
  auto* section = static_cast<TOptionsList*>(ItemAt(i));
  section->Index = i;
  return *section;
}

void TMultiOptions::DeleteSection(std::string_view name) {
  int i = IndexOfSection(name);
  if (i >= 0) Delete(i);
}

std::string TMultiOptions::Text() const {
  std::string out;
  for (const auto& item : items_) {
    const auto& section = static_cast<const TOptionsList&>(*item);
    out.append("[").append(section.Name).append("]\r\n");
    for (const std::string& line : section.Lines()) out.append(line).append("\r\n");
    out.append("\r\n");
  }
  return out;
}

void TMultiOptions::SetText(std::string_view text) {
  Clear();
  TOptionsList* current = nullptr;
  for (std::string& line : SplitLines(text)) {
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
      current = &Section(std::string_view(line).substr(1, line.size() - 2));
      current->Clear();  // a repeated header keeps only its last group of lines
      continue;
    }
    if (current) current->AddLine(std::move(line));
  }
}

void TMultiOptions::LoadFromTextFile(const std::string& path) {
  SetText(FileToString(path));
}

void TMultiOptions::SaveToTextFile(const std::string& path) const {
  StringToFile(path, Text());
}

void TMultiOptions::SaveToStream(TStream& s) const {
  WriteStringToStream(s, Text());
}

void TMultiOptions::LoadFromStream(TStream& s) {
  SetText(s.ReadToEnd());
}

std::unique_ptr<TPersistObj> TMultiOptions::CreateItem() {
  return std::make_unique<TOptionsList>();
}

}  // namespace quillora
