#include "submit/form_binding.h"

#include <stdexcept>
#include <string>

#include "foundation/codepage.h"
#include "foundation/text_utils.h"

namespace quillora {

namespace {

// The page control a stored field fills in page_form, or nullptr.
TDomElement* ChooseElement(const TFormField& field, int position, TDomForm& page_form) {
  const std::u16string name = AnsiToWide(field.FieldName());
  // The captured index comes first: when the page lists elements the form has no field for (a
  // fieldset before the controls), the field's position points at an earlier element, and in a
  // radio group or a check-box list sharing one name that element carries the same name.
  try {
    int index = -1;
    if (field.HasKey("Field Index") && TryStrToInt(field.GetString("Field Index"), index)) {
      TDomElement* element = page_form.ElementAt(index);
      if (element && element->Name() == name) return element;
    }
  } catch (const std::exception&) {
    // A page that cannot hand out the captured element is not guessed at by name.
    return nullptr;
  }
  try {
    TDomElement* element = page_form.ElementAt(position);
    if (element && element->Name() == name) return element;
  } catch (const std::exception&) {
    // A page that cannot hand out the element at this position may still know it by name.
  }
  try {
    // A look-up by name gives every button of a group the first one, so it comes last.
    return page_form.ElementByName(name);
  } catch (const std::exception&) {
    return nullptr;
  }
}

}  // namespace

void TFormBinding::Bind(const TWebForm& form, TDomForm* page_form) {
  if (!page_form) {
    Unbind(form);
    return;
  }
  forms_[&form] = page_form;
  for (int i = 0; i < form.FieldCount(); ++i) {
    const TFormField& field = form.FieldAt(i);
    elements_[&field] = ChooseElement(field, i, *page_form);
  }
}

void TFormBinding::Unbind(const TWebForm& form) {
  forms_.erase(&form);
  for (int i = 0; i < form.FieldCount(); ++i) elements_.erase(&form.FieldAt(i));
}

void TFormBinding::Clear() {
  forms_.clear();
  elements_.clear();
}

TDomForm* TFormBinding::LiveForm(const TWebForm& form) const {
  const auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second;
}

TDomElement* TFormBinding::LiveElement(const TFormField& field) const {
  const auto it = elements_.find(&field);
  return it == elements_.end() ? nullptr : it->second;
}

}  // namespace quillora
