#include "net/send_mail.h"

#include <chrono>
#include <stdexcept>
#include <unistd.h>
#include <utility>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "net/desktop_command.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "submit/status_records.h"
#include "template/template.h"

namespace quillora {

namespace {

// The helpers usually hand the work on and end at once; one that is still running after this
// has become the mail client (or reader) itself and is left to the user.
constexpr std::chrono::milliseconds kHelperWait{15000};

// Base64 lines of an attachment: 54 bytes give 72 characters.
constexpr size_t kAttachPiece = 54;
// Base64 lines of the message body: 57 bytes give the 76 characters MIME allows on a line.
constexpr size_t kMessagePiece = 57;

std::string Base64Lines(std::string_view bytes, size_t piece, bool final_break) {
  std::string r;
  for (size_t i = 0; i < bytes.size(); i += piece) {
    if (!r.empty()) r += "\r\n";
    r += Base64Encode(bytes.substr(i, piece));
  }
  if (final_break && !r.empty()) r += "\r\n";
  return r;
}

// Every line break of a text body as CR LF: a lone CR or LF is not allowed in a message.
std::string CrLfLines(std::string_view text) {
  std::string r;
  r.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      r += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      r += c;
    }
  }
  return r;
}

// A header value must stay on its header's line: a line break in a subject or address taken
// from a site record would otherwise add headers of its own.
std::string HeaderText(std::string_view text) {
  std::string r(text);
  for (char& c : r)
    if (c == '\r' || c == '\n') c = ' ';
  return r;
}

std::u16string CutWide(std::u16string s, size_t n) {
  if (s.size() <= n) return s;
  // Never keep half of a surrogate pair.
  if (n > 0 && s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF) --n;
  s.resize(n);
  return s;
}

// An address the mail client would read as an option, or as more than one address or mailto
// parameters: addresses come from site records, which are downloaded.
bool UsableAddress(std::string_view address) {
  if (address.empty() || address.front() == '-') return false;
  for (unsigned char c : address)
    if (c <= 32 || c == 127 || c == '?' || c == '&' || c == '#') return false;
  return true;
}

}  // namespace

std::string MailResultName(int code) {
  switch (code) {
    case 1:
      return "MAPI_E_USER_ABORT";
    case 2:
      return "MAPI_E_FAILURE";
    case 3:
      return "MAPI_E_LOGIN_FAILURE";
    case 5:
      return "MAPI_E_INSUFFICIENT_MEMORY";
    case 9:
      return "MAPI_E_TOO_MANY_FILES";
    case 10:
      return "MAPI_E_TOO_MANY_RECIPIENTS";
    case 11:
      return "MAPI_E_ATTACHMENT_NOT_FOUND";
    case 12:
      return "MAPI_E_ATTACHMENT_OPEN_FAILURE";
    case 14:
      return "MAPI_E_UNKNOWN_RECIPIENT";
    case 15:
      return "MAPI_E_BAD_RECIPTYPE";
    case 18:
      return "MAPI_E_TEXT_TOO_LARGE";
    case 21:
      return "MAPI_E_AMBIGUOUS_RECIPIENT";
    default:
      return "";
  }
}

std::string MailErrorText(int code) {
  std::string text = "Error sending mail (" + std::to_string(code) + ")";
  std::string name = MailResultName(code);
  if (!name.empty()) text += "\r\n[" + name + "]";
  return text;
}

TMailTexts ExpandMailTexts(std::string_view subject_template, std::string_view message_template,
                           const TOptionsList& values, std::string_view language_prefix) {
  // One expansion gives both forms (the UTF-8 form is the wide one encoded), so a MAKEFILE in a
  // template asks its question once.
  std::u16string subject =
      CutWide(ExpandTemplateToWide(subject_template, values, language_prefix), kMaxSubjectLength);
  std::u16string message = ExpandTemplateToWide(message_template, values, language_prefix);
  TMailTexts t;
  t.subject_utf8 = WideToUtf8(subject);
  t.message_utf8 = WideToUtf8(message);
  t.subject_ansi = WideToAnsi(subject);
  t.message_ansi = WideToAnsi(message);
  return t;
}

std::vector<std::string> MailClientArguments(const std::string& command, const std::string& to,
                                             const std::string& cc, const TMailTexts& texts,
                                             const std::string& attachment) {
  // The client refuses empty option values, so empty texts are left out.
  std::vector<std::string> args = {command, "--utf8"};
  if (!cc.empty()) args.insert(args.end(), {"--cc", cc});
  if (!texts.subject_utf8.empty()) args.insert(args.end(), {"--subject", texts.subject_utf8});
  if (!texts.message_utf8.empty()) args.insert(args.end(), {"--body", texts.message_utf8});
  if (!attachment.empty()) args.insert(args.end(), {"--attach", attachment});
  args.push_back(to);
  return args;
}

int HandToMailClient(const std::string& to, const std::string& cc, const TMailTexts& texts,
                     const std::string& attachment) {
  std::string recipient = Trim(to), copy = Trim(cc);
  if (!UsableAddress(recipient) || (!copy.empty() && !UsableAddress(copy)))
    return mrUnknownRecipient;
  if (!attachment.empty()) {
    if (!FileExists(attachment)) return mrAttachmentNotFound;
    if (access(attachment.c_str(), R_OK) != 0) return mrAttachmentOpenFailure;
  }
  std::string command = DesktopCommandName(kMailClientVariable, "xdg-email");
  TCommandOutcome outcome = RunDesktopCommand(
      MailClientArguments(command, recipient, copy, texts, attachment), {}, kHelperWait);
  using State = TCommandOutcome::State;
  switch (outcome.state) {
    case State::NotStarted:
      return mrUserAbort;  // no mail client at all, as without Simple MAPI
    case State::StillRunning:
      return mrSuccess;
    case State::Signalled:
      return mrFailure;
    case State::Exited:
      break;
  }
  // xdg-email: 2 a file does not exist, 3 no tool to hand over to, 5 no permission to read.
  switch (outcome.exit_code) {
    case 0:
      return mrSuccess;
    case 2:
      return mrAttachmentNotFound;
    case 3:
      return mrUserAbort;
    case 5:
      return mrAttachmentOpenFailure;
    default:
      return mrFailure;
  }
}

TOptionsList MessageFileValues(const TMailTexts& texts, const std::string& to,
                               const std::string& cc, bool cyrillic, const TOptionsList& values,
                               TDateTime now, const std::string& attachment_path,
                               const std::string* attachment_bytes) {
  TOptionsList v(values);
  const bool utf8 = texts.NeedsUtf8();
  v.SetString("Charset", utf8 ? "utf-8" : cyrillic ? "Windows-1251" : "iso-8859-1");
  v.SetString("TransferEncoding", utf8 ? "base64" : cyrillic ? "8bit" : "7bit");
  if (utf8) {
    // An empty value removes the key.
    v.SetString("Subject", texts.subject_utf8.empty()
                               ? std::string()
                               : "=?utf-8?B?" + Base64Encode(texts.subject_utf8) + "?=");
    // Text goes into base64 in its canonical form, with CR LF line breaks.
    v.SetString("Message", Base64Lines(CrLfLines(texts.message_utf8), kMessagePiece, false));
  } else {
    v.SetString("Subject", HeaderText(texts.subject_ansi));
    v.SetString("Message", CrLfLines(texts.message_ansi));
  }
  v.SetString("Date", InternetDate(now));
  v.SetString("To_Address", HeaderText(to));
  v.SetString("To_AddressCC", HeaderText(cc));
  if (attachment_bytes) {
    v.SetString("AttachBoundary", (MakeUniqueId() + MakeUniqueId()).substr(0, 16));
    v.SetString("AttachName", HeaderText(ExtractFileName(attachment_path)));
    v.SetString("AttachBody", Base64Lines(*attachment_bytes, kAttachPiece, true));
  }
  return v;
}

std::string WriteMessageFile(const TMailTexts& texts, const std::string& to, const std::string& cc,
                             const std::string& attachment, bool cyrillic,
                             std::string_view language_prefix, const TOptionsList& values) {
  const std::string data = Folders().data;
  const std::string name = attachment.empty() ? "message_tml.dat" : "attach_tml.dat";
  const std::string letter = Folders().temp + "letter.eml";
  TOptionsList letter_values;
  try {
    std::string bytes;
    if (!attachment.empty()) bytes = FileToString(attachment);
    letter_values = MessageFileValues(texts, to, cc, cyrillic, values, Now(), attachment,
                                      attachment.empty() ? nullptr : &bytes);
  } catch (const std::exception& e) {
    ShowError(e.what());
    return {};
  }
  std::vector<std::string> lines;
  try {
    ExpandTemplateFileToLines(data + name, lines, letter_values, kTemplateDelimiter,
                              language_prefix);
  } catch (const std::exception&) {
    ShowError("Cannot load e-mail template (" + data + name + ")");
    return {};
  }
  try {
    ForceDirectories(Folders().temp);
    StringToFile(letter, JoinLines(lines));
  } catch (const std::exception& e) {
    ShowError(e.what());
    return {};
  }
  return letter;
}

bool SendMail(const std::string& to, const std::string& cc, std::string_view subject_template,
              const std::string& attachment, bool force_mapi, bool cyrillic,
              std::string_view language_prefix, const TOptionsList& values,
              std::string_view message_template) {
  TMailTexts texts = ExpandMailTexts(subject_template, message_template, values, language_prefix);
  if (force_mapi || Settings().GetBool("Use MAPI")) {
    int code = HandToMailClient(to, cc, texts, attachment);
    if (code == mrSuccess) return true;
    ShowError(MailErrorText(code));
    return false;
  }
  std::string letter =
      WriteMessageFile(texts, to, cc, attachment, cyrillic, language_prefix, values);
  if (letter.empty()) return false;
  TCommandOutcome opened = RunDesktopCommand(
      {DesktopCommandName(kOpenCommandVariable, "xdg-open"), letter}, Folders().temp, kHelperWait);
  bool ok = opened.state == TCommandOutcome::State::StillRunning ||
            (opened.state == TCommandOutcome::State::Exited && opened.exit_code == 0);
  if (!ok) ShowError("Cannot execute default e-mail reader.");
  return ok;
}

TMailSubmission SubmitByMail(TWebSite& site, TProfile& profile, const std::string& page) {
  // Looked up without creating the record, so a site without one is left as it was.
  const TOptionsList* submit = site.Info.URLs.Find(page);
  if (!submit || TURLInfo::KindFromText(submit->GetString("Kind")) != TURLKind::MAIL)
    return TMailSubmission::NotMail;
  const std::string language = site.Info.Value("Common info", "Language");
  const std::string message = site.Info.Value("Popup messages", page);
  if (!message.empty()) ShowInfo(message);
  if (!SendMail(submit->GetString("Address"), {}, submit->GetString("Email Subj"), {}, false,
                SameText(language, "Russian"), language + "/", profile,
                submit->GetString("Email Body")))
    return TMailSubmission::NotSent;
  RecordSubmission(profile, site.UIN(), Now());
  const bool saved = CommitStatusChange(profile);
  site.UpdateVersionHandled(profile.GetString("Program_Info/Program_Version"));
  site.RefreshSummary();
  return saved ? TMailSubmission::Recorded : TMailSubmission::NotSaved;
}

}  // namespace quillora
