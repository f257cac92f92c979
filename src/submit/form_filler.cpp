#include "submit/form_filler.h"

#include <algorithm>
#include <memory>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/encoding.h"
#include "foundation/monitors.h"
#include "foundation/text_utils.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "submit/smart_guess.h"
#include "template/template.h"
#include "template/url_helpers.h"

namespace quillora {

namespace {

bool IsControlTag(std::u16string_view tag) {
  return tag == u"INPUT" || tag == u"SELECT" || tag == u"TEXTAREA" || tag == u"BUTTON";
}

// The working values of one document walk: every form of a page fills from the same profile
// and site, so they are made once per walk instead of once per form.
struct TFillValuesCache {
  TWebSite* site = nullptr;
  std::unique_ptr<TOptionsList> values;
};
thread_local TFillValuesCache* g_fill_values = nullptr;

const TOptionsList& WorkingValues(TWebSite* site, std::unique_ptr<TOptionsList>& own) {
  if (g_fill_values && g_fill_values->site == site) {
    if (!g_fill_values->values)
      g_fill_values->values = std::make_unique<TOptionsList>(FillValues(site));
    return *g_fill_values->values;
  }
  own = std::make_unique<TOptionsList>(FillValues(site));
  return *own;
}

std::string LanguagePrefix(TWebSite* site) {
  if (!site) return {};
  const std::string language = site->Info.Value("Common info", "Language");
  return language.empty() ? std::string() : language + "/";
}

std::string Fingerprint(TDomForm* form, bool old_style) {
  std::string out = old_style ? "" : "FNG2.0-";
  const int n = form->ElementCount();
  for (int i = 0; i < n; ++i) {
    try {
      TDomElement* e = form->ElementAt(i);
      if (!e || !IsControlTag(e->TagName())) continue;
      if (!old_style && e->TagName() == u"INPUT" && e->Type() == u"hidden") continue;
      const std::string name = WideToAnsi(e->Name());
      if (name.empty()) continue;
      out.push_back(name.front());
      out.push_back(name.back());
    } catch (const std::exception&) {
      // An element the page cannot describe does not count.
    }
  }
  return out;
}

}  // namespace

std::string LiveFingerprint(TDomForm* form) {
  return Fingerprint(form, false);
}
std::string LiveOldFingerprint(TDomForm* form) {
  return Fingerprint(form, true);
}

// --- Walk
// ------------------------------------------------------------------------------------------

void ForEachDocument(TDomDocument* document, const TDocumentCallback& callback) {
  if (!document) return;
  // Frames nest a handful deep; a bound keeps a page that frames itself from running away.
  struct Item {
    TDomDocument* doc;
    int depth;
  };
  std::vector<Item> stack{{document, 0}};
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    try {
      callback(*item.doc);
    } catch (const std::exception&) {
      // One document's failure does not stop the walk.
    }
    if (item.depth >= 16) continue;
    try {
      const int n = item.doc->FrameCount();
      for (int i = n - 1; i >= 0; --i) {
        if (TDomDocument* frame = item.doc->FrameAt(i)) stack.push_back({frame, item.depth + 1});
      }
    } catch (const std::exception&) {
    }
  }
}

bool IsDocumentReady(TDomDocument* document) {
  try {
    if (!document) return false;
    const std::u16string state = document->ReadyState();
    if (state != u"interactive" && state != u"complete" && state != u"max") return false;
    const int forms = document->FormCount();
    if (forms < 1) return false;
    for (int f = 0; f < forms; ++f) {
      TDomForm* form = document->FormAt(f);
      if (!form) return false;
      for (int i = 0; i < form->ElementCount(); ++i) {
        TDomElement* e = form->ElementAt(i);
        if (!e || e->ReadyState() < 3) return false;
      }
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// --- Filling
// ---------------------------------------------------------------------------------------

TData1 FillDocument(TDomDocument* document, TWebSite* site, bool only_known_forms,
                    TFormBinding& binding, TFillObserver observer) {
  TMonitorScope timing("Forms.Fill");
  TFillValuesCache cache;
  cache.site = site;
  struct TRestore {
    TFillValuesCache* outer;
    ~TRestore() { g_fill_values = outer; }
  } restore{g_fill_values};
  g_fill_values = &cache;
  TData1 data;
  data.only_known_forms = only_known_forms;
  data.site = site;
  data.observer = std::move(observer);
  ForEachDocument(document, [&data, &binding](TDomDocument& doc) {
    const int forms = doc.FormCount();
    for (int f = 0; f < forms; ++f) {
      TDomForm* form = nullptr;
      try {
        form = doc.FormAt(f);
        if (!form) continue;
        if (data.only_known_forms) {
          if (!data.site) continue;
          if (!data.site->Forms().FindByFingerprint(LiveOldFingerprint(form),
                                                    LiveFingerprint(form))) {
            continue;
          }
        }
        TFillMode mode = fmGuessed;
        const TFormPurpose purpose = FillFormElement(form, data.site, binding, &mode);
        if (purpose != fpNone) {
          data.result = purpose;
          data.result_form = form;
        }
        if (data.observer) data.observer(form, mode, purpose);
      } catch (const std::exception&) {
        // The next form is filled all the same.
      }
    }
  });
  return data;
}

TData1 FillDocument(TDomDocument* document, TWebSite* site, bool only_known_forms,
                    TFillObserver observer) {
  TFormBinding binding;
  return FillDocument(document, site, only_known_forms, binding, std::move(observer));
}

namespace {

// The six login variables for this site, written into the active profile.
void SetLoginVariables(TProfile& profile, TWebSite* site) {
  const std::string common_login = profile.GetString("Quillora/Common_Login");
  const std::string common_password = profile.GetString("Quillora/Common_Password");
  profile.SetString("Common_Login", common_login);
  profile.SetString("Common_Password", common_password);
  std::string company_login, company_password, product_login, product_password;
  if (site) {
    const std::string uin = site->UIN();
    auto first = [&](TSiteValueKind a, TSiteValueKind b) {
      std::string v = profile.SiteValue(a, uin);
      return v.empty() ? profile.SiteValue(b, uin) : v;
    };
    company_login = first(TSiteValueKind::CompanySiteLogin, TSiteValueKind::ProductSiteLogin);
    product_login = first(TSiteValueKind::ProductSiteLogin, TSiteValueKind::CompanySiteLogin);
    company_password =
        first(TSiteValueKind::CompanySitePassword, TSiteValueKind::ProductSitePassword);
    product_password =
        first(TSiteValueKind::ProductSitePassword, TSiteValueKind::CompanySitePassword);
  }
  profile.SetString("Company_Login", company_login.empty() ? common_login : company_login);
  profile.SetString("Product_Login", product_login.empty() ? common_login : product_login);
  profile.SetString("Company_Password",
                    company_password.empty() ? common_password : company_password);
  profile.SetString("Product_Password",
                    product_password.empty() ? common_password : product_password);
}

}  // namespace

TFormPurpose FillFormElement(TDomForm* form, TWebSite* site, TFormBinding& binding,
                             TFillMode* mode_out) {
  if (!form) return fpNone;
  TProfile& profile = ActiveProfile();
  SetLoginVariables(profile, site);
  if (mode_out) *mode_out = fmGuessed;

  TWebForm* known = nullptr;
  if (site)
    known = site->Forms().FindByFingerprint(LiveOldFingerprint(form), LiveFingerprint(form));
  if (known) {
    if (mode_out) *mode_out = fmKnown;
    FillForm(form, *known, fmKnown, site, binding);
    return known->Purpose;
  }

  if (site) {
    const std::string url = WideToAnsi(form->Document() ? form->Document()->URL() : u"");
    if (TWebForm* similar = site->Forms().FindSimilar(url, form->ElementCount())) {
      TWebForm captured;
      CaptureLiveForm(form, captured);
      for (int i = 0; i < captured.FieldCount(); ++i) {
        TFormField& field = captured.FieldAt(i);
        const std::string name = field.FieldName();
        TFormField* source = similar->FieldByName(name);
        for (int k = site->Forms().Count() - 1; !source && k >= 0; --k) {
          source = site->Forms().FormAt(k)->FieldByName(name);
        }
        if (!source) continue;
        // All settings travel, the captured position and options included.
        field.MutableLines() = source->Lines();
      }
      if (mode_out) *mode_out = fmSimilar;
      // The captured form goes with this fill: its links must not outlive it.
      TFormBinding passing;
      FillForm(form, captured, fmSimilar, site, passing);
      return fpNone;
    }
  }

  TWebForm captured;
  CaptureLiveForm(form, captured);
  TFormBinding passing;
  if (SmartGuessingEnabled()) {
    std::unique_ptr<TOptionsList> own;
    const TSmartChoices choices = SmartAssignTemplates(captured, form, WorkingValues(site, own));
    FillForm(form, captured, fmGuessed, site, passing);
    ApplySmartChoices(choices, captured, passing);
    return fpNone;
  }
  AssignTemplates(captured, false);
  AdjustTemplatesToSize(captured, true);
  FillForm(form, captured, fmGuessed, site, passing);
  return fpNone;
}

TOptionsList FillValues(TWebSite* site) {
  const TProfile& active = ActiveProfile();
  const std::string prefix = LanguagePrefix(site);
  TOptionsList values(static_cast<const TOptionsList&>(active));
  const TOptionsList& translate = Tables().translate;
  for (int i = 0; i < translate.Count(); ++i) {
    const std::string& line = translate.Line(i);
    const size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    const std::string name = line.substr(0, eq);
    std::string definition = line.substr(eq + 1);
    if (definition.find('|') == std::string::npos) {
      values.SetString(name, active.GetString(definition));
    } else {
      ExpandTemplateUtf8(active, kTemplateDelimiter, definition, prefix);
      values.SetString(name, definition);
    }
  }
  return values;
}

void FillForm(TDomForm* form, TWebForm& web_form, TFillMode mode, TWebSite* site,
              TFormBinding& binding) {
  std::unique_ptr<TOptionsList> own;
  const TOptionsList& values = WorkingValues(site, own);
  binding.Bind(web_form, form);
  for (int i = 0; i < web_form.FieldCount(); ++i) {
    try {
      TFormField& field = web_form.FieldAt(i);
      FillField(field, binding.LiveElement(field), mode, values, site);
    } catch (const std::exception&) {
      // One field's failure leaves the others to be filled.
    }
  }
}

bool FillField(TFormField& field, TDomElement* element, TFillMode mode, const TOptionsList& values,
               TWebSite* site) {
  if (!element) return false;
  if (field.IsIgnored()) return true;

  const std::string prefix = LanguagePrefix(site);
  const TOptionsList* profile = &values;
  std::unique_ptr<TOptionsList> copy;
  if (site) {
    const std::string category = ActiveProfile().ProgramCategory.GetString(site->UIN());
    if (!category.empty()) {
      copy = std::make_unique<TOptionsList>(values);
      copy->SetString("Program_Category", category);
      profile = copy.get();
    }
  }

  const int type = field.FieldType();
  const std::string rule = field.FillWith();
  switch (type) {
    case ftText:
    case ftArea:
    case ftFile:
    case ftPassword: {
      std::u16string value;
      if (field.IsLogin() && site) {
        const TProfile& p = ActiveProfile();
        std::string login = p.SiteValue(TSiteValueKind::ProductSiteLogin, site->UIN());
        if (login.empty()) login = p.SiteValue(TSiteValueKind::CompanySiteLogin, site->UIN());
        value = Utf8ToWide(login);
      }
      if (value.empty()) value = ExpandTemplateToWide(rule, *profile, prefix);
      const int max = field.MaxLength();
      if (max >= 0 && value.size() > static_cast<size_t>(max))
        value.resize(static_cast<size_t>(max));
      if (type == ftFile) {
        element->Select();
        element->SetFileValue(value);
      } else {
        element->SetValue(value);
      }
      break;
    }
    case ftCheck:
    case ftRadio: {
      const std::string value = Trim(WideToUtf8(ExpandTemplateToWide(rule, *profile, prefix)));
      if (value == "TRUE") {
        element->SetChecked(true);
      } else if (value == "FALSE" && type == ftCheck) {
        element->SetChecked(false);
      }
      break;
    }
    case ftList:
      FillListField(field, *element, mode, *profile, prefix);
      return true;
    default:
      return true;
  }
  if (!rule.empty()) {
    if (mode == fmGuessed) {
      element->SetRuntimeStyle(TDomStyle::Color, u"#000000");
      element->SetRuntimeStyle(TDomStyle::Background, u"#DCDDC4");
    } else {
      element->SetRuntimeStyle(TDomStyle::Color, u"#0000FF");
      element->SetRuntimeStyle(TDomStyle::BackgroundColor, u"#FFFFFF");
    }
  } else if (mode == fmSimilar) {
    element->SetRuntimeStyle(TDomStyle::Color, u"#000000");
    element->SetRuntimeStyle(TDomStyle::Background, u"#DCDDC4");
  }
  return true;
}

// --- Linking and focus
// -----------------------------------------------------------------------------

void LinkLiveForms(TDomDocument* document, TWebSite* site, TFormBinding& binding) {
  binding.Clear();
  if (!site) return;
  TMonitorScope timing("Forms.Update");
  ForEachDocument(document, [site, &binding](TDomDocument& doc) {
    for (int f = 0; f < doc.FormCount(); ++f) {
      TDomForm* form = doc.FormAt(f);
      if (!form) continue;
      if (TWebForm* known =
              site->Forms().FindByFingerprint(LiveOldFingerprint(form), LiveFingerprint(form))) {
        binding.Bind(*known, form);
      }
    }
  });
}

TDomElement* FocusedControl(TDomDocument* document) {
  TDomElement* found = nullptr;
  ForEachDocument(document, [&found](TDomDocument& doc) {
    if (doc.ReadyState() == u"loading") return;
    TDomElement* e = doc.ActiveElement();
    if (e && IsControlTag(e->TagName())) found = e;
  });
  return found;
}

TDomForm* FocusedForm(TDomDocument* document) {
  TDomElement* e = FocusedControl(document);
  return e ? e->Form() : nullptr;
}

// --- Submission
// ------------------------------------------------------------------------------------

TWebForm* FindSubmittedForm(TWebSite* site, std::string_view page_url, std::string_view target_url,
                            double threshold, std::string_view post_data,
                            std::string_view headers) {
  if (!site) return nullptr;
  std::string target(target_url.substr(0, target_url.find('?')));
  std::string text(post_data);
  if (post_data.empty()) {
    const size_t q = target_url.find('?');
    if (q != std::string_view::npos) text = std::string(target_url.substr(q + 1));
  }
  std::vector<std::string> posted;
  if (!text.empty() && text[0] == '&') text.erase(0, 1);
  for (const std::string& part : SplitAt(text, '&', TSplitMode::DropEmpty)) {
    std::string name = UrlDecode(AnsiLowerCase(part.substr(0, part.find('='))));
    if (std::find(posted.begin(), posted.end(), name) == posted.end()) posted.push_back(name);
  }
  const bool multipart =
      !post_data.empty() ||
      (!headers.empty() && !ContainsText(AnsiLowerCase(headers),
                                         "content-type: application/x-www-form-urlencoded\r\n"));

  for (int i = 0; i < site->Forms().Count(); ++i) {
    TWebForm* form = site->Forms().FormAt(i);
    if (multipart && form->Method != mtGet && !form->Encoding.empty() &&
        !SameText(form->Encoding, "application/x-www-form-urlencoded")) {
      std::string action = form->Action;
      if (action.empty()) {
        action = std::string(page_url);
      } else if (!IsAbsoluteUrl(action)) {
        action = ResolveUrl(UrlDirectory(page_url), action);
      }
      action = action.substr(0, action.find('?'));
      if (SameText(action, target)) return form;
      continue;
    }
    std::vector<std::string> names;
    for (int k = 0; k < form->FieldCount(); ++k) {
      const TFormField& f = form->FieldAt(k);
      const std::string name = AnsiLowerCase(f.FieldName());
      if (name.empty()) continue;
      const int type = f.FieldType();
      const bool only_when_posted = type == ftUnknown || type == ftCheck || type == ftRadio ||
                                    type == ftButton || type == ftFile;
      if (only_when_posted && std::find(posted.begin(), posted.end(), name) == posted.end()) {
        continue;
      }
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    // An image button posts its click position as name.x and name.y.
    for (const std::string& p : posted) {
      const bool coordinate =
          p == "x" || p == "y" || (p.size() > 2 && (p.ends_with(".x") || p.ends_with(".y")));
      if (!coordinate) continue;
      const std::string base = p.size() > 2 ? p.substr(0, p.size() - 2) : std::string();
      names.erase(std::remove(names.begin(), names.end(), base), names.end());
      if (std::find(names.begin(), names.end(), p) == names.end()) names.push_back(p);
    }
    int c = 0;
    for (const std::string& p : posted) {
      if (std::find(names.begin(), names.end(), p) != names.end()) ++c;
    }
    const int u = static_cast<int>(posted.size() + names.size()) - c;
    if (u > 0 && threshold <= static_cast<double>(c) / u) return form;
  }
  return nullptr;
}

}  // namespace quillora
