#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/cli_context.h"
#include "cli/cmd_mail.h"
#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "net/send_mail.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site.h"
#include "support/core_test.h"

namespace quillora {
namespace {

// Sets an environment variable for the length of a scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() { unsetenv(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
};

// A stand-in for xdg-email / xdg-open: writes its arguments (NUL-terminated) and its working
// folder beside the capture file, and exits with the given status.
std::string WriteRecorder(const std::string& folder, int exit_status = 0) {
  std::string script = folder + "recorder.sh";
  StringToFile(script,
               "#!/bin/sh\n"
               "pwd > \"" +
                   folder +
                   "capture.cwd\"\n"
                   "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" +
                   folder +
                   "capture.args\"\n"
                   "exit " +
                   std::to_string(exit_status) + "\n");
  chmod(script.c_str(), 0755);
  return script;
}

std::vector<std::string> CapturedArgs(const std::string& folder) {
  std::vector<std::string> args;
  if (!FileExists(folder + "capture.args")) return args;
  std::string all = FileToString(folder + "capture.args");
  for (size_t start = 0, nul; (nul = all.find('\0', start)) != std::string::npos; start = nul + 1)
    args.push_back(all.substr(start, nul - start));
  return args;
}

// What Python's e-mail package reads from a message file.
constexpr const char* kReadLetter = R"PY(
import email, json, sys
from email import policy
raw = open(sys.argv[1], 'rb').read()
msg = email.message_from_bytes(raw, policy=policy.default)
bare = raw.replace(b'\r\n', b'')
defects = [str(d) for part in msg.walk() for d in part.defects]
defects += [str(d) for part in msg.walk() for _, v in part.items() for d in v.defects]
out = {
    'crlf_only': b'\r' not in bare and b'\n' not in bare,
    'longest_line': max(len(l) for l in raw.split(b'\r\n')),
    'defects': defects,
    'subject': str(msg['subject'] or ''),
    'to': str(msg['to'] or ''),
    'cc': str(msg['cc'] or ''),
    'from': str(msg['from'] or ''),
    'date_ok': msg['date'] is not None and msg['date'].datetime is not None,
    'content_type': msg.get_content_type(),
}
body = msg
if msg.is_multipart():
    parts = list(msg.iter_parts())
    body = parts[0]
    out['parts'] = len(parts)
    out['attachment_name'] = parts[1].get_filename()
    out['attachment_hex'] = parts[1].get_payload(decode=True).hex()
out['charset'] = body.get_content_charset()
out['encoding'] = str(body['Content-Transfer-Encoding'])
out['body'] = body.get_content()
print(json.dumps(out))
)PY";

nlohmann::json ReadLetter(const std::string& folder, const std::string& letter) {
  const std::string script = folder + "read_letter.py";
  StringToFile(script, kReadLetter);
  std::string command = "/usr/bin/python3 '" + script + "' '" + letter + "'";
  std::string out;
  if (FILE* f = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    pclose(f);
  }
  return nlohmann::json::parse(out);
}

class MailTest : public test::CoreTest {
 protected:
  void SetUp() override {
    Start();
    values_.SetString("Program_Info/Program_Name", "Word Counter");
    values_.SetString("Program_Info/Program_Version", "2.1");
    values_.SetString("Company_Info/Support_Info/General_Email", "info@example.com");
  }
  std::string Folder() const { return data_.Dir().Path(); }

  TOptionsList values_;
};

TEST_F(MailTest, CharsetEncodingAndSubjectFollowTheText) {
  struct Case {
    const char* subject;
    const char* message;
    bool cyrillic;
    const char* charset;
    const char* encoding;
  };
  const Case cases[] = {
      {"New: |Program_Info/Program_Name|", "Version |Program_Info/Program_Version|\r\nBye", false,
       "iso-8859-1", "7bit"},
      {"New: |Program_Info/Program_Name|", "Version |Program_Info/Program_Version|", true,
       "Windows-1251", "8bit"},
      // One character outside ASCII switches the whole letter, subject included.
      {"New: |Program_Info/Program_Name|", "Caf\xC3\xA9 |Program_Info/Program_Version|", false,
       "utf-8", "base64"},
      {"Caf\xC3\xA9", "plain", false, "utf-8", "base64"},
      {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xD0\x9F", true, "utf-8", "base64"},
  };
  const TDateTime now = EncodeDateTime({2024, 3, 5, 14, 7, 9, 0});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    TMailTexts texts = ExpandMailTexts(c.subject, c.message, values_, "");
    TOptionsList v = MessageFileValues(texts, "to@example.com", "", c.cyrillic, values_, now);
    EXPECT_EQ(v.GetString("Charset"), c.charset);
    EXPECT_EQ(v.GetString("TransferEncoding"), c.encoding);
    EXPECT_EQ(v.GetString("Date"), InternetDate(now));
    EXPECT_EQ(v.GetString("To_Address"), "to@example.com");
    EXPECT_FALSE(v.HasKey("To_AddressCC"));
    EXPECT_FALSE(v.HasKey("AttachBoundary"));
    EXPECT_EQ(v.GetString("Program_Info/Program_Name"), "Word Counter");  // the copied values
    if (std::string(c.encoding) == "base64") {
      EXPECT_EQ(v.GetString("Subject"), "=?utf-8?B?" + Base64Encode(texts.subject_utf8) + "?=");
      std::string message = v.GetString("Message");
      EXPECT_EQ(Base64Decode(message), texts.message_utf8);
    } else {
      EXPECT_EQ(v.GetString("Subject"), "New: Word Counter");
      EXPECT_EQ(v.GetString("Message").substr(0, 11), "Version 2.1");
    }
  }
  // Subjects are cut to 250 characters, in UTF-8 too (never inside a character).
  std::string long_subject(300, 'a');
  EXPECT_EQ(ExpandMailTexts(long_subject, "", values_, "").subject_ansi.size(), 250u);
  std::string wide_subject;
  for (int i = 0; i < 300; ++i) wide_subject += "\xC3\xA9";
  TMailTexts texts = ExpandMailTexts(wide_subject, "", values_, "");
  EXPECT_EQ(texts.subject_utf8.size(), 500u);
  // An empty subject leaves no "Subject" value in the UTF-8 case.
  texts = ExpandMailTexts("", "Caf\xC3\xA9", values_, "");
  EXPECT_FALSE(MessageFileValues(texts, "a@b.c", "", false, values_, now).HasKey("Subject"));
}

TEST_F(MailTest, MailClientGetsTheMessageAsArguments) {
  const std::string recorder = WriteRecorder(Folder());
  ScopedEnv client(kMailClientVariable, recorder);
  const std::string attachment = Folder() + "pad file.xml";
  StringToFile(attachment, "<XML_DIZ_INFO/>");
  Settings().SetBool("Use MAPI", false);  // the force flag wins

  ASSERT_TRUE(SendMail("to@example.com", "cc@example.com",
                       "Caf\xC3\xA9 |Program_Info/Program_Name|", attachment, true, false, "",
                       values_, "Line 1\r\nLine 2"));
  EXPECT_EQ(CapturedArgs(Folder()),
            (std::vector<std::string>{"--utf8", "--cc", "cc@example.com", "--subject",
                                      "Caf\xC3\xA9 Word Counter", "--body", "Line 1\r\nLine 2",
                                      "--attach", attachment, "to@example.com"}));
  // Without copy address, subject and body only the recipient is left.
  Settings().SetBool("Use MAPI", true);
  ASSERT_TRUE(SendMail("to@example.com", "", "", {}, false, false, "", values_, ""));
  EXPECT_EQ(CapturedArgs(Folder()), (std::vector<std::string>{"--utf8", "to@example.com"}));
  EXPECT_TRUE(ui_.Texts("error").empty());
}

TEST_F(MailTest, MailClientFailuresAreReportedWithTheirNames) {
  struct Case {
    const char* what;
    std::string client;  // "" : the recorder
    int exit_status;
    std::string to;
    std::string attachment;
    const char* error;
  };
  const Case cases[] = {
      {"no mail client", Folder() + "no-such-client", 0, "to@example.com", "",
       "Error sending mail (1)\r\n[MAPI_E_USER_ABORT]"},
      {"client failed", "", 4, "to@example.com", "", "Error sending mail (2)\r\n[MAPI_E_FAILURE]"},
      {"attachment missing", "", 0, "to@example.com", Folder() + "missing.zip",
       "Error sending mail (11)\r\n[MAPI_E_ATTACHMENT_NOT_FOUND]"},
      // Addresses come from downloaded site records: nothing the client would read as an option
      // or as mailto parameters gets through.
      {"option-like address", "", 0, "--attach=/etc/passwd", "",
       "Error sending mail (14)\r\n[MAPI_E_UNKNOWN_RECIPIENT]"},
      {"address with parameters", "", 0, "a@b.c?attach=/etc/passwd", "",
       "Error sending mail (14)\r\n[MAPI_E_UNKNOWN_RECIPIENT]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileAt(Folder() + "capture.args");
    ScopedEnv client(kMailClientVariable,
                     c.client.empty() ? WriteRecorder(Folder(), c.exit_status) : c.client);
    ui_.ClearEvents();
    EXPECT_FALSE(SendMail(c.to, "", "s", c.attachment, true, false, "", values_, "b"));
    EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{c.error});
  }
  EXPECT_EQ(MailErrorText(7), "Error sending mail (7)");  // a code without a name
}

TEST_F(MailTest, LetterWithAttachmentReadsBackInPython) {
  const std::string recorder = WriteRecorder(Folder());
  ScopedEnv opener(kOpenCommandVariable, recorder);
  Settings().SetBool("Use MAPI", false);
  // Every byte value, and a length that is no multiple of the 54-byte pieces.
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>((i * 37) & 0xFF);
  const std::string attachment = Folder() + "setup.bin";
  StringToFile(attachment, bytes);
  const std::string message =
      "Hello from |Program_Info/Program_Name| \xE2\x80\x94 na\xC3\xAFve\nsecond line\r\n" +
      std::string(200, 'x');

  ASSERT_TRUE(SendMail("to@example.com", "cc@example.com",
                       "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x8F |Program_Info/Program_Version|",
                       attachment, false, false, "", values_, message));
  const std::string letter = Folders().temp + "letter.eml";
  EXPECT_EQ(CapturedArgs(Folder()), std::vector<std::string>{letter});
  EXPECT_EQ(FileToString(Folder() + "capture.cwd"),
            Folders().temp.substr(0, Folders().temp.size() - 1) + "\n");

  nlohmann::json got = ReadLetter(Folder(), letter);
  EXPECT_TRUE(got["crlf_only"].get<bool>());
  EXPECT_LE(got["longest_line"].get<int>(), 78);
  EXPECT_TRUE(got["defects"].empty()) << got["defects"].dump();
  EXPECT_EQ(got["content_type"], "multipart/mixed");
  EXPECT_EQ(got["parts"], 2);
  EXPECT_EQ(got["subject"], "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x8F 2.1");
  EXPECT_EQ(got["to"], "to@example.com");
  EXPECT_EQ(got["cc"], "cc@example.com");
  EXPECT_EQ(got["from"], "info@example.com");
  EXPECT_TRUE(got["date_ok"].get<bool>());
  EXPECT_EQ(got["charset"], "utf-8");
  EXPECT_EQ(got["encoding"], "base64");
  // Line breaks as CR LF, as text is carried in a message.
  EXPECT_EQ(got["body"], "Hello from Word Counter \xE2\x80\x94 na\xC3\xAFve\r\nsecond line\r\n" +
                             std::string(200, 'x'));
  EXPECT_EQ(got["attachment_name"], "setup.bin");
  EXPECT_EQ(got["attachment_hex"], [&] {
    std::string hex = HexEncode(bytes);
    for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return hex;
  }());
  EXPECT_TRUE(ui_.Texts("error").empty());
}

TEST_F(MailTest, PlainLetterReadsBackInPython) {
  ScopedEnv opener(kOpenCommandVariable, WriteRecorder(Folder()));
  Settings().SetBool("Use MAPI", false);
  // A line break in a subject must not start a header of its own.
  ASSERT_TRUE(SendMail("to@example.com", "", "Update\r\nBcc: x@evil.example", {}, false, true, "",
                       values_, "Version |Program_Info/Program_Version|\nBye"));
  nlohmann::json got = ReadLetter(Folder(), Folders().temp + "letter.eml");
  EXPECT_TRUE(got["crlf_only"].get<bool>());
  EXPECT_TRUE(got["defects"].empty()) << got["defects"].dump();
  EXPECT_EQ(got["content_type"], "text/plain");
  EXPECT_EQ(got["subject"], "Update  Bcc: x@evil.example");
  EXPECT_EQ(got["cc"], "");
  EXPECT_EQ(got["charset"], "windows-1251");
  EXPECT_EQ(got["encoding"], "8bit");
  EXPECT_EQ(got["body"], "Version 2.1\r\nBye\r\n");
}

TEST_F(MailTest, LetterFailuresAreShown) {
  Settings().SetBool("Use MAPI", false);
  {
    ScopedEnv opener(kOpenCommandVariable, WriteRecorder(Folder(), 3));
    EXPECT_FALSE(SendMail("to@example.com", "", "s", {}, false, false, "", values_, "b"));
  }
  DeleteFileAt(Folders().data + "attach_tml.dat");
  const std::string attachment = Folder() + "a.txt";
  StringToFile(attachment, "x");
  EXPECT_FALSE(SendMail("to@example.com", "", "s", attachment, false, false, "", values_, "b"));
  EXPECT_EQ(ui_.Texts("error"), (std::vector<std::string>{"Cannot execute default e-mail reader.",
                                                          "Cannot load e-mail template (" +
                                                              Folders().data + "attach_tml.dat)"}));
}

// `mail UIN` on a copy of the shipped data with one site that takes submissions by e-mail.
class MailCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TWebSite site;
    site.Info.CommonInfo().SetString("UIN", "SITE-MAIL");
    site.Info.CommonInfo().SetString("Name", "Mail Site");
    site.Info.CommonInfo().SetString("Language", "German");
    site.Info.PopupMessages().SetString("Submit", "Attach nothing, please.");
    TURLInfo& submit = site.Info.URLs.Submit();
    submit.SetKind(TURLKind::MAIL);
    submit.SetAddress("submit@mail-site.example");
    submit.SetEmailSubject("New: |Program_Info/Program_Name|");
    submit.SetEmailBody("|Program_Info/Program_Name| |Program_Info/Program_Version|");
    ASSERT_TRUE(site.SaveSiteFile(data_.DataDir() + "Sites/mail.wsd", true));
  }

  // One run of the program; returns stdout.
  std::string Run(const std::string& uin) {
    std::ostringstream out, err;
    cli::CliContext ctx(out, err);
    ctx.data_dir = data_.DataDir();
    ctx.user_dir = data_.UserDir();
    try {
      cli::RunMail(uin, ctx);
    } catch (...) {
      ctx.Finish();
      throw;
    }
    ctx.Finish();
    return out.str();
  }
  std::string VersionSubmitted() {
    TProduct p;
    EXPECT_TRUE(p.LoadRecordFile(data_.DataDir() + "Products/Sample_Notes.dat"));
    return p.VersionSubmitted.GetString("SITE-MAIL");
  }

  test::ScriptedUI ui_;
  test::TestData data_;
};

TEST_F(MailCommandTest, SendsTheSitesLetterAndRecordsTheSubmission) {
  const std::string folder = data_.Dir().Path();
  {
    ScopedEnv client(kMailClientVariable, folder + "no-such-client");
    EXPECT_THROW(Run("SITE-MAIL"), cli::CliReportedFailure);
    EXPECT_EQ(VersionSubmitted(), "");  // nothing recorded for a letter not sent
  }
  ScopedEnv client(kMailClientVariable, WriteRecorder(folder));
  std::string out = Run("SITE-MAIL");
  EXPECT_EQ(out.substr(0, out.find('\t', out.find('\t', out.find('\t') + 1) + 1)),
            "SITE-MAIL\tPending\t");
  EXPECT_NE(out.find("\t2.4.1\t"), std::string::npos) << out;
  EXPECT_EQ(VersionSubmitted(), "2.4.1");
  EXPECT_EQ(CapturedArgs(folder),
            (std::vector<std::string>{"--utf8", "--subject", "New: Sample Notes", "--body",
                                      "Sample Notes 2.4.1", "submit@mail-site.example"}));
  // The site's message for its Submit address is shown before sending.
  EXPECT_EQ(ui_.Texts("info").back(), "Attach nothing, please.");

  EXPECT_THROW(Run("SITE-NONE"), cli::CliError);
}

TEST_F(MailCommandTest, RefusesSitesWithoutAnEMailAddress) {
  TWebSite site;
  site.Info.CommonInfo().SetString("UIN", "SITE-FORM");
  site.Info.URLs.Submit().SetAddress("http://form.example/submit");
  ASSERT_TRUE(site.SaveSiteFile(data_.DataDir() + "Sites/form.wsd", true));
  try {
    Run("SITE-FORM");
    FAIL() << "no error";
  } catch (const cli::CliError& e) {
    EXPECT_STREQ(e.what(), "the Submit address of site SITE-FORM is not an e-mail address");
  }
}

}  // namespace
}  // namespace quillora
