// The desktop program's user-interface port: hand-over to the GUI thread, message boxes answered
// by a scripted user, and the busy window's Stop.
#include "app/qt_user_interface.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <stdexcept>
#include <thread>

#include "app/application.h"
#include "app/busy_dialog.h"
#include "dialog_script.h"
#include "foundation/job.h"
#include "foundation/ui_port.h"

using namespace quillora;
using namespace quillora::app;

Q_DECLARE_METATYPE(QMessageBox::StandardButton)

class QtUserInterfaceTest : public QObject {
  Q_OBJECT
 private slots:
  void SynchronizeFromWorkerRunsOnGuiThread();
  void QuestionsAnsweredByScriptedUser_data();
  void QuestionsAnsweredByScriptedUser();
  void BusyWindowStopRequestsTheJobsStop();
};

void QtUserInterfaceTest::SynchronizeFromWorkerRunsOnGuiThread() {
  TQtUserInterface ui;
  const std::thread::id gui = std::this_thread::get_id();
  TJob job(TJob::TProgressTarget::None);
  struct Seen {
    std::thread::id worker, handed_over;
    int answer = 0;
  };
  const Seen seen = RunJob(job, [&](TJob&) {
    Seen s;
    s.worker = std::this_thread::get_id();
    for (int i = 1; i <= 50; ++i)
      Synchronize([&] {
        s.handed_over = std::this_thread::get_id();
        s.answer += i;
      });
    return s;
  });
  QVERIFY(seen.worker != gui);
  QVERIFY(seen.handed_over == gui);
  QCOMPARE(seen.answer, 50 * 51 / 2);

  // A failure on the GUI thread reaches the worker that handed the work over, and the job's
  // caller after it.
  TJob failing(TJob::TProgressTarget::None);
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, RunJob(failing, [](TJob&) {
                             Synchronize([] { throw std::runtime_error("refused"); });
                           }));
}

void QtUserInterfaceTest::QuestionsAnsweredByScriptedUser_data() {
  QTest::addColumn<QString>("question");
  QTest::addColumn<QMessageBox::StandardButton>("click");
  QTest::addColumn<int>("buttons");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<int>("expected");
  QTest::newRow("yes/no: yes") << "yesno" << QMessageBox::Yes << 2 << "Confirm" << 1;
  QTest::newRow("yes/no: no") << "yesno" << QMessageBox::No << 2 << "Confirm" << 0;
  QTest::newRow("yes/no/cancel: cancel") << "yesnocancel" << QMessageBox::Cancel << 3 << "Confirm"
                                         << static_cast<int>(TYesNoCancel::Cancel);
  QTest::newRow("yes to all") << "yesnoall" << QMessageBox::YesToAll << 4 << "Confirm"
                              << static_cast<int>(TYesNoAll::YesToAll);
  QTest::newRow("no to all") << "yesnoall" << QMessageBox::NoToAll << 4 << "Confirm"
                             << static_cast<int>(TYesNoAll::NoToAll);
  QTest::newRow("abort/retry: retry") << "retry" << QMessageBox::Retry << 2 << "Error" << 1;
  QTest::newRow("exit question: no") << "warning" << QMessageBox::No << 2 << "Warning" << 0;
}

void QtUserInterfaceTest::QuestionsAnsweredByScriptedUser() {
  QFETCH(QString, question);
  QFETCH(QMessageBox::StandardButton, click);
  QFETCH(int, buttons);
  QFETCH(QString, caption);
  QFETCH(int, expected);
  TQtUserInterface ui;
  QString seen_caption, seen_text;
  int seen_buttons = -1;
  quillora::test::AnswerNextDialog([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box) return;
    seen_caption = box->windowTitle();
    seen_text = box->text();
    seen_buttons = static_cast<int>(box->buttons().size());
    box->button(click)->click();
  });
  // Asked from a worker, as the core's jobs ask: the box still opens on the GUI thread.
  TJob job(TJob::TProgressTarget::None);
  const std::string text = "Overwrite \"Sample\"?\rIt exists.";
  const int answer = RunJob(job, [&](TJob&) -> int {
    if (question == "yesno") return UI().AskYesNo(text) ? 1 : 0;
    if (question == "yesnocancel") return static_cast<int>(UI().AskYesNoCancel(text));
    if (question == "yesnoall") return static_cast<int>(UI().AskYesNoAll(text));
    if (question == "retry") return UI().AskRetry(text) ? 1 : 0;
    return ui.AskWarningYesNo(text) ? 1 : 0;
  });
  QCOMPARE(answer, expected);
  QCOMPARE(seen_caption, caption);
  QCOMPARE(seen_buttons, buttons);
  QCOMPARE(seen_text, QString("Overwrite \"Sample\"?\nIt exists."));
}

void QtUserInterfaceTest::BusyWindowStopRequestsTheJobsStop() {
  TQtUserInterface ui;
  TJob job;
  bool clicked = false;
  // The user clicks Stop once the busy window is up.
  auto* timer = new QTimer(this);
  timer->setInterval(5);
  connect(timer, &QTimer::timeout, this, [&] {
    TBusyDialog* busy = ui.BusyDialog();
    if (!busy || !busy->isVisible()) return;
    busy->findChild<QPushButton*>("btnStop")->click();
    clicked = true;
    timer->stop();
  });
  timer->start();
  constexpr int kSteps = 200000;
  const int done = RunJob(job, [](TJob& j) {
    TBusyWindow busy("Checking sites");
    int i = 0;
    // Each report changes the shown figure, so each one reaches the busy window.
    for (; i < kSteps; ++i)
      if (!j.Progress(i % 2, 1)) break;
    return i;
  });
  delete timer;
  QVERIFY(clicked);
  QVERIFY(job.StopRequested());
  QVERIFY(done < kSteps);
  QVERIFY(ui.BusyDialog() == nullptr);
}

int main(int argc, char** argv) {
  TQuilloraApplication app(argc, argv);
  QtUserInterfaceTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "qt_user_interface_test.moc"
