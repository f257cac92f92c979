// The fictional download sites the demo server plays: their host names, pages, the forms they
// take with the checks each posted field must pass, and how their search pages answer.
#pragma once

#include <string>
#include <vector>

namespace quillora {

// What a posted field must look like.
enum class TFieldCheck {
  kText,    // any text within the lengths
  kEmail,   // one "@" with something before it and a dotted domain after it
  kUrl,     // an http:// or https:// address with a host
  kImage,   // an uploaded PNG, GIF or JPEG file (checked by its bytes, not by its name)
  kChoice,  // a select, radio or check-box group: one of the listed values
  kNumber,  // digits only
};

// The part of a submission a field carries, so that the search pages can list what was accepted.
enum class TFieldRole {
  kNone,
  kName,
  kVersion,
  kShortDescription,
  kLongDescription,
  kHomePage,
  kEmail,
  kDownload,
  kPadFile,
  kLogin,
  kPassword
};

struct TFieldRule {
  std::string name;   // as posted
  std::string label;  // as the error page names it
  bool required = false;
  TFieldCheck check = TFieldCheck::kText;
  size_t min_length = 0;
  size_t max_length = 255;
  TFieldRole role = TFieldRole::kNone;
  std::vector<std::string> choices;  // kChoice: the values the page offers
};

// What posting a form does.
enum class TFormKind {
  kSubmit,  // a new product
  kUpdate,  // a new version of a product the site already lists
  kLogin,   // gives a session cookie
  kSignup,  // makes an account for the login
  kPad,     // a new product described by the address of its PAD file
};

struct TDemoForm {
  TFormKind kind = TFormKind::kSubmit;
  std::string page;    // the path that shows the form
  std::string action;  // the path the form posts to
  std::string html;    // the whole page; "{{HOST}}" is replaced by the site's host and port
  std::vector<TFieldRule> rules;
  // The page and the post need the session of a login first.
  bool needs_login = false;
  // The post must carry this field with this value (a token the page holds in a hidden field).
  std::string token_name, token_value;
};

// How the search page answers.
enum class TSearchKind {
  kNormal,    // a result page
  kSlow,      // answers only after a long wait (longer than a listing search waits)
  kBroken,    // HTTP 500
  kRedirect,  // a 302 to the result page's own address
};

struct TDemoSearch {
  std::string path;   // the search page's path
  std::string param;  // the name of the search text in the query or body
  bool post = false;  // the text comes in a POST body
  TSearchKind kind = TSearchKind::kNormal;
  std::string space_with;      // the site spells spaces this way in the search text
  std::string results_top;     // before the results; "{{QUERY}}" is the search text
  std::string item;            // one result: {{NAME}} {{VERSION}} {{HOME}} {{EXCERPT}} {{ID}}
  std::string no_results;      // instead of the results when nothing matched
  std::string results_bottom;  // after the results
};

struct TDemoSite {
  std::string host;  // the first label of its host name: "<host>.localhost"
  std::string name;
  std::string language;  // "English", "German"
  std::string home_html;
  std::vector<TDemoForm> forms;
  TDemoSearch search;
  std::string success_html;            // "{{NAME}}" is the product's name
  std::string error_html;              // "{{ERRORS}}" is the list of faulty fields as <li> items
  std::string mail_address;            // not empty: the site takes submissions by e-mail only
  std::string extra_path, extra_html;  // one more static page (rules, FAQ, ...)
};

// The demo sites, in the order the status page lists them.
const std::vector<TDemoSite>& DemoSites();

}  // namespace quillora
