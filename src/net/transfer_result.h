// Transfer result codes and progress stages that every download and upload reports, with the
// texts shown for them and the mapping of HTTP status codes onto them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quillora {

enum TTransferResult : uint8_t {
  trNoError = 0,
  // Never produced by the workers: callers that validate downloaded content use it.
  trBadHeader = 1,
  trAuthorizationRequired = 2,
  trAccessDenied = 3,
  trCannotLoad = 4,
  trCannotSave = 5,
  trWinInetError = 6,
  trConnectionFailed = 7,
  trFileNotFound = 8,
  trServerError = 9,
  trServerTimeout = 10,
  trAborted = 11,
};

enum TProgressStage : uint8_t {
  psInitializing = 0,
  psConnecting = 1,
  psDownloading = 2,
  psUploading = 3,
  psDisconnecting = 4,
  psDone = 5,
  // Only the blocking calls' idle tick while they wait; never sent by a worker.
  psWaiting = 6,
};

// (bytes done, bytes total or -1 when unknown, stage). Runs on the user-interface thread.
using TTransferProgressEvent = std::function<void(int64_t, int64_t, TProgressStage)>;

// The text of a result code; bit 7 is ignored, an unknown code gives "".
std::string TransferResultText(int code);

// The result of an HTTP status other than 200.
TTransferResult TransferResultOfStatus(long status);

}  // namespace quillora
