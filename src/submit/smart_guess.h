// Smart guessing: rules and choices for a captured form that no stored form matches, read from
// each control's evidence (labels, name words, placeholder, pattern, size, group, options) and
// scored with the weighted vocabulary of "smart_guess.dat".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"
#include "sites/web_forms.h"
#include "submit/document_model.h"
#include "submit/form_binding.h"

namespace quillora {

// What the markup says about one control. Texts are normalised (NormalizeEvidenceText) unless
// noted otherwise.
struct TControlEvidence {
  bool present = false;  // false for elements the form's markup does not hold
  std::string label;     // <label for>, wrapping <label>, aria-labelledby, aria-label, title
  std::string cell;      // the table cell to the left, or the header cell above
  std::string context;   // the nearest text before the control that no other control owns
  std::string after;     // the text right after it: a box's own label, a unit
  std::string group;     // a box's group: its legend or the text before the group's first box
  std::string name;      // name and id split into words, framework parts dropped
  std::string placeholder;
  std::string hints;  // raw lower-case label, placeholder, pattern and nearby text (formats)
  std::u16string tag, type;
  int max_length = -1;  // -1: the markup sets none
  int size = -1;
  bool multiple = false;
  std::vector<std::string> options;  // option texts
  std::string value;                 // the value attribute
};

// Lower case, accents folded, every run of other characters one blank, a blank at both ends:
// " kurzbeschreibung max 45 zeichen ".
std::string NormalizeEvidenceText(std::u16string_view text);
std::string NormalizeEvidenceText(std::string_view utf8);
// A control name as words: "ctl00$main$txtProgramName" -> " program name ".
std::string NameWords(std::string_view name);

// The evidence of every element of the live form, by element index. Read from the form's
// markup, once, in time linear in its size.
std::vector<TControlEvidence> ReadControlEvidence(TDomForm* form);

// The profile key (or "@class") the evidence of a text-like control names most strongly; empty
// when nothing reaches the threshold.
std::string SmartTextKey(const TControlEvidence& evidence);

// True when the "Smart Guessing" setting is on.
bool SmartGuessingEnabled();

// What the smart guesser decided beyond the rules it wrote: options it selects itself (a
// localised list the list rules cannot match) and boxes left for the user's attention.
struct TSmartChoices {
  struct TListChoice {
    int field = 0;
    std::vector<int> options;
  };
  std::vector<TListChoice> lists;
  std::vector<int> attention;  // consent boxes, left as they are
};

// Proposes a rule for every field of a freshly captured form. values: the fill's working
// profile (FillValues).
TSmartChoices SmartAssignTemplates(TWebForm& web_form, TDomForm* form, const TOptionsList& values);
// Selects the chosen options and colours the boxes that need the user's attention, after the
// form was filled in mode 0.
void ApplySmartChoices(const TSmartChoices& choices, const TWebForm& web_form,
                       const TFormBinding& binding);

}  // namespace quillora
