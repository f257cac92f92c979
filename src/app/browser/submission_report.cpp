#include "app/browser/submission_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace quillora::app {

namespace {

constexpr qsizetype kMaxMessage = 4 * 1024 * 1024;
constexpr qsizetype kMaxPairs = 5000;
constexpr qsizetype kMaxText = 1024 * 1024;

bool IsText(const QJsonValue& v) {
  return v.isString() && v.toString().size() <= kMaxText;
}

}  // namespace

std::string TSubmissionReport::EncodedPairs() const {
  std::string out;
  for (const auto& [name, value] : pairs) {
    if (!out.empty()) out += '&';
    out += QUrl::toPercentEncoding(name).toStdString();
    out += '=';
    out += QUrl::toPercentEncoding(value).toStdString();
  }
  return out;
}

QString TSubmissionReport::ActionBase() const {
  return action.left(action.indexOf('?') < 0 ? action.size() : action.indexOf('?'));
}

std::optional<TSubmissionReport> ParseSubmissionReport(const QString& message,
                                                       const QString& token) {
  if (token.isEmpty() || message.size() > kMaxMessage || !message.startsWith(token))
    return std::nullopt;
  QJsonParseError error;
  const QJsonDocument json = QJsonDocument::fromJson(message.mid(token.size()).toUtf8(), &error);
  if (error.error != QJsonParseError::NoError || !json.isObject()) return std::nullopt;
  const QJsonObject o = json.object();
  for (const char* key : {"a", "m", "e", "u"})
    if (!IsText(o[key])) return std::nullopt;
  if (!o["p"].isArray() || o["p"].toArray().size() > kMaxPairs) return std::nullopt;
  TSubmissionReport r;
  r.action = o["a"].toString();
  r.method = o["m"].toString().toLower();
  r.encoding = o["e"].toString();
  r.page_url = o["u"].toString();
  const QUrl action(r.action);
  if (!action.isValid() ||
      (action.scheme() != "http" && action.scheme() != "https" && action.scheme() != "file"))
    return std::nullopt;
  if (r.method != "get" && r.method != "post" && r.method != "dialog") return std::nullopt;
  for (const QJsonValue& v : o["p"].toArray()) {
    const QJsonArray pair = v.toArray();
    if (pair.size() != 2 || !IsText(pair[0]) || !IsText(pair[1])) return std::nullopt;
    r.pairs.emplace_back(pair[0].toString(), pair[1].toString());
  }
  if (o.contains("l")) {
    if (!o["l"].isObject() || o["l"].toObject().size() > kMaxPairs) return std::nullopt;
    const QJsonObject lists = o["l"].toObject();
    for (auto it = lists.begin(); it != lists.end(); ++it) {
      if (!it.value().isArray() || it.value().toArray().size() > kMaxPairs) return std::nullopt;
      QStringList texts;
      for (const QJsonValue& t : it.value().toArray()) {
        if (!IsText(t)) return std::nullopt;
        texts << t.toString();
      }
      r.lists.emplace_back(it.key(), texts);
    }
  }
  return r;
}

}  // namespace quillora::app
