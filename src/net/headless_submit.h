// Submission without a browser window: a site's Submit page opened in a browser-like session,
// filled in the in-memory document as "Fill All" fills it, the chosen form sent as a browser
// would send it, the reply judged by the site's error phrases, and an accepted submission
// recorded like the submitter records it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/browser_session.h"
#include "net/form_submission.h"

namespace quillora {

class TWebSite;
class TProfile;

enum class TSubmitResult { Accepted, Rejected, NeedsBrowser, Failed, Ready };
// "accepted", "rejected", "needs-browser", "failed", "ready".
const char* SubmitResultName(TSubmitResult result);

struct TSubmitOutcome {
  TSubmitResult result = TSubmitResult::Failed;
  long status = 0;        // HTTP status of the last reply; 0 when none came
  std::string final_url;  // where the last request ended
  // Rejected: the reply's first error text; failed: the transfer's result text.
  std::string detail;
  // What was (or, for a dry run, would be) sent.
  TFormSubmission submission;
  bool recorded = false;
};

struct THeadlessOptions {
  // Fills and builds the submission but sends nothing (not even a login) and records nothing.
  bool dry_run = false;
  TBrowserLimits limits;
  const TTransferAbort* abort = nullptr;
};

// The request that opens the site's Submit address as the submitter opens it: the "Query" or
// "PostData" template expanded against the profile with the site's language, URL-encoded unless
// "Do not encode data", the first "ampersand" as "%26", every "+" replaced by "SubstSpaceWith".
// Not for a MAIL address.
TBrowserRequest SubmitPageRequest(TWebSite& site, const TProfile& profile);
// The same for any of the site's address records ("Home", "Search", "Submit", "Update"); the
// desktop submitter opens every page through it.
TBrowserRequest SitePageRequest(TWebSite& site, std::string_view page, const TProfile& profile);

// The phrases whose presence in a reply means the site refused it: the texts quoted in the lines
// of its popup messages, or the whole line when it quotes nothing (Submit first), trimmed,
// without repeats.
std::vector<std::string> SiteErrorPhrases(TWebSite& site);

// The first error text of a reply: the text block of the page holding the earliest error
// phrase (found ignoring case), or, for a status of 400 and more without one, the page's title
// or first text; empty when the reply is no error.
std::string ReplyErrorText(const std::string& utf8_html, long status,
                           const std::vector<std::string>& phrases);

// Submits the active product to one site. Transfer errors and pages that cannot be submitted
// are reported in the outcome, never thrown.
TSubmitOutcome SubmitSite(TWebSite& site, const THeadlessOptions& options);

}  // namespace quillora
