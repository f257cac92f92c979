// The links between stored forms and a live page: which page form each stored form was bound
// to and which page control each stored field fills. Whoever holds the page owns them (one fill,
// or the submitter page for as long as its document lives); the stored records never do.
#pragma once

#include <unordered_map>

#include "sites/web_forms.h"
#include "submit/document_model.h"

namespace quillora {

// Stored forms and fields are known by identity: the binding neither owns nor reads them after
// Bind, so links to a form that was deleted or replaced must be dropped (Unbind or Clear) before
// the binding is asked about a new record at the same address. The page's objects must outlive
// their links, like every object a document hands out.
class TFormBinding {
 public:
  // Links the stored form and each of its fields to the page form (nullptr: unlinks them):
  // a field takes the element at its own position when that element carries the field's name,
  // else the element at its captured "Field Index" when that one carries it, else the element
  // of that name (or none). A page that cannot answer leaves the field without an element.
  // Never fails.
  void Bind(const TWebForm& form, TDomForm* page_form);
  // Drops the links of the form and of its present fields.
  void Unbind(const TWebForm& form);
  void Clear();

  // The page form the stored form is bound to; nullptr when it is not.
  TDomForm* LiveForm(const TWebForm& form) const;
  // The page control of a bound field; nullptr when the field is not bound or the page has no
  // control for it (filling skips such fields).
  TDomElement* LiveElement(const TFormField& field) const;

 private:
  std::unordered_map<const TWebForm*, TDomForm*> forms_;
  std::unordered_map<const TFormField*, TDomElement*> elements_;
};

}  // namespace quillora
