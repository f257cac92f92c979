// Sending one e-mail made from a subject and a message template: handed to the desktop's mail
// client, or written as the message file "letter.eml" and opened with the default mail reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/dates.h"
#include "foundation/option_list.h"

namespace quillora {

// Environment variables naming another program than "xdg-email" (the mail client's hand-over)
// and "xdg-open" (the default action for the message file).
inline constexpr const char* kMailClientVariable = "QUILLORA_MAIL_CLIENT";
inline constexpr const char* kOpenCommandVariable = "QUILLORA_OPEN_COMMAND";

// Subjects are cut to this many characters.
inline constexpr size_t kMaxSubjectLength = 250;

// Result codes of the mail client's hand-over, named as the error message names them.
enum TMailResult : int {
  mrSuccess = 0,
  mrUserAbort = 1,  // also: no mail client to hand the message to
  mrFailure = 2,
  mrAttachmentNotFound = 11,
  mrAttachmentOpenFailure = 12,
  mrUnknownRecipient = 14,
};
// "MAPI_E_USER_ABORT", ... for the codes of the error message's table; "" for any other.
std::string MailResultName(int code);
// "Error sending mail (" code ")", with "\r\n[" name "]" when the code has a name.
std::string MailErrorText(int code);

// The subject and the message expanded both ways, subjects cut to kMaxSubjectLength.
struct TMailTexts {
  std::string subject_utf8, message_utf8;
  std::string subject_ansi, message_ansi;  // system code page
  // Whether the letter needs UTF-8: its text differs between the two forms.
  bool NeedsUtf8() const { return subject_utf8 != subject_ansi || message_utf8 != message_ansi; }
};
TMailTexts ExpandMailTexts(std::string_view subject_template, std::string_view message_template,
                           const TOptionsList& values, std::string_view language_prefix);

// The arguments handed to the mail client (command first): the texts as UTF-8, the copy
// address only when there is one, the attachment only when there is one, the recipient last.
std::vector<std::string> MailClientArguments(const std::string& command, const std::string& to,
                                             const std::string& cc, const TMailTexts& texts,
                                             const std::string& attachment);

// Hands the message to the desktop's mail client (the program of kMailClientVariable, else
// "xdg-email"), which shows it to the user before it is sent. Returns a TMailResult code.
int HandToMailClient(const std::string& to, const std::string& cc, const TMailTexts& texts,
                     const std::string& attachment);

// The values the message templates are expanded with: a copy of values plus "Charset",
// "TransferEncoding", "Subject", "Message", "Date", "To_Address", "To_AddressCC" and, with an
// attachment (its bytes given), "AttachBoundary", "AttachName" and "AttachBody".
TOptionsList MessageFileValues(const TMailTexts& texts, const std::string& to,
                               const std::string& cc, bool cyrillic, const TOptionsList& values,
                               TDateTime now, const std::string& attachment_path = {},
                               const std::string* attachment_bytes = nullptr);

// Writes the message file from the data folder's "message_tml.dat" (or "attach_tml.dat" with an
// attachment) into the temporary folder's "letter.eml" and returns its path. Failures are shown
// as error messages; "" then.
std::string WriteMessageFile(const TMailTexts& texts, const std::string& to, const std::string& cc,
                             const std::string& attachment, bool cyrillic,
                             std::string_view language_prefix, const TOptionsList& values);

// Sends one e-mail: through the mail client when force_mapi is set or the setting "Use MAPI" is
// TRUE, else as the message file opened with the default mail reader. True when the message was
// handed over; every failure has been shown as an error message.
bool SendMail(const std::string& to, const std::string& cc, std::string_view subject_template,
              const std::string& attachment, bool force_mapi, bool cyrillic,
              std::string_view language_prefix, const TOptionsList& values,
              std::string_view message_template);

class TWebSite;
class TProfile;

// What sending a site's e-mail submission came to.
enum class TMailSubmission {
  NotMail,   // the site's Submit address is not an e-mail address
  NotSent,   // the letter was not handed over (the failure was shown)
  NotSaved,  // recorded, but the product could not be saved
  Recorded,
};
// Sends the profile's product by e-mail to a site whose address record for page ("Submit",
// "Update", ...) is an e-mail address (the page's popup message shown first) and, once the
// letter was handed over, records the submission and saves the product as a submitted form is
// recorded. The desktop and the command line share it.
TMailSubmission SubmitByMail(TWebSite& site, TProfile& profile, const std::string& page = "Submit");

}  // namespace quillora
