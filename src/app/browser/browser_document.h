// The form filler's document model over a snapshot of a live page: built from the JSON the
// snapshot script returns (untrusted: checked and bounded), it records every write the filler
// makes so that one apply script can write them back, addressed by document, form and control.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "submit/document_model.h"

namespace quillora::app {

class TSnapDocument;

// Limits on what a page may hand back; a snapshot over them is refused as a whole.
struct TSnapshotLimits {
  qsizetype max_bytes = 32 * 1024 * 1024;
  int max_documents = 64;
  int max_forms = 1000;
  int max_controls = 20000;
  int max_options = 100000;
};

class TBrowserDocument {
 public:
  // Throws std::runtime_error for a snapshot that is malformed or over the limits.
  explicit TBrowserDocument(const QByteArray& snapshot_json, const TSnapshotLimits& limits = {});
  ~TBrowserDocument();
  TBrowserDocument(const TBrowserDocument&) = delete;
  TBrowserDocument& operator=(const TBrowserDocument&) = delete;

  TDomDocument* Top() const;
  // The writes made through the model since it was built, as the apply script takes them; "[]"
  // when there were none.
  QString ChangesJson() const;
  bool HasChanges() const;

 private:
  std::vector<std::unique_ptr<TSnapDocument>> documents_;  // [0] is the top
};

}  // namespace quillora::app
