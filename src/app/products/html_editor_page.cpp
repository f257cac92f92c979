#include "app/products/html_editor_page.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <memory>
#include <vector>

#include "app/qt_text.h"
#include "submit/record_page.h"

namespace quillora::app {

namespace {

// The page stays on its own file: a link or a submit button must not take the record's fields
// away.
class TLocalPage : public QWebEnginePage {
 public:
  TLocalPage(const QUrl& file, QObject* parent) : QWebEnginePage(parent), file_(file) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool is_main_frame) override {
    return !is_main_frame || url.adjusted(QUrl::RemoveFragment) == file_;
  }

 private:
  QUrl file_;
};

// Every form with its controls (position in the form's element list, tag, type, name, value,
// checked, multiple, options as [value or text, selected]) and the document's title. Properties
// are read through the prototypes: controls named "elements" or "name" shadow a form's own.
const char* const kReadScript = R"JS((function () {
  try {
    const formsOf = Document.prototype.querySelectorAll;
    const elementsOf = Object.getOwnPropertyDescriptor(HTMLFormElement.prototype, 'elements').get;
    const out = { title: String(document.title || ''), forms: [] };
    for (const f of formsOf.call(document, 'form')) {
      const form = { n: Element.prototype.getAttribute.call(f, 'name') || '', e: [] };
      const els = elementsOf.call(f);
      for (let i = 0; i < els.length; ++i) {
        const e = els[i];
        const o = { t: e.tagName, y: e.tagName === 'INPUT' ? String(e.type || 'text') : '',
                    n: String(e.name || ''), v: String(e.value ?? ''), c: !!e.checked,
                    m: !!e.multiple, o: [] };
        if (e.tagName === 'SELECT')
          for (const op of e.options) o.o.push([op.value !== '' ? op.value : op.text, !!op.selected]);
        form.e.push(o);
      }
      out.forms.push(form);
    }
    return JSON.stringify(out);
  } catch (x) { return JSON.stringify({ error: String(x) }); }
})())JS";

// Writes [{f, e, v | c | s}] back by form and element position.
QString FillScript(const QByteArray& changes) {
  return QStringLiteral(R"JS((function (changes) {
  try {
    const forms = Document.prototype.querySelectorAll.call(document, 'form');
    const elementsOf = Object.getOwnPropertyDescriptor(HTMLFormElement.prototype, 'elements').get;
    let n = 0;
    for (const c of changes) {
      const f = forms[c.f];
      const e = f && elementsOf.call(f)[c.e];
      if (!e) continue;
      if (typeof c.v === 'string') e.value = c.v;
      if (typeof c.c === 'boolean') e.checked = c.c;
      if (Array.isArray(c.s))
        for (let i = 0; i < e.options.length && i < c.s.length; ++i) e.options[i].selected = !!c.s[i];
      ++n;
    }
    return JSON.stringify({ filled: n });
  } catch (x) { return JSON.stringify({ error: String(x) }); }
})()JS") +
         QString::fromUtf8(changes) + ")";
}

// The forms of a read answer; positions[f][k] is the element position of forms[f].fields[k].
bool ParseForms(const QString& answer, QString& title, std::vector<TPageForm>& forms,
                std::vector<std::vector<int>>& positions) {
  const QJsonDocument json = QJsonDocument::fromJson(answer.toUtf8());
  if (!json.isObject() || json.object().contains("error")) return false;
  title = json.object().value("title").toString();
  for (const QJsonValue& f : json.object().value("forms").toArray()) {
    TPageForm form;
    form.name = FromQString(f.toObject().value("n").toString());
    std::vector<int> at;
    const QJsonArray elements = f.toObject().value("e").toArray();
    for (int i = 0; i < elements.size(); ++i) {
      const QJsonObject e = elements[i].toObject();
      TPageField field;
      if (!PageFieldKindOf(FromQString(e.value("t").toString()),
                           FromQString(e.value("y").toString()), field.kind))
        continue;
      field.name = FromQString(e.value("n").toString());
      field.value = FromQString(e.value("v").toString());
      field.checked = e.value("c").toBool();
      field.multiple = e.value("m").toBool();
      for (const QJsonValue& o : e.value("o").toArray())
        field.options.push_back(
            {FromQString(o.toArray().at(0).toString()), o.toArray().at(1).toBool()});
      form.fields.push_back(std::move(field));
      at.push_back(i);
    }
    forms.push_back(std::move(form));
    positions.push_back(std::move(at));
  }
  return true;
}

}  // namespace

THtmlEditorPage::THtmlEditorPage(const QString& path, QWidget* parent)
    : QWidget(parent), path_(path) {
  const QString name = QFileInfo(path).fileName();
  caption_ = name.left(name.indexOf('.') < 0 ? name.size() : name.indexOf('.'));
  setObjectName("tsHtml" + QString(caption_).remove(' '));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    state_ = TState::Failed;
    auto* label = new QLabel("Cannot show " + path, this);
    label->setObjectName("lblHtmlPageFailed");
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
    return;
  }
  view_ = new QWebEngineView(this);
  view_->setObjectName("wb" + QString(caption_).remove(' '));
  const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
  auto* page = new TLocalPage(url, view_);
  // The page's own scripts never run; ours run in their own world, which this does not stop.
  page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  view_->setPage(page);
  layout->addWidget(view_);
  connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
    if (state_ != TState::Loading) return;
    state_ = ok ? TState::Shown : TState::Failed;
    if (!ok) return;
    view_->page()->runJavaScript(QString::fromUtf8(kReadScript), QWebEngineScript::ApplicationWorld,
                                 [page = QPointer<THtmlEditorPage>(this)](const QVariant& v) {
                                   if (!page) return;
                                   QString title;
                                   std::vector<TPageForm> forms;
                                   std::vector<std::vector<int>> positions;
                                   if (ParseForms(v.toString(), title, forms, positions))
                                     page->SetTitle(title);
                                 });
  });
  page->load(url);
}

THtmlEditorPage::~THtmlEditorPage() = default;

void THtmlEditorPage::SetTitle(const QString& title) {
  if (title.trimmed().isEmpty() || title == caption_) return;
  caption_ = title;
  emit captionChanged(caption_);
}

bool THtmlEditorPage::WaitShown(int timeout_ms) {
  if (state_ == TState::Loading) {
    QEventLoop loop;
    QTimer::singleShot(timeout_ms, &loop, &QEventLoop::quit);
    connect(view_->page(), &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit,
            Qt::QueuedConnection);
    // The user cannot act on the editor meanwhile (a second Save, a closed window).
    if (state_ == TState::Loading) loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  return state_ == TState::Shown;
}

std::optional<QString> THtmlEditorPage::RunScript(const QString& script) {
  struct TWait {
    QEventLoop* loop = nullptr;
    std::optional<QString> answer;
  };
  auto wait = std::make_shared<TWait>();
  QEventLoop loop;
  wait->loop = &loop;
  QTimer::singleShot(kScriptTimeoutMs, &loop, &QEventLoop::quit);
  view_->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                               [wait](const QVariant& v) {
                                 // An answer after the time-out finds nobody waiting.
                                 if (!wait->loop) return;
                                 wait->answer = v.toString();
                                 wait->loop->quit();
                               });
  if (!wait->answer) loop.exec(QEventLoop::ExcludeUserInputEvents);
  wait->loop = nullptr;
  return wait->answer;
}

bool THtmlEditorPage::Load(const TOptionsList& record) {
  if (!WaitShown()) return false;
  const std::optional<QString> answer = RunScript(QString::fromUtf8(kReadScript));
  QString title;
  std::vector<TPageForm> forms;
  std::vector<std::vector<int>> positions;
  if (!answer || !ParseForms(*answer, title, forms, positions)) return false;
  SetTitle(title);
  LoadPageForms(record, FromQString(caption_), forms);
  QJsonArray changes;
  for (size_t f = 0; f < forms.size(); ++f)
    for (size_t k = 0; k < forms[f].fields.size(); ++k) {
      const TPageField& field = forms[f].fields[k];
      if (!field.changed) continue;
      QJsonObject change{{"f", static_cast<int>(f)}, {"e", positions[f][k]}};
      switch (field.kind) {
        case TPageFieldKind::CheckBox:
        case TPageFieldKind::Radio:
          change["c"] = field.checked;
          break;
        case TPageFieldKind::List: {
          QJsonArray selected;
          for (const TPageOption& option : field.options) selected.append(option.selected);
          change["s"] = selected;
          break;
        }
        default:
          change["v"] = ToQString(field.value);
          break;
      }
      changes.append(change);
    }
  if (changes.isEmpty()) return true;
  const std::optional<QString> filled =
      RunScript(FillScript(QJsonDocument(changes).toJson(QJsonDocument::Compact)));
  return filled && !filled->contains("\"error\"");
}

bool THtmlEditorPage::Store(TOptionsList& record) {
  if (state_ != TState::Shown) return false;
  const std::optional<QString> answer = RunScript(QString::fromUtf8(kReadScript));
  QString title;
  std::vector<TPageForm> forms;
  std::vector<std::vector<int>> positions;
  if (!answer || !ParseForms(*answer, title, forms, positions)) return false;
  StorePageForms(forms, FromQString(caption_), record);
  return true;
}

}  // namespace quillora::app
