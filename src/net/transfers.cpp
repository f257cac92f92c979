#include "net/transfers.h"

#include <memory>
#include <optional>
#include <stop_token>

#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/ui_port.h"

namespace quillora {

namespace {

struct TWakeUp {
  void operator()() const { UI().WakeUp(); }
};

// Waits for the worker while the message loop runs its reports. False when the abort came
// first: the worker is then abandoned and runs out on its own.
bool WaitForWorker(TTransferThread& worker, const TTransferAbort* abort,
                   const TTransferProgressEvent& progress) {
  // A job's stop request must end the wait, which otherwise sleeps until the worker reports.
  std::optional<std::stop_callback<TWakeUp>> wake;
  if (abort) wake.emplace(abort->StopToken(), TWakeUp{});
  bool aborted = false;
  UI().ProcessMessagesUntil([&] {
    if (worker.Finished()) return true;
    if (abort && abort->Requested()) {
      aborted = true;
      return true;
    }
    if (progress) progress(worker.BytesDone(), worker.BytesTotal(), psWaiting);
    return false;
  });
  if (aborted) {
    if (progress) progress(worker.BytesDone(), worker.BytesTotal(), psDisconnecting);
    worker.Abandon();
    // Lets a report the worker handed over just before see that nobody listens any more.
    UI().ProcessMessages();
    return false;
  }
  worker.Wait();
  return true;
}

}  // namespace

TTransferResult DownloadToStream(std::string& url, TStream* stream, const TTransferAbort* abort,
                                 const TFormFields& form_fields, bool lf_only, bool passive,
                                 const TTransferProgressEvent& progress) {
  TDownloadThread worker({url, stream, form_fields, lf_only, passive, progress, abort});
  if (!WaitForWorker(worker, abort, progress)) return trAborted;
  TTransferResult result = worker.Result();
  if (worker.BytesTotal() >= 0 && worker.BytesDone() < worker.BytesTotal())
    result = trServerTimeout;
  url = worker.Url();
  if (progress) progress(worker.BytesDone(), worker.BytesTotal(), psDone);
  return result;
}

TTransferResult DownloadToFile(std::string& url, const std::string& file_name,
                               const TTransferAbort* abort, const TFormFields& form_fields,
                               bool passive, const TTransferProgressEvent& progress) {
  TTransferResult result;
  try {
    const std::string folder = ExtractFilePath(file_name);
    if (!folder.empty()) ForceDirectories(folder);
    TFileStream file(file_name, TFileStream::Mode::Create);
    result = DownloadToStream(url, &file, abort, form_fields, false, passive, progress);
    file.Flush();
  } catch (const std::exception&) {
    result = trCannotSave;
  }
  if (result != trNoError) DeleteFileAt(file_name);
  return result;
}

TTransferResult UploadFile(const std::string& url, const std::string& file_name,
                           const std::string& user_name, const std::string& password, bool passive,
                           const TTransferProgressEvent& progress, const TTransferAbort* abort) {
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(file_name, TFileStream::Mode::Read);
  } catch (const std::exception&) {
    return trCannotLoad;
  }
  TUploadThread worker({url, user_name, password, file.get(), passive, progress, abort});
  if (!WaitForWorker(worker, abort, progress)) return trAborted;
  TTransferResult result = worker.Result();
  if (worker.BytesDone() != file->Size()) result = trServerTimeout;
  if (progress) progress(worker.BytesDone(), worker.BytesTotal(), psDone);
  return result;
}

}  // namespace quillora
