#include "sites/web_forms.h"

#include <cstdlib>
#include <stdexcept>

#include "foundation/binary_read.h"
#include "foundation/codepage.h"
#include "foundation/text_utils.h"
#include "sites/site.h"

namespace quillora {

// --- TFormField ---------------------------------------------------------------------------------

namespace {

constexpr const char* kFieldTypeTexts[] = {"Unknown", "Text",   "Area",   "Check", "Radio",
                                           "List",    "Button", "Hidden", "File",  "Password"};

}  // namespace

TFormField::TFormField() {
  SetString("Field Type", "Unknown");
}

const char* TFormField::FieldTypeText(int code) {
  const int c = ((code % 128) + 128) % 128;
  return c >= 1 && c <= 9 ? kFieldTypeTexts[c] : kFieldTypeTexts[0];
}

TFieldType TFormField::FieldTypeFromText(std::string_view text) {
  for (int i = 1; i <= 9; ++i)
    if (text == kFieldTypeTexts[i]) return static_cast<TFieldType>(i);
  return ftUnknown;
}

std::vector<std::string>& TFormField::Options() {
  OptionList = ParseCommaText(GetString("Field Options"));
  return OptionList;
}

void TFormField::StoreOptions() {
  SetString("Field Options", MakeCommaText(OptionList));
}

// --- Comma text ---------------------------------------------------------------------------------

namespace {

bool IsBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= ' ';
}

}  // namespace

std::vector<std::string> ParseCommaText(std::string_view text) {
  if (size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  std::vector<std::string> items;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  while (i < n) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      const size_t start = i;
      while (i<n&& static_cast<unsigned char>(text[i])> ' ' && text[i] != ',') ++i;
      item.assign(text.substr(start, i - start));
    }
    items.push_back(std::move(item));
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && text[i] == ',') {
      if (i + 1 == n) items.emplace_back();
      do ++i;
      while (i < n && IsBlank(text[i]));
    }
  }
  return items;
}

std::string MakeCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (size_t k = 0; k < items.size(); ++k) {
    const std::string& s = items[k];
    bool quote = false;
    for (char c : s)
      if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',') quote = true;
    if (k) out += ',';
    if (!quote) {
      out += s;
      continue;
    }
    out += '"';
    for (char c : s) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

// --- TWebForm -----------------------------------------------------------------------------------

TWebForm::TWebForm() : Created(Now()) {}

TFormsList* TWebForm::FormsList() const {
  return dynamic_cast<TFormsList*>(Owner());
}

TFormField& TWebForm::AddField() {
  return static_cast<TFormField&>(*AddSection());
}

TFormField& TWebForm::FieldAt(int i) {
  return static_cast<TFormField&>(SectionAt(i));
}

const TFormField& TWebForm::FieldAt(int i) const {
  return static_cast<const TFormField&>(SectionAt(i));
}

TFormField* TWebForm::FieldByName(std::string_view name) {
  for (int i = 0; i < Count(); ++i) {
    TFormField& f = FieldAt(i);
    if (f.FieldName() == name) return &f;
  }
  return nullptr;
}

void TWebForm::Assign(const TPersistObjList& source) {
  if (&source == this) return;
  const auto* other = dynamic_cast<const TWebForm*>(&source);
  if (!other) {
    TMultiOptions::Assign(source);
    return;
  }
  Clear();
  for (int i = 0; i < other->Count(); ++i) {
    TFormField& field = AddField();
    static_cast<TOptionsList&>(field) = other->FieldAt(i);  // lines, Index and Name
  }
  FormName = other->FormName;
  Action = other->Action;
  Method = other->Method;
  Encoding = other->Encoding;
  URL = other->URL;
  OuterHTML = other->OuterHTML;
  InnerText = other->InnerText;
  Fingerprint = other->Fingerprint;
  Purpose = other->Purpose;
  Created = other->Created;
  LastUpdated = other->LastUpdated;
}

std::string TWebForm::ComputeFingerprint(const TWebForm& form) {
  std::string fp = "FNG2.0-";
  for (int i = 0; i < form.Count(); ++i) {
    const TFormField& f = form.FieldAt(i);
    if (f.FieldType() == ftHidden) continue;
    const std::string name = f.FieldName();
    if (name.empty()) continue;
    fp += name.front();
    fp += name.back();
  }
  return fp;
}

void TWebForm::UpdateFingerprint() {
  Fingerprint = ComputeFingerprint(*this);
}

bool TWebForm::HasHiddenFields() const {
  for (int i = 0; i < Count(); ++i)
    if (FieldAt(i).FieldType() == ftHidden) return true;
  return false;
}

void TWebForm::ClearHiddenValues() {
  for (int i = 0; i < Count(); ++i) {
    TFormField& f = FieldAt(i);
    if (f.FieldType() == ftHidden) f.SetString("Field Value", "");
  }
}

void TWebForm::SaveToStream(TStream& s) const {
  WriteShortStr(s, FormName);
  WriteShortStr(s, Action);
  s.Write(&Method, 1);
  WriteShortStr(s, URL);
  WriteShortStr(s, Encoding);
  WriteShortStr(s, "");  // the place of the inner text, which is never kept
  WriteShortStr(s, Fingerprint);
  s.Write(&Purpose, 1);
  WriteSizedDouble(s, Created);
  WriteSizedDouble(s, LastUpdated);
  // The list options only mean something while their page is shown; the file never keeps them.
  std::string text;
  for (int i = 0; i < Count(); ++i) {
    const TFormField& f = FieldAt(i);
    text.append("[").append(f.Name).append("]\r\n");
    const int skip = f.IndexOfName("Field Options");
    for (int k = 0; k < f.Count(); ++k)
      if (k != skip) text.append(f.Line(k)).append("\r\n");
    text.append("\r\n");
  }
  WriteStringToStream(s, text);
}

void TWebForm::LoadFromStream(TStream& s) {
  Clear();
  ReadHeader(s);
  SetText(s.ReadToEnd());
}

void TWebForm::ReadHeader(TStream& s) {
  FormName = ReadShortStrStrict(s, "a form's name");
  Action = ReadShortStrStrict(s, "a form's action");
  Method = static_cast<TFormMethod>(ReadByteStrict(s, "a form's method"));
  URL = ReadShortStrStrict(s, "a form's page address");
  Encoding = ReadShortStrStrict(s, "a form's encoding");
  InnerText = ReadShortStrStrict(s, "a form's text");
  Fingerprint = ReadShortStrStrict(s, "a form's fingerprint");
  Purpose = static_cast<TFormPurpose>(ReadByteStrict(s, "a form's purpose"));
  Created = ReadSizedDoubleStrict(s, "a form's creation date");
  LastUpdated = ReadSizedDoubleStrict(s, "a form's update date");
}

std::unique_ptr<TPersistObj> TWebForm::CreateItem() {
  return std::make_unique<TFormField>();
}

// --- TFormsList ---------------------------------------------------------------------------------

TWebForm& TFormsList::AddForm() {
  return *FormAt(AddNew());
}

void TFormsList::SaveToStream(TStream& s) const {
  WriteSizedInt(s, Count());
  TMemoryStream scratch;
  for (int i = 0; i < Count(); ++i) {
    FormAt(i)->SaveToStream(scratch);
    WriteBlob(s, scratch);
  }
}

void TFormsList::LoadFromStream(TStream& s) {
  LoadForms(s, Site && Site->Signature() == "WSD 1.0");
}

void TFormsList::LoadForms(TStream& s, bool unwrapped) {
  ReadForms(s, unwrapped, this);
}

void TFormsList::CheckForms(TStream& s, bool unwrapped) {
  const int64_t start = s.Position();
  ReadForms(s, unwrapped, nullptr);
  s.SetPosition(start);
}

void TFormsList::ReadForms(TStream& s, bool unwrapped, TFormsList* into) {
  if (into) into->Clear();
  const int32_t n = ReadSizedIntStrict(s, "the form count");
  // Each wrapped form takes at least its 4-byte size; unwrapped ones may read as empty, so only
  // the fixed cap bounds them.
  if (n < 0 || n > kMaxFormsPerSite || (!unwrapped && n > s.Remaining() / 4))
    throw std::runtime_error("Damaged data: a list of " + std::to_string(n) + " forms");
  if (into) into->SetItemCount(n);
  // Without a list only the binary part of each form is read: the field text cannot be damaged.
  TWebForm check;
  const auto read = [&](TWebForm& form, TStream& from) {
    if (into) {
      form.LoadFromStream(from);
    } else {
      form.ReadHeader(from);
      from.SetPosition(from.Size());
    }
  };
  TMemoryStream scratch;
  for (int i = 0; i < n; ++i) {
    TWebForm& form = into ? *into->FormAt(i) : check;
    if (unwrapped) {
      // The first form's field text ran to the end of the block; the rest have nothing left.
      if (s.Remaining() > 0) read(form, s);
      continue;
    }
    ReadBlobStrict(s, scratch, "a stored form");
    read(form, scratch);
  }
}

TWebForm* TFormsList::FindByFingerprint(std::string_view old_fingerprint,
                                        std::string_view new_fingerprint) const {
  if (new_fingerprint.empty()) return nullptr;
  for (int i = 0; i < Count(); ++i) {
    TWebForm* f = FormAt(i);
    if (f->Fingerprint == new_fingerprint || f->Fingerprint == old_fingerprint) return f;
  }
  return nullptr;
}

TWebForm* TFormsList::FindSimilar(std::string_view page_url, int element_count) const {
  TWebForm* best = nullptr;
  size_t best_score = 0;
  int best_count = 0;
  const int L = element_count;
  for (int i = Count() - 1; i >= 0; --i) {
    TWebForm* form = FormAt(i);
    const int C = form->FieldCount();
    const int m = std::min(C, L);
    if (!(std::abs(C - L) < 2 * m / 3)) continue;
    const std::string_view url = form->URL;
    const size_t shorter = std::min(page_url.size(), url.size());
    size_t score = 0;
    while (score < shorter && page_url[score] == url[score]) ++score;
    if (score < 2 * shorter / 3) score = 0;
    if (score < best_score) continue;
    if (std::abs(C - L) > std::abs(best_count - L)) continue;
    best = form;
    best_score = score;
    best_count = C;
  }
  return best;
}

std::unique_ptr<TPersistObj> TFormsList::CreateItem() {
  return std::make_unique<TWebForm>();
}

// --- Rules exchange -----------------------------------------------------------------------------

void ExportRules(const TWebForm& form, TMultiOptions& rules) {
  rules.Clear();
  TOptionsList& fill = rules.Section("Fill with");
  TOptionsList& ignore = rules.Section("Ignore");
  TOptionsList& login = rules.Section("Treat as login");
  for (int i = 0; i < form.FieldCount(); ++i) {
    const TFormField& f = form.FieldAt(i);
    const std::string name = f.FieldName();
    if (name.empty()) continue;
    fill.AddLine(name + "=" + EncodeValue(f.FillWith()));
    ignore.AddLine(name + (f.IsIgnored() ? "=TRUE" : "=FALSE"));
    login.AddLine(name + (f.IsLogin() ? "=TRUE" : "=FALSE"));
  }
}

namespace {

std::vector<std::string> LinesOf(const TMultiOptions& rules, std::string_view section) {
  const TOptionsList* list = rules.FindSection(section);
  return list ? list->Lines() : std::vector<std::string>();
}

std::string NameOf(const std::string& line) {
  const size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

// The raw text after the first "=" of line p; false when the section has no line p.
bool RawValueAt(const std::vector<std::string>& lines, size_t p, std::string& value) {
  if (p >= lines.size()) return false;
  const size_t eq = lines[p].find('=');
  value = eq == std::string::npos ? std::string() : lines[p].substr(eq + 1);
  return true;
}

}  // namespace

void ImportRules(TWebForm& form, const TMultiOptions& rules) {
  // Lines are consumed as fields take them, so work on copies of the three sections.
  std::vector<std::string> fill = LinesOf(rules, "Fill with");
  std::vector<std::string> ignore = LinesOf(rules, "Ignore");
  std::vector<std::string> login = LinesOf(rules, "Treat as login");
  for (int i = 0; i < form.FieldCount(); ++i) {
    TFormField& f = form.FieldAt(i);
    const std::string name = f.FieldName();
    if (name.empty()) continue;
    size_t p = 0;
    while (p < fill.size() && NameOf(fill[p]) != name) ++p;
    if (p == fill.size()) continue;
    std::string raw;
    RawValueAt(fill, p, raw);
    f.SetFillWith(DecodeValue(raw));
    // A section shorter than "Fill with" has no word on this field: that flag stays as it is.
    if (RawValueAt(ignore, p, raw)) f.SetIgnored(AnsiLowerCase(raw) == "true");
    if (RawValueAt(login, p, raw)) f.SetLogin(AnsiLowerCase(raw) == "true");
    fill.erase(fill.begin() + static_cast<std::ptrdiff_t>(p));
    if (p < ignore.size()) ignore.erase(ignore.begin() + static_cast<std::ptrdiff_t>(p));
    if (p < login.size()) login.erase(login.begin() + static_cast<std::ptrdiff_t>(p));
  }
}

void SaveRulesFile(const TWebForm& form, const std::string& path) {
  TMultiOptions rules;
  ExportRules(form, rules);
  rules.SaveToTextFile(path);
}

void LoadRulesFile(TWebForm& form, const std::string& path) {
  TMultiOptions rules;
  rules.LoadFromTextFile(path);
  ImportRules(form, rules);
}

}  // namespace quillora
