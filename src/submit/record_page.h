// The product editor's HTML pages as record fields: each form's controls are bound to record
// keys (form name, or the page caption, + "/" + control name), filled from a record and stored
// back into it. The page itself is read and written by whoever shows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {

class THtmlDocument;

enum class TPageFieldKind {
  Text,      // text-like inputs: shown and stored
  CheckBox,  // checked when the stored value is its value
  Radio,
  List,  // SELECT
  TextArea,
  Other,  // any other input (hidden, file, buttons...): stored, never filled
};

struct TPageOption {
  std::string value;  // its value attribute, its text when that is empty
  bool selected = false;
};

// One control of a page form. Texts are in the record's encoding.
struct TPageField {
  TPageFieldKind kind = TPageFieldKind::Other;
  std::string name;
  std::string value;
  bool checked = false;
  bool multiple = false;
  std::vector<TPageOption> options;
  // Set by LoadPageForms when it changed what the page shows: the page writes these back.
  bool changed = false;
};

struct TPageForm {
  std::string name;
  // The form's controls in the form's element order; controls that bind nothing (buttons,
  // fieldsets, nameless controls) may be left out by the reader or are ignored here.
  std::vector<TPageField> fields;
};

// The kind of a control from its tag and input type (either case); false when the control binds
// nothing (a BUTTON, FIELDSET, OUTPUT...).
bool PageFieldKindOf(std::string_view tag, std::string_view type, TPageFieldKind& kind);

// "Affiliates/" for a form named Affiliates, the page caption + "/" for a form without a name.
std::string PageKeyPrefix(const TPageForm& form, const std::string& caption);

// Shows the record's values in the forms; marks each field it changed.
void LoadPageForms(const TOptionsList& record, const std::string& caption,
                   std::vector<TPageForm>& forms);
// Writes what the forms show into the record.
void StorePageForms(const std::vector<TPageForm>& forms, const std::string& caption,
                    TOptionsList& record);

// The forms of an in-memory document, as the browser page's reader gives them.
std::vector<TPageForm> PageFormsOf(const THtmlDocument& document);

}  // namespace quillora
