// A form submission as the page's submit hook reports it over the console channel. The report
// comes out of a web page: it is read only when it carries this page's token, and is checked
// and bounded before anything uses it.
#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillora::app {

struct TSubmissionReport {
  QString action;                                  // absolute address the form posts to
  QString method;                                  // "get" or "post"
  QString encoding;                                // the form's enctype
  QString page_url;                                // the document the form is on
  std::vector<std::pair<QString, QString>> pairs;  // what is posted, in order
  // Selected option texts of the form's named lists.
  std::vector<std::pair<QString, QStringList>> lists;

  // The posted pairs URL-encoded as a form body ("a=1&b=2"), UTF-8.
  std::string EncodedPairs() const;
  // The action without its query.
  QString ActionBase() const;
};

// The report in a console message, or nullopt when the message is not one of ours (no token
// prefix) or is malformed or too large.
std::optional<TSubmissionReport> ParseSubmissionReport(const QString& message,
                                                       const QString& token);

}  // namespace quillora::app

Q_DECLARE_METATYPE(quillora::app::TSubmissionReport)
