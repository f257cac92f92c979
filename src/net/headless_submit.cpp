#include "net/headless_submit.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include <gumbo.h>

#include "foundation/codepage.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/text_utils.h"
#include "net/web_charset.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "submit/form_filler.h"
#include "submit/html_document.h"
#include "submit/status_records.h"
#include "template/template.h"

namespace quillora {

namespace {

std::string LanguagePrefix(const TWebSite& site) {
  const std::string language = site.Info.Value("Common info", "Language");
  return language.empty() ? std::string() : language + "/";
}

// The "Query" or "PostData" template made into request text, as the submitter does it.
std::string PrepareRequestData(const TWebSite& site, const std::string& tmpl,
                               const TProfile& profile) {
  std::string data = WideToUtf8(ExpandTemplateToWide(tmpl, profile, LanguagePrefix(site)));
  if (!SameText(site.Info.Value("SearchOptions", "Do not encode data"), "TRUE"))
    data = UrlEncode(data);
  if (const size_t at = data.find("ampersand"); at != std::string::npos) data.replace(at, 9, "%26");
  const std::string subst = site.Info.Value("SearchOptions", "SubstSpaceWith");
  if (!subst.empty()) {
    std::string replaced;
    for (char c : data) {
      if (c == '+')
        replaced += subst;
      else
        replaced.push_back(c);
    }
    data = std::move(replaced);
  }
  return data;
}

// --- reading replies -----------------------------------------------------------------------------

bool IsBlockTag(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_LABEL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_TEXTAREA:
      return true;
    default:
      return false;
  }
}

std::u16string Collapse(std::u16string_view s) {
  std::u16string out;
  bool blank = false;
  for (char16_t c : s) {
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == 0xA0) {
      blank = !out.empty();
      continue;
    }
    if (blank) out.push_back(u' ');
    blank = false;
    out.push_back(c);
  }
  return out;
}

struct TPageText {
  std::u16string title;
  std::vector<std::u16string> blocks;  // the visible text, one entry per block of the page
};

struct TGumboOutput {
  GumboOutput* output;
  explicit TGumboOutput(const std::string& html)
      : output(gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size())) {}
  ~TGumboOutput() {
    if (output) gumbo_destroy_output(&kGumboDefaultOptions, output);
  }
  TGumboOutput(const TGumboOutput&) = delete;
  TGumboOutput& operator=(const TGumboOutput&) = delete;
};

TPageText ReadPageText(const std::string& utf8_html) {
  TPageText page;
  TGumboOutput parsed(utf8_html);
  if (!parsed.output) return page;
  std::string current;
  auto flush = [&] {
    std::u16string block = Collapse(Utf8ToWideStrict(current));
    if (!block.empty()) page.blocks.push_back(std::move(block));
    current.clear();
  };
  // Depth first without recursion; a null entry closes a block element.
  std::vector<const GumboNode*> stack{parsed.output->root};
  while (!stack.empty()) {
    const GumboNode* n = stack.back();
    stack.pop_back();
    if (!n) {
      flush();
      continue;
    }
    if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE ||
        n->type == GUMBO_NODE_CDATA) {
      current += n->v.text.text;
      continue;
    }
    if (n->type != GUMBO_NODE_ELEMENT) continue;
    const GumboElement& e = n->v.element;
    if (e.tag == GUMBO_TAG_SCRIPT || e.tag == GUMBO_TAG_STYLE || e.tag == GUMBO_TAG_NOSCRIPT ||
        e.tag == GUMBO_TAG_TEMPLATE)
      continue;
    if (e.tag == GUMBO_TAG_TITLE) {
      std::string title;
      for (unsigned i = 0; i < e.children.length; ++i) {
        const auto* c = static_cast<const GumboNode*>(e.children.data[i]);
        if (c->type == GUMBO_NODE_TEXT) title += c->v.text.text;
      }
      page.title = Collapse(Utf8ToWideStrict(title));
      continue;
    }
    const bool block = IsBlockTag(e.tag);
    if (block) {
      flush();
      stack.push_back(nullptr);
    }
    for (unsigned i = e.children.length; i > 0; --i)
      stack.push_back(static_cast<const GumboNode*>(e.children.data[i - 1]));
  }
  flush();
  return page;
}

std::string Shortened(std::u16string text) {
  constexpr size_t kMax = 300;
  if (text.size() > kMax) text = text.substr(0, kMax) + u"...";
  return WideToUtf8(text);
}

// --- the page being submitted --------------------------------------------------------------------

// A page loaded through the session: the document and the set each of its documents was read in.
struct TLoadedPage {
  TBrowserReply reply;
  std::map<std::string, std::string> charsets;  // by document address
  std::unique_ptr<THtmlDocument> document;
};

TLoadedPage LoadPage(TBrowserSession& session, const TBrowserRequest& request) {
  TLoadedPage page;
  page.reply = session.Send(request);
  if (page.reply.result != trNoError || page.reply.status >= 400) return page;
  const std::string charset = ReplyCharset(page.reply.content_type, page.reply.body);
  page.charsets[page.reply.final_url] = charset;
  const std::string html = DecodeToUtf8(page.reply.body, charset);
  auto* charsets = &page.charsets;
  const std::string referer = page.reply.final_url;
  page.document = std::make_unique<THtmlDocument>(
      html, page.reply.final_url,
      [&session, charsets, referer](const std::string& address) -> std::optional<std::string> {
        TBrowserRequest frame;
        frame.url = address;
        frame.referer = referer;
        TBrowserReply r = session.Send(frame);
        if (r.result != trNoError || r.status >= 400) return std::nullopt;
        const std::string cs = ReplyCharset(r.content_type, r.body);
        (*charsets)[address] = cs;
        return DecodeToUtf8(r.body, cs);
      });
  return page;
}

struct TFormFill {
  THtmlForm* form = nullptr;
  TFillMode mode = fmGuessed;
  TFormPurpose purpose = fpNone;
  int filled = 0;  // controls the fill wrote into
};

int FilledControls(const THtmlForm& form) {
  int n = 0;
  for (int i = 0; i < form.ElementCount(); ++i) {
    const TDomElement* e = form.ElementAt(i);
    if (e && (e->RuntimeStyle(TDomStyle::Color) || e->RuntimeStyle(TDomStyle::Background) ||
              e->RuntimeStyle(TDomStyle::BackgroundColor)))
      ++n;
  }
  return n;
}

// Fills every form of the page (known and unknown) and reports each in document order.
std::vector<TFormFill> FillAll(THtmlDocument& document, TWebSite& site, TFormBinding& binding) {
  std::map<TDomForm*, std::pair<TFillMode, TFormPurpose>> outcomes;
  FillDocument(&document, &site, false, binding,
               [&](TDomForm* form, TFillMode mode, TFormPurpose purpose) {
                 outcomes[form] = {mode, purpose};
               });
  std::vector<TFormFill> fills;
  ForEachDocument(&document, [&](TDomDocument& d) {
    for (int i = 0; i < d.FormCount(); ++i) {
      auto* form = dynamic_cast<THtmlForm*>(d.FormAt(i));
      auto it = outcomes.find(d.FormAt(i));
      if (!form || it == outcomes.end()) continue;
      fills.push_back({form, it->second.first, it->second.second, FilledControls(*form)});
    }
  });
  return fills;
}

std::string CharsetOf(const TLoadedPage& page, const THtmlForm& form) {
  const TDomDocument* d = form.Document();
  if (!d) return "UTF-8";
  auto it = page.charsets.find(WideToUtf8(d->URL()));
  return it != page.charsets.end() ? it->second : std::string("UTF-8");
}

TFormSubmission Submission(const TLoadedPage& page, const THtmlForm& form) {
  const TDomDocument* d = form.Document();
  const std::string url = d ? WideToUtf8(d->URL()) : page.reply.final_url;
  return BuildFormSubmission(form, DefaultButton(form), url, CharsetOf(page, form));
}

std::string Referer(const THtmlForm& form) {
  const TDomDocument* d = form.Document();
  return d ? WideToUtf8(d->URL()) : std::string();
}

// The site's stored login form, if it has one.
const TWebForm* LoginForm(const TWebSite& site) {
  for (int i = 0; i < site.Forms().Count(); ++i) {
    if (const TWebForm* f = site.Forms().FormAt(i); f && f->Purpose == fpLogin) return f;
  }
  return nullptr;
}

// The page's form that the fill recognised as the site's login form.
THtmlForm* FindLoginForm(const std::vector<TFormFill>& fills) {
  for (const TFormFill& f : fills) {
    if (f.purpose == fpLogin) return f.form;
  }
  return nullptr;
}

void Fail(TSubmitOutcome& out, const TBrowserReply& reply) {
  out.result = TSubmitResult::Failed;
  out.status = reply.status;
  out.final_url = reply.final_url;
  if (reply.result != trNoError) {
    out.detail = TransferResultText(reply.result);
  } else {
    out.detail = TransferResultText(TransferResultOfStatus(reply.status));
  }
}

// What the submitter records for the fields of a recognised submit form whose rule names the
// category: a text field's value, or the texts of a list's selected options.
std::optional<std::string> ChosenCategory(const TWebForm& stored, const TFormBinding& binding) {
  std::optional<std::string> category;
  for (int i = 0; i < stored.FieldCount(); ++i) {
    const TFormField& field = stored.FieldAt(i);
    if (field.FillWith().find("Program_Category") == std::string::npos) continue;
    const TDomElement* e = binding.LiveElement(field);
    if (!e) continue;
    if (field.FieldType() == ftList) {
      std::string texts;
      for (int k = 0; k < e->OptionCount(); ++k) {
        const TDomOption* o = e->OptionAt(k);
        if (o && o->Selected()) texts += (texts.empty() ? "" : ",") + WideToAnsi(o->Text());
      }
      category = texts;
    } else {
      category = WideToAnsi(e->Value());
    }
  }
  return category;
}

const TWebForm* StoredFormOf(const TWebSite& site, const TFormBinding& binding,
                             const THtmlForm* form) {
  for (int i = 0; i < site.Forms().Count(); ++i) {
    const TWebForm* f = site.Forms().FormAt(i);
    if (f && binding.LiveForm(*f) == form) return f;
  }
  return nullptr;
}

void RecordAccepted(TWebSite& site, const std::optional<std::string>& category,
                    TSubmitOutcome& out) {
  TProfile& profile = ActiveProfile();
  RecordSubmission(profile, site.UIN(), Now(), category);
  out.recorded = CommitStatusChange(profile);
  site.UpdateVersionHandled(profile.GetString("Program_Info/Program_Version"));
  site.RefreshSummary();
}

}  // namespace

const char* SubmitResultName(TSubmitResult result) {
  switch (result) {
    case TSubmitResult::Accepted:
      return "accepted";
    case TSubmitResult::Rejected:
      return "rejected";
    case TSubmitResult::NeedsBrowser:
      return "needs-browser";
    case TSubmitResult::Failed:
      return "failed";
    case TSubmitResult::Ready:
      return "ready";
  }
  return "failed";
}

TBrowserRequest SubmitPageRequest(TWebSite& site, const TProfile& profile) {
  return SitePageRequest(site, "Submit", profile);
}

TBrowserRequest SitePageRequest(TWebSite& site, std::string_view page, const TProfile& profile) {
  const TURLInfo& record = site.Info.URLs.Record(page);
  TBrowserRequest request;
  request.url = Trim(record.Address());
  if (record.Kind() == TURLKind::POST) {
    request.method = "POST";
    request.body = PrepareRequestData(site, record.PostData(), profile);
    // The record's headers may name the body's type; the rest go as they are.
    for (const std::string& line : SplitLines(record.Headers())) {
      const std::string header = Trim(line);
      if (header.empty()) continue;
      if (AnsiLowerCase(header).rfind("content-type:", 0) == 0)
        request.content_type = Trim(header.substr(13));
      else
        request.headers.push_back(header);
    }
  } else if (const std::string query = record.Query(); !query.empty()) {
    request.url += "?" + PrepareRequestData(site, query, profile);
  }
  return request;
}

std::vector<std::string> SiteErrorPhrases(TWebSite& site) {
  std::vector<std::string> phrases;
  for (const char* key : {"Submit", "Update", "Home", "Search"}) {
    for (const std::string& line : SplitLines(site.Info.Value("Popup messages", key))) {
      // A note that quotes the site's error texts ('Errors start with "Submission failed."')
      // names its phrases in the quotes; a note without quotes is a phrase as a whole.
      std::vector<std::string> texts;
      for (size_t open = line.find('"'); open != std::string::npos;) {
        const size_t close = line.find('"', open + 1);
        if (close == std::string::npos) break;
        texts.push_back(line.substr(open + 1, close - open - 1));
        open = line.find('"', close + 1);
      }
      if (texts.empty()) texts.push_back(line);
      for (const std::string& text : texts) {
        std::string phrase = WideToUtf8(Collapse(Utf8ToWide(Trim(text))));
        if (!phrase.empty() && std::find(phrases.begin(), phrases.end(), phrase) == phrases.end())
          phrases.push_back(std::move(phrase));
      }
    }
  }
  return phrases;
}

std::string ReplyErrorText(const std::string& utf8_html, long status,
                           const std::vector<std::string>& phrases) {
  const TPageText page = ReadPageText(utf8_html);
  std::vector<std::u16string> needles;
  for (const std::string& p : phrases) {
    std::u16string needle = WideLowerCase(Utf8ToWide(p));
    if (!needle.empty()) needles.push_back(std::move(needle));
  }
  std::u16string all;
  for (const std::u16string& block : page.blocks) {
    const std::u16string lower = WideLowerCase(block);
    for (const std::u16string& needle : needles) {
      if (lower.find(needle) != std::u16string::npos) return Shortened(block);
    }
    all += (all.empty() ? u"" : u" ") + lower;
  }
  // A phrase split over two blocks of the page ("<b>Error:</b><p>...").
  for (size_t i = 0; i < needles.size(); ++i) {
    if (all.find(needles[i]) != std::u16string::npos) return phrases[i];
  }
  if (status < 400) return {};
  if (!page.title.empty()) return Shortened(page.title);
  if (!page.blocks.empty()) return Shortened(page.blocks.front());
  return "HTTP " + std::to_string(status);
}

TSubmitOutcome SubmitSite(TWebSite& site, const THeadlessOptions& options) {
  TSubmitOutcome out;
  const TURLInfo& record = site.Info.URLs.Submit();
  out.final_url = Trim(record.Address());
  if (record.Kind() == TURLKind::MAIL) {
    out.detail = "Not web-submittable: the site takes submissions by e-mail";
    return out;
  }
  if (out.final_url.empty()) {
    out.detail = "The site has no Submit address";
    return out;
  }
  const std::vector<std::string> phrases = SiteErrorPhrases(site);
  TBrowserSession session(options.limits, options.abort);
  bool logged_in = false;

  // Logs in with the page's login form; false (the outcome set) when the site refused it.
  auto log_in = [&](const TLoadedPage& page, THtmlForm& form) {
    logged_in = true;
    const TFormSubmission submission = Submission(page, form);
    const TBrowserReply reply = session.Send(FormRequest(submission, Referer(form)));
    if (reply.result != trNoError) {
      Fail(out, reply);
      return false;
    }
    const std::string html = DecodeToUtf8(reply.body, ReplyCharset(reply.content_type, reply.body));
    if (std::string error = ReplyErrorText(html, reply.status, phrases); !error.empty()) {
      out.result = TSubmitResult::Rejected;
      out.status = reply.status;
      out.final_url = reply.final_url;
      out.detail = std::move(error);
      return false;
    }
    return true;
  };

  // A site that wants a login first: its stored login form on the page it was captured on.
  const TWebForm* login = LoginForm(site);
  if (login && !options.dry_run && !Trim(login->URL).empty()) {
    TBrowserRequest request;
    request.url = Trim(login->URL);
    TLoadedPage page = LoadPage(session, request);
    if (!page.document) {
      Fail(out, page.reply);
      return out;
    }
    TFormBinding binding;
    const std::vector<TFormFill> fills = FillAll(*page.document, site, binding);
    if (THtmlForm* form = FindLoginForm(fills)) {
      if (!log_in(page, *form)) return out;
    }
  }

  TBrowserRequest request = SubmitPageRequest(site, ActiveProfile());
  TLoadedPage page = LoadPage(session, request);
  if (!page.document) {
    Fail(out, page.reply);
    return out;
  }
  TFormBinding binding;
  std::vector<TFormFill> fills = FillAll(*page.document, site, binding);
  // The Submit page asked for the login first (or sent us to the login page): log in there and
  // open the Submit page again in the same session.
  if (!options.dry_run && !logged_in) {
    bool has_submit = false;
    for (const TFormFill& f : fills) has_submit |= f.purpose == fpSubmit;
    if (THtmlForm* form = FindLoginForm(fills); form && !has_submit) {
      if (!log_in(page, *form)) return out;
      binding.Clear();
      fills.clear();
      page = LoadPage(session, request);
      if (!page.document) {
        Fail(out, page.reply);
        return out;
      }
      fills = FillAll(*page.document, site, binding);
    }
  }
  out.status = page.reply.status;
  out.final_url = page.reply.final_url;

  // The recognised submission form, else the form the fill wrote most into.
  const TFormFill* chosen = nullptr;
  for (const TFormFill& f : fills) {
    if (f.purpose == fpSubmit) {
      chosen = &f;
      break;
    }
  }
  if (!chosen) {
    for (const TFormFill& f : fills) {
      if (f.purpose == fpLogin || f.filled == 0) continue;
      if (!chosen || f.filled > chosen->filled) chosen = &f;
    }
  }
  if (!chosen) {
    out.result = TSubmitResult::NeedsBrowser;
    return out;
  }
  out.submission = Submission(page, *chosen->form);
  if (out.submission.script_action) {
    out.result = TSubmitResult::NeedsBrowser;
    return out;
  }
  if (options.dry_run) {
    out.result = TSubmitResult::Ready;
    out.final_url = out.submission.action;
    return out;
  }

  const TBrowserReply reply = session.Send(FormRequest(out.submission, Referer(*chosen->form)));
  out.status = reply.status;
  out.final_url = reply.final_url;
  if (reply.result != trNoError) {
    Fail(out, reply);
    // Which file is missing matters more than the code's text.
    if (reply.result == trCannotLoad && !reply.error_text.empty())
      out.detail = TransferResultText(trCannotLoad) + " " + reply.error_text;
    return out;
  }
  const std::string html = DecodeToUtf8(reply.body, ReplyCharset(reply.content_type, reply.body));
  if (std::string error = ReplyErrorText(html, reply.status, phrases); !error.empty()) {
    out.result = TSubmitResult::Rejected;
    out.detail = std::move(error);
    return out;
  }
  out.result = TSubmitResult::Accepted;
  std::optional<std::string> category;
  if (chosen->purpose == fpSubmit) {
    if (const TWebForm* stored = StoredFormOf(site, binding, chosen->form))
      category = ChosenCategory(*stored, binding);
  }
  RecordAccepted(site, category, out);
  return out;
}

}  // namespace quillora
