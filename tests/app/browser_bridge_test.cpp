// What comes back out of a web page: page snapshots and submission reports are untrusted, so
// malformed or oversized ones are refused, and the writes the filler makes go back as exactly the
// changes it made.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <stdexcept>

#include "app/browser/browser_document.h"
#include "app/browser/submission_report.h"

using namespace quillora;
using namespace quillora::app;

class BrowserBridgeTest : public QObject {
  Q_OBJECT
 private slots:
  void SnapshotsAreCheckedAndBounded();
  void WritesGoBackAsChanges();
  void ReportsNeedTheTokenAndAValidShape();
};

namespace {

QByteArray Control(const char* tag, const char* name, const char* extra = "") {
  return QByteArray("{\"t\":\"") + tag + "\",\"n\":\"" + name + "\",\"y\":\"text\",\"v\":\"\"" +
         extra + "}";
}

QByteArray Page(const QByteArray& forms, const QByteArray& frames = "[]") {
  return "{\"u\":\"http://a.localhost/\",\"rs\":\"complete\",\"forms\":" + forms +
         ",\"frames\":" + frames + "}";
}

}  // namespace

void BrowserBridgeTest::SnapshotsAreCheckedAndBounded() {
  const QByteArray form = "{\"n\":\"f\",\"els\":[" + Control("INPUT", "a") + "]}";
  QByteArray many = "[";
  for (int i = 0; i < 5; ++i) many += (i ? "," : "") + form;
  many += "]";
  TSnapshotLimits small;
  small.max_forms = 4;
  small.max_documents = 2;
  const struct {
    const char* what;
    QByteArray json;
    TSnapshotLimits limits;
    bool accepted;
  } cases[] = {
      {"a page with a form and a frame", Page("[" + form + "]", "[" + Page("[]") + "]"), {}, true},
      {"not JSON", "{\"u\":", {}, false},
      {"not an object", "[1,2]", {}, false},
      {"the script's own failure", "{\"error\":\"TypeError\"}", {}, false},
      {"a form that is no object", Page("[3]"), {}, false},
      {"a frame that is no object", Page("[]", "[\"x\"]"), {}, false},
      {"too many forms", Page(many), small, false},
      {"too many documents",
       Page("[]", "[" + Page("[]") + "," + Page("[]") + "," + Page("[]") + "]"), small, false},
      {"over the byte limit", Page("[" + form + "]"), TSnapshotLimits{.max_bytes = 10}, false},
  };
  for (const auto& c : cases) {
    bool accepted = true;
    try {
      TBrowserDocument document(c.json, c.limits);
      QVERIFY(document.Top());
    } catch (const std::runtime_error&) {
      accepted = false;
    }
    QVERIFY2(accepted == c.accepted, c.what);
  }
}

void BrowserBridgeTest::WritesGoBackAsChanges() {
  // Two documents (the top and a frame); the frame's form has a text field, a list and a box.
  const QByteArray frame_form =
      "{\"n\":\"g\",\"els\":[" + Control("INPUT", "name", ",\"fo\":true") + "," +
      Control("SELECT", "os", ",\"o\":[[\"Windows\",true],[\"Linux\",false]]") + "," +
      Control("INPUT", "agree") + "]}";
  TBrowserDocument document(Page("[]", "[" + Page("[" + frame_form + "]") + "]"));
  QVERIFY(!document.HasChanges());
  TDomDocument* frame = document.Top()->FrameAt(0);
  QVERIFY(frame);
  QCOMPARE(frame->TopDocument(), document.Top());
  QVERIFY(frame->ActiveElement());
  QCOMPARE(frame->ActiveElement()->Name(), std::u16string(u"name"));
  TDomForm* form = frame->FormAt(0);
  form->ElementAt(0)->SetValue(u"Sample Notes");
  form->ElementAt(1)->SetSelectedIndex(1);
  form->ElementAt(2)->SetChecked(true);
  form->ElementAt(0)->SetRuntimeStyle(TDomStyle::Color, u"blue");
  const QJsonArray changes = QJsonDocument::fromJson(document.ChangesJson().toUtf8()).array();
  QCOMPARE(changes.size(), 3);
  const QJsonObject name = changes[0].toObject();
  QCOMPARE(name["d"].toInt(), 1);
  QCOMPARE(name["f"].toInt(), 0);
  QCOMPARE(name["e"].toInt(), 0);
  QCOMPARE(name["v"].toString(), QString("Sample Notes"));
  QCOMPARE(name["st"].toObject()["color"].toString(), QString("blue"));
  QCOMPARE(changes[1].toObject()["s"].toArray(), QJsonArray({false, true}));
  QVERIFY(!changes[1].toObject().contains("v"));
  QCOMPARE(changes[2].toObject()["c"].toBool(), true);
}

void BrowserBridgeTest::ReportsNeedTheTokenAndAValidShape() {
  const QString token = "qlr-0123456789abcdef:";
  auto report = [](const QString& action, const QString& method, const QString& pairs) {
    return QString(R"({"a":"%1","m":"%2","e":"","u":"http://a.localhost/","p":%3,"l":{}})")
        .arg(action, method, pairs);
  };
  const QString good = report("http://a.localhost/post", "post", R"([["q","1"],["r","a b"]])");
  QString many = "[";
  for (int i = 0; i < 5001; ++i) many += QString(i ? "," : "") + R"(["n","v"])";
  many += "]";
  const struct {
    const char* what;
    QString message;
    bool accepted;
  } cases[] = {
      {"ours", token + good, true},
      {"another token", "qlr-fedcba9876543210:" + good, false},
      {"no token", good, false},
      {"a script address", token + report("javascript:alert(1)", "post", "[]"), false},
      {"an unknown method", token + report("http://a.localhost/", "put", "[]"), false},
      {"a pair of three", token + report("http://a.localhost/", "get", R"([["a","b","c"]])"),
       false},
      {"a number for a value", token + report("http://a.localhost/", "get", R"([["a",1]])"), false},
      {"too many pairs", token + report("http://a.localhost/", "get", many), false},
      {"not JSON", token + "{", false},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseSubmissionReport(c.message, token);
    QVERIFY2(parsed.has_value() == c.accepted, c.what);
  }
  const auto parsed = ParseSubmissionReport(token + good, token);
  QCOMPARE(parsed->EncodedPairs(), std::string("q=1&r=a%20b"));
  QCOMPARE(parsed->ActionBase(), QString("http://a.localhost/post"));
}

QTEST_MAIN(BrowserBridgeTest)
#include "browser_bridge_test.moc"
