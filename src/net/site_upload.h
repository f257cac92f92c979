// A contributor's upload of one site to the site repository ("putsite.php"), or the request to
// delete it there: the posted form line and the whole exchange.
#pragma once

#include <string>
#include <string_view>

namespace quillora {

class TWebSite;
class TTransferWindow;

struct TSiteUpload {
  std::string login;     // as typed; sent in upper case
  std::string password;  // typed for this upload
  bool remove = false;   // "Delete" instead of "Upload"
};

// The one-line form body: the site's identity and the contributor's, then for an upload every
// "Common info" line of the site and the exported file as hexadecimal text with its two
// checksums, or for a deletion "Delete=Y". file_name: the site's file name without folder.
std::string SiteUploadFormLine(const TWebSite& site, std::string_view file_name,
                               const TSiteUpload& upload, std::string_view exported_file = {});

// The upload from the site editor: "Last contributed" of the site becomes now, an upload exports
// the site (a clean copy) into the download folder under file_name, the request goes to the
// setting "Sites Repository" + "putsite.php", and the exported copy is deleted again. An empty
// reply is success: the login and the enciphered password become the contributor settings and
// "Database has been successfully updated." is shown. A failed transfer or a reply text is shown
// as an error. Without a transfer window of its own the upload uses a private one.
bool UploadSite(TWebSite& site, const std::string& file_name, const TSiteUpload& upload,
                TTransferWindow* window = nullptr);

}  // namespace quillora
