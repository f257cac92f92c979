// One of the product editor's HTML pages: a local page file shown in an embedded browser with
// its own scripts off, whose forms are filled from the record being edited and read back into
// it by a script of ours that runs apart from the page.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "foundation/option_list.h"

class QWebEngineView;

namespace quillora::app {

class THtmlEditorPage : public QWidget {
  Q_OBJECT
 public:
  // Starts loading the file at once; the caption is the file name up to its first "." until the
  // page's title is known.
  THtmlEditorPage(const QString& path, QWidget* parent);
  ~THtmlEditorPage() override;

  QString Caption() const { return caption_; }
  // The file loaded and its fields are bound (a page that failed binds nothing).
  bool Shown() const { return state_ == TState::Shown; }
  QWebEngineView* View() const { return view_; }
  // Waits (at most timeout_ms) until the file has loaded or failed; true when it is shown.
  bool WaitShown(int timeout_ms = kScriptTimeoutMs);
  // Fills the forms from the record / stores them into it; false (and nothing done) when the
  // page is not shown or did not answer in time.
  bool Load(const TOptionsList& record);
  bool Store(TOptionsList& record);

  static constexpr int kScriptTimeoutMs = 10000;

 signals:
  void captionChanged(const QString& caption);

 private:
  enum class TState { Loading, Shown, Failed };
  // Runs a script of ours in the application's script world and waits for its text answer.
  std::optional<QString> RunScript(const QString& script);
  void SetTitle(const QString& title);

  QString path_;
  QString caption_;
  QWebEngineView* view_ = nullptr;
  TState state_ = TState::Loading;
};

}  // namespace quillora::app
