// The form-filling engine: walks a page's documents and frames, recognises each form as one of
// the site's stored forms (or captures it and guesses its rules), fills every field from its
// rule against the active profile, colours the filled controls, and recognises submissions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"
#include "sites/web_forms.h"
#include "submit/document_model.h"
#include "submit/form_binding.h"

namespace quillora {

class TWebSite;
class TProfile;

// Which colours a fill uses: rules guessed for an unknown form, a stored form recognised by its
// fingerprint, or a stored form recognised by page address and field count.
enum TFillMode : int { fmGuessed = 0, fmKnown = 1, fmSimilar = 2 };

// --- Document walk -------------------------------------------------------------------------------

using TDocumentCallback = std::function<void(TDomDocument& document)>;
// The document, then the document of every embedded frame, depth first. A callback's exception
// does not stop the walk.
void ForEachDocument(TDomDocument* document, const TDocumentCallback& callback);
// Loaded far enough, with at least one form whose elements are all at least interactive.
bool IsDocumentReady(TDomDocument* document);

// --- Filling -------------------------------------------------------------------------------------

// Told about every form the fill ran on, with its mode and the purpose it returned.
using TFillObserver = std::function<void(TDomForm* form, TFillMode mode, TFormPurpose purpose)>;

// The fill walk's record: what it was asked and what it found.
struct TData1 {
  bool only_known_forms = false;
  TWebSite* site = nullptr;
  TFormPurpose result = fpNone;     // the purpose of the last recognised stored form
  TDomForm* result_form = nullptr;  // the form that produced it
  TFillObserver observer;
};

// Fills the forms of every document (only those matching a stored form when only_known_forms);
// timed as "Forms.Fill". Returns the walk record with the last non-zero purpose and its form.
// The stored forms the fill recognised stay bound to their page forms in `binding`.
TData1 FillDocument(TDomDocument* document, TWebSite* site, bool only_known_forms,
                    TFormBinding& binding, TFillObserver observer = {});
// The same for a caller that keeps no links to the page.
TData1 FillDocument(TDomDocument* document, TWebSite* site, bool only_known_forms,
                    TFillObserver observer = {});
// Fills one live form; the stored form's purpose when it was recognised by fingerprint, else
// fpNone. A recognised stored form stays bound to the form in `binding`; the forms captured
// for the fill are bound only while it runs.
TFormPurpose FillFormElement(TDomForm* form, TWebSite* site, TFormBinding& binding,
                             TFillMode* mode_out = nullptr);
// The values a fill expands rules against: a copy of the active profile with the derived
// variables of the translation table.
TOptionsList FillValues(TWebSite* site);
// Binds web_form to the live form in `binding`, then fills every field into its control.
void FillForm(TDomForm* form, TWebForm& web_form, TFillMode mode, TWebSite* site,
              TFormBinding& binding);
// Fills the field into its live control; false when there is none (element nullptr).
bool FillField(TFormField& field, TDomElement* element, TFillMode mode, const TOptionsList& values,
               TWebSite* site);

// Clears the binding and binds each stored form of the site whose fingerprint a live form of
// the page carries to that form; timed as "Forms.Update".
void LinkLiveForms(TDomDocument* document, TWebSite* site, TFormBinding& binding);
// The focused INPUT, SELECT, TEXTAREA or BUTTON of any frame (the last found), and its form.
TDomElement* FocusedControl(TDomDocument* document);
TDomForm* FocusedForm(TDomDocument* document);

// The fingerprints of a live form: "FNG2.0-" plus the first and last character of every named
// control that is not a hidden input; the old one without the prefix and with hidden inputs.
std::string LiveFingerprint(TDomForm* form);
std::string LiveOldFingerprint(TDomForm* form);

// --- Capture and rules ---------------------------------------------------------------------------

// Fills the record's fields from the live form it was taken from (its OuterHTML already set).
void CaptureForm(TDomForm* form, TWebForm& web_form);
// Sets the outer HTML, name, inner text, action, encoding, method and page address of web_form
// from the live form, then captures it.
void CaptureLiveForm(TDomForm* form, TWebForm& web_form);
// The plain text between two controls: tags removed, a few entities decoded, control characters
// folded into one blank.
std::string ContextText(std::u16string_view html);
// The rule the option texts of a list suggest, or empty.
std::string GuessListRule(const std::vector<std::string>& options, std::string_view field_name);
// "|key|" of the first "aliases.dat" rule (last to first) whose name pattern matches the name,
// else whose context pattern matches the context; empty when none does.
std::string GuessKey(std::string_view name, std::string_view context);
// True when the lower-case text contains the pattern's first term and every "+" term and no
// "-" term.
bool AliasPatternMatches(std::string_view pattern, std::string_view text);
// Proposes rules for fields without one: learn mode templatizes the captured values, guess mode
// guesses keys from names and context texts.
void AssignTemplates(TWebForm& web_form, bool learn);
// Picks description lengths and short forms that fit each field's size.
void AdjustTemplatesToSize(TWebForm& web_form, bool keep_logins);

// The stored form of the site that a navigation submits, or nullptr.
TWebForm* FindSubmittedForm(TWebSite* site, std::string_view page_url, std::string_view target_url,
                            double threshold, std::string_view post_data, std::string_view headers);

// --- List filling (list_filling.cpp) -------------------------------------------------------------

// Fills a SELECT from the field's rule; false when no option matched well enough (the list
// is then coloured red).
bool FillListField(TFormField& field, TDomElement& element, TFillMode mode,
                   const TOptionsList& values, std::string_view language_prefix);
// The fuzzy overlap of needle in haystack (both lower case).
int FuzzyScore(std::string_view needle, std::string_view haystack);

}  // namespace quillora
