#include "app/browser/browser_document.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <stdexcept>

namespace quillora::app {

class TSnapForm;

namespace {

std::u16string U16(const QJsonValue& v) {
  const QString s = v.toString();
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size());
}

QString Q(std::u16string_view s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

struct TCounter {
  const TSnapshotLimits& limits;
  int documents = 0, forms = 0, controls = 0, options = 0;
  void Check() const {
    if (documents > limits.max_documents || forms > limits.max_forms ||
        controls > limits.max_controls || options > limits.max_options)
      throw std::runtime_error("The page snapshot is too large");
  }
};

}  // namespace

class TSnapOption : public TDomOption {
 public:
  TSnapOption(std::u16string text, bool selected, bool* dirty)
      : text_(std::move(text)), selected_(selected), dirty_(dirty) {}
  std::u16string Text() const override { return text_; }
  bool Selected() const override { return selected_; }
  void SetSelected(bool selected) override {
    if (selected_ == selected) return;
    selected_ = selected;
    *dirty_ = true;
  }

 private:
  std::u16string text_;
  bool selected_;
  bool* dirty_;
};

class TSnapElement : public TDomElement {
 public:
  TSnapElement(const QJsonObject& o, TSnapForm* form) : form_(form) {
    tag_ = U16(o["t"]);
    name_ = U16(o["n"]);
    type_ = U16(o["y"]);
    value_ = U16(o["v"]);
    checked_ = o["c"].toBool();
    max_length_ = o["ml"].toInt(2147483647);
    size_ = o["sz"].toInt(0);
    html_ = U16(o["h"]);
    focused_ = o["fo"].toBool();
    multiple_ = o["m"].toBool();
    for (const QJsonValue& v : o["o"].toArray()) {
      const QJsonArray pair = v.toArray();
      options_.push_back(
          std::make_unique<TSnapOption>(U16(pair.at(0)), pair.at(1).toBool(), &options_dirty_));
    }
  }
  std::u16string TagName() const override { return tag_; }
  std::u16string Name() const override { return name_; }
  std::u16string Type() const override { return type_; }
  std::u16string Value() const override { return value_; }
  void SetValue(std::u16string_view value) override {
    value_ = value;
    value_dirty_ = true;
    // A list's value picks the option of that text, as the page's own select does.
    if (!options_.empty()) {
      for (auto& o : options_) o->SetSelected(o->Text() == value);
    }
  }
  bool Checked() const override { return checked_; }
  void SetChecked(bool checked) override {
    checked_ = checked;
    checked_dirty_ = true;
  }
  int MaxLength() const override { return max_length_; }
  int Size() const override { return size_; }
  void Select() override {}
  // Scripts cannot put a file into a file input from a path the page chose; the file stays for
  // the user to pick.
  void SetFileValue(std::u16string_view) override {}
  std::u16string OuterHTML() const override { return html_; }
  int ReadyState() const override { return 4; }
  TDomForm* Form() const override;
  bool Multiple() const override { return multiple_; }
  int OptionCount() const override { return static_cast<int>(options_.size()); }
  TDomOption* OptionAt(int index) const override {
    return index >= 0 && index < OptionCount() ? options_[index].get() : nullptr;
  }
  int SelectedIndex() const override {
    for (int i = 0; i < OptionCount(); ++i)
      if (options_[i]->Selected()) return i;
    return -1;
  }
  // As the page's selectedIndex: that option alone, also in a multiple list.
  void SetSelectedIndex(int index) override {
    for (int i = 0; i < OptionCount(); ++i) options_[i]->SetSelected(i == index);
  }
  std::optional<std::u16string> RuntimeStyle(TDomStyle property) const override {
    const auto& s = style_[static_cast<int>(property)];
    return s;
  }
  void SetRuntimeStyle(TDomStyle property, std::u16string_view value) override {
    style_[static_cast<int>(property)] = std::u16string(value);
  }

  bool Focused() const { return focused_; }
  // The apply script's entry for this control, or an empty object when nothing changed.
  QJsonObject Change() const {
    QJsonObject c;
    if (value_dirty_ && options_.empty()) c["v"] = Q(value_);
    if (checked_dirty_) c["c"] = checked_;
    if (options_dirty_) {
      QJsonArray s;
      for (const auto& o : options_) s.append(o->Selected());
      c["s"] = s;
    }
    static const char* kCss[] = {"color", "background", "background-color"};
    QJsonObject st;
    for (int i = 0; i < 3; ++i)
      if (style_[i]) st[kCss[i]] = Q(*style_[i]);
    if (!st.isEmpty()) c["st"] = st;
    return c;
  }

 private:
  TSnapForm* form_;
  std::u16string tag_, name_, type_, value_, html_;
  bool checked_ = false, focused_ = false, multiple_ = false;
  int max_length_ = 2147483647, size_ = 0;
  std::vector<std::unique_ptr<TSnapOption>> options_;
  bool value_dirty_ = false, checked_dirty_ = false, options_dirty_ = false;
  std::optional<std::u16string> style_[3];
};

class TSnapForm : public TDomForm {
 public:
  TSnapForm(const QJsonObject& o, TSnapDocument* document, TCounter& count) : document_(document) {
    name_ = U16(o["n"]);
    action_ = U16(o["a"]);
    method_ = U16(o["m"]);
    encoding_ = U16(o["e"]);
    html_ = U16(o["h"]);
    text_ = U16(o["x"]);
    for (const QJsonValue& v : o["els"].toArray()) {
      if (!v.isObject()) throw std::runtime_error("Malformed page snapshot");
      ++count.controls;
      count.options += static_cast<int>(v.toObject()["o"].toArray().size());
      count.Check();
      elements_.push_back(std::make_unique<TSnapElement>(v.toObject(), this));
    }
  }
  std::u16string Name() const override { return name_; }
  std::u16string Action() const override { return action_; }
  std::u16string Method() const override { return method_; }
  std::u16string Encoding() const override { return encoding_; }
  std::u16string OuterHTML() const override { return html_; }
  std::u16string InnerText() const override { return text_; }
  int ElementCount() const override { return static_cast<int>(elements_.size()); }
  TDomElement* ElementAt(int index) const override {
    return index >= 0 && index < ElementCount() ? elements_[index].get() : nullptr;
  }
  TDomElement* ElementByName(std::u16string_view name) const override {
    for (const auto& e : elements_)
      if (e->Name() == name) return e.get();
    return nullptr;
  }
  TDomDocument* Document() const override;
  const std::vector<std::unique_ptr<TSnapElement>>& Elements() const { return elements_; }

 private:
  TSnapDocument* document_;
  std::u16string name_, action_, method_, encoding_, html_, text_;
  std::vector<std::unique_ptr<TSnapElement>> elements_;
};

class TSnapDocument : public TDomDocument {
 public:
  TSnapDocument(const QJsonObject& o, TSnapDocument* top, int index, TCounter& count)
      : top_(top ? top : this), index_(index) {
    url_ = U16(o["u"]);
    ready_ = U16(o["rs"]);
    for (const QJsonValue& v : o["forms"].toArray()) {
      if (!v.isObject()) throw std::runtime_error("Malformed page snapshot");
      ++count.forms;
      count.Check();
      forms_.push_back(std::make_unique<TSnapForm>(v.toObject(), this, count));
    }
  }
  std::u16string ReadyState() const override { return ready_; }
  std::u16string URL() const override { return url_; }
  int FormCount() const override { return static_cast<int>(forms_.size()); }
  TDomForm* FormAt(int index) const override {
    return index >= 0 && index < FormCount() ? forms_[index].get() : nullptr;
  }
  TDomElement* ActiveElement() const override {
    for (const auto& f : forms_)
      for (const auto& e : f->Elements())
        if (e->Focused()) return e.get();
    return nullptr;
  }
  int FrameCount() const override { return static_cast<int>(frames_.size()); }
  TDomDocument* FrameAt(int index) const override {
    return index >= 0 && index < FrameCount() ? frames_[index] : nullptr;
  }
  TDomDocument* TopDocument() const override { return top_; }

  void AddFrame(TSnapDocument* frame) { frames_.push_back(frame); }
  int Index() const { return index_; }
  const std::vector<std::unique_ptr<TSnapForm>>& Forms() const { return forms_; }

 private:
  TSnapDocument* top_;
  int index_;
  std::u16string url_, ready_;
  std::vector<std::unique_ptr<TSnapForm>> forms_;
  std::vector<TSnapDocument*> frames_;
};

TDomForm* TSnapElement::Form() const {
  return form_;
}
TDomDocument* TSnapForm::Document() const {
  return document_;
}

TBrowserDocument::TBrowserDocument(const QByteArray& snapshot_json, const TSnapshotLimits& limits) {
  if (snapshot_json.size() > limits.max_bytes)
    throw std::runtime_error("The page snapshot is too large");
  QJsonParseError error;
  const QJsonDocument json = QJsonDocument::fromJson(snapshot_json, &error);
  if (error.error != QJsonParseError::NoError || !json.isObject())
    throw std::runtime_error("Malformed page snapshot");
  if (json.object().contains("error"))
    throw std::runtime_error("The page could not be read: " +
                             json.object()["error"].toString().left(200).toStdString());
  TCounter count{limits};
  // Depth first, in the order the apply script walks the frames; nesting is bounded by the
  // document count, and the JSON parser bounds it on its own as well.
  struct TPending {
    QJsonObject object;
    TSnapDocument* parent;
  };
  std::vector<TPending> stack{{json.object(), nullptr}};
  while (!stack.empty()) {
    TPending p = std::move(stack.back());
    stack.pop_back();
    if (++count.documents > limits.max_documents)
      throw std::runtime_error("The page snapshot is too large");
    TSnapDocument* top = documents_.empty() ? nullptr : documents_.front().get();
    documents_.push_back(
        std::make_unique<TSnapDocument>(p.object, top, static_cast<int>(documents_.size()), count));
    TSnapDocument* doc = documents_.back().get();
    if (p.parent) p.parent->AddFrame(doc);
    const QJsonArray frames = p.object["frames"].toArray();
    for (qsizetype i = frames.size(); i > 0; --i) {
      if (!frames.at(i - 1).isObject()) throw std::runtime_error("Malformed page snapshot");
      stack.push_back({frames.at(i - 1).toObject(), doc});
    }
  }
}

TBrowserDocument::~TBrowserDocument() = default;

TDomDocument* TBrowserDocument::Top() const {
  return documents_.front().get();
}

QString TBrowserDocument::ChangesJson() const {
  QJsonArray changes;
  for (const auto& d : documents_) {
    for (size_t f = 0; f < d->Forms().size(); ++f) {
      const auto& elements = d->Forms()[f]->Elements();
      for (size_t e = 0; e < elements.size(); ++e) {
        QJsonObject c = elements[e]->Change();
        if (c.isEmpty()) continue;
        c["d"] = d->Index();
        c["f"] = static_cast<int>(f);
        c["e"] = static_cast<int>(e);
        changes.append(c);
      }
    }
  }
  return QString::fromUtf8(QJsonDocument(changes).toJson(QJsonDocument::Compact));
}

bool TBrowserDocument::HasChanges() const {
  return ChangesJson() != "[]";
}

}  // namespace quillora::app
