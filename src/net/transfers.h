// The blocking transfer calls: each runs one transfer worker and waits for it on the calling
// thread, keeping the user-interface thread's message loop going, until it ends or is aborted.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "net/transfer_result.h"
#include "net/transfer_threads.h"

namespace quillora {

class TStream;

using TFormFields = std::optional<std::vector<std::string>>;

// Downloads url into stream (absent: the body is dropped). With form fields the request is a
// form POST. On return url holds the final URL after redirects, unless the transfer was aborted,
// which returns trAborted at once. A known length that was not reached gives trServerTimeout.
TTransferResult DownloadToStream(std::string& url, TStream* stream, const TTransferAbort* abort,
                                 const TFormFields& form_fields, bool lf_only, bool passive,
                                 const TTransferProgressEvent& progress);

// Downloads into a new or truncated file, creating its folders; the file is removed again unless
// the result is trNoError. A file that cannot be created or written gives trCannotSave.
TTransferResult DownloadToFile(std::string& url, const std::string& file_name,
                               const TTransferAbort* abort, const TFormFields& form_fields,
                               bool passive, const TTransferProgressEvent& progress);

// Stores a local file at an ftp:// URL. A file that cannot be read gives trCannotLoad; an upload
// that did not send the whole file gives trServerTimeout.
TTransferResult UploadFile(const std::string& url, const std::string& file_name,
                           const std::string& user_name, const std::string& password, bool passive,
                           const TTransferProgressEvent& progress, const TTransferAbort* abort);

}  // namespace quillora
