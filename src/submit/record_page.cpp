#include "submit/record_page.h"

#include "foundation/codepage.h"
#include "submit/html_document.h"

namespace quillora {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::vector<std::string> CommaParts(const std::string& value) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(',', start);
    parts.push_back(value.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

bool Binds(const TPageField& field) {
  // A nameless control would bind the bare prefix ("Affiliates/"), which is no record key.
  return !field.name.empty();
}

void LoadList(TPageField& field, const std::string& stored) {
  std::vector<std::string> parts;
  for (const std::string& part : CommaParts(stored)) parts.push_back(AnsiLowerCase(part));
  auto matches = [&](const TPageOption& option) {
    const std::string value = AnsiLowerCase(option.value);
    for (const std::string& part : parts)
      if (part == value) return true;
    return false;
  };
  if (field.multiple) {
    // The stored value decides every option: options the page preselects but the record does
    // not name would otherwise creep into the record on the next save.
    for (TPageOption& option : field.options) {
      const bool select = matches(option);
      if (option.selected != select) field.changed = true;
      option.selected = select;
    }
    return;
  }
  for (size_t i = 0; i < field.options.size(); ++i) {
    if (!matches(field.options[i])) continue;
    for (size_t j = 0; j < field.options.size(); ++j) {
      const bool select = j == i;
      if (field.options[j].selected != select) field.changed = true;
      field.options[j].selected = select;
    }
    return;
  }
}

}  // namespace

bool PageFieldKindOf(std::string_view tag, std::string_view type, TPageFieldKind& kind) {
  const std::string t = Lower(tag);
  if (t == "select") {
    kind = TPageFieldKind::List;
    return true;
  }
  if (t == "textarea") {
    kind = TPageFieldKind::TextArea;
    return true;
  }
  if (t != "input") return false;
  const std::string y = Lower(type);
  if (y == "checkbox")
    kind = TPageFieldKind::CheckBox;
  else if (y == "radio")
    kind = TPageFieldKind::Radio;
  else if (y.empty() || y == "text" || y == "password" || y == "email" || y == "url" ||
           y == "tel" || y == "search" || y == "number")
    kind = TPageFieldKind::Text;
  else
    kind = TPageFieldKind::Other;
  return true;
}

std::string PageKeyPrefix(const TPageForm& form, const std::string& caption) {
  return (form.name.empty() ? caption : form.name) + "/";
}

void LoadPageForms(const TOptionsList& record, const std::string& caption,
                   std::vector<TPageForm>& forms) {
  for (TPageForm& form : forms) {
    const std::string prefix = PageKeyPrefix(form, caption);
    for (TPageField& field : form.fields) {
      if (!Binds(field)) continue;
      const std::string stored = record.GetString(prefix + field.name);
      switch (field.kind) {
        case TPageFieldKind::Text:
        case TPageFieldKind::TextArea:
          if (field.value != stored) field.changed = true;
          field.value = stored;
          break;
        case TPageFieldKind::CheckBox:
        case TPageFieldKind::Radio: {
          const bool check = stored == field.value;
          if (field.checked != check) field.changed = true;
          field.checked = check;
          break;
        }
        case TPageFieldKind::List:
          LoadList(field, stored);
          break;
        case TPageFieldKind::Other:
          break;
      }
    }
  }
}

void StorePageForms(const std::vector<TPageForm>& forms, const std::string& caption,
                    TOptionsList& record) {
  // A radio group's key goes first, so that a group with nothing checked leaves no key behind.
  for (const TPageForm& form : forms)
    for (const TPageField& field : form.fields)
      if (Binds(field) && field.kind == TPageFieldKind::Radio)
        record.SetString(PageKeyPrefix(form, caption) + field.name, "");
  for (const TPageForm& form : forms) {
    const std::string prefix = PageKeyPrefix(form, caption);
    for (const TPageField& field : form.fields) {
      if (!Binds(field)) continue;
      const std::string key = prefix + field.name;
      switch (field.kind) {
        case TPageFieldKind::CheckBox:
          record.SetString(key, field.checked ? field.value : std::string());
          break;
        case TPageFieldKind::Radio:
          if (field.checked) record.SetString(key, field.value);
          break;
        case TPageFieldKind::List: {
          std::string joined;
          for (const TPageOption& option : field.options) {
            if (!option.selected) continue;
            if (!joined.empty()) joined += ",";
            joined += option.value;
            if (!field.multiple) break;
          }
          record.SetString(key, joined);
          break;
        }
        case TPageFieldKind::Text:
        case TPageFieldKind::TextArea:
        case TPageFieldKind::Other:
          record.SetString(key, field.value);
          break;
      }
    }
  }
}

std::vector<TPageForm> PageFormsOf(const THtmlDocument& document) {
  std::vector<TPageForm> forms;
  for (int f = 0; f < document.FormCount(); ++f) {
    const TDomForm* dom_form = document.FormAt(f);
    TPageForm form;
    form.name = WideToAnsi(dom_form->Name());
    for (int e = 0; e < dom_form->ElementCount(); ++e) {
      const auto* element = static_cast<const THtmlElement*>(dom_form->ElementAt(e));
      TPageField field;
      if (!PageFieldKindOf(WideToAnsi(element->TagName()), WideToAnsi(element->Type()), field.kind))
        continue;
      field.name = WideToAnsi(element->Name());
      field.value = WideToAnsi(element->Value());
      const bool button =
          field.kind == TPageFieldKind::CheckBox || field.kind == TPageFieldKind::Radio;
      // A check box or radio button without a value attribute submits (and here binds) "on".
      if (button && !element->HasAttribute(u"value")) field.value = "on";
      field.checked = element->Checked();
      field.multiple = element->Multiple();
      for (int o = 0; o < element->OptionCount(); ++o) {
        const auto* option = static_cast<const THtmlOption*>(element->OptionAt(o));
        const std::u16string value = option->Value();
        field.options.push_back(
            {WideToAnsi(value.empty() ? option->Text() : value), option->Selected()});
      }
      form.fields.push_back(std::move(field));
    }
    forms.push_back(std::move(form));
  }
  return forms;
}

}  // namespace quillora
