// What a browser sends for a form of the in-memory document: the successful controls in
// document order, encoded in the form's character set as a GET query, an urlencoded, multipart
// or plain-text body, and the request that carries it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/browser_session.h"

namespace quillora {

class THtmlForm;
class THtmlElement;

// One name/value pair of the form data set; a file entry's value is the local file's path
// (empty for a file input left empty).
struct TFormEntry {
  std::u16string name;
  std::u16string value;
  bool is_file = false;
};

struct TFormSubmission {
  std::string method;  // "GET" or "POST"
  std::string action;  // absolute address
  // "application/x-www-form-urlencoded", "multipart/form-data" or "text/plain".
  std::string enctype;
  std::string charset;
  std::vector<TFormEntry> entries;
  // The form hands its data to a script ("javascript:" action): only a browser can send it.
  bool script_action = false;
};

// The button an Enter key in the form would press: its first submit button (an INPUT of type
// submit or image, or a BUTTON of type submit) that is not disabled; nullptr when there is none.
THtmlElement* DefaultButton(const THtmlForm& form);

// The submission of `form` pressed with `submitter` (nullptr: none), its relative addresses
// resolved against document_url; document_charset is the set the page was read in.
TFormSubmission BuildFormSubmission(const THtmlForm& form, const THtmlElement* submitter,
                                    std::string_view document_url,
                                    std::string_view document_charset);

// The request that sends it, with the page as its referer.
TBrowserRequest FormRequest(const TFormSubmission& submission, std::string_view referer);

// The urlencoded body (or GET query) of the entries: CR LF line ends, bytes in the charset,
// letters, digits and "*-._" kept, a blank as "+", every other byte "%XX".
std::string UrlEncodedFormData(const std::vector<TFormEntry>& entries, std::string_view charset);

// A relative address resolved against a base as browsers do (RFC 3986); the relative address
// itself when either cannot be parsed.
std::string ResolveWebAddress(std::string_view base, std::string_view relative);

}  // namespace quillora
