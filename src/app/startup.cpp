#include "app/startup.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTabWidget>
#include <QTimer>
#include <unistd.h>

#include "app/application.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/qt_user_interface.h"
#include "app/sites/sites_page.h"
#include "app/splash_window.h"
#include "foundation/app_state.h"
#include "foundation/monitors.h"
#include "net/transfer_threads.h"

namespace quillora::app {

TDesktopSession::TDesktopSession(TQtUserInterface& ui) : ui_(ui) {}

TDesktopSession::~TDesktopSession() {
  Finish();
}

bool TDesktopSession::Start(TStartupOptions options) {
  splash_ = std::make_unique<TfrmSplash>();
  splash_->ShowSplash();
  options.load_sites = true;
  options.load_records = false;  // the main window's first showing loads them
  options.progress = [splash = splash_.get()](int position, int total) {
    splash->SetProgress(position, total);
  };
  core_ = TCoreContext::Start(options);
  if (!core_) {
    splash_->HideSplash();
    return false;
  }
  // The site list fills the gauge to 90 % as it loads; a list of one site reports nothing to
  // scale, so the finished load says it here.
  splash_->SetProgress(90, 100);
  const TSystemDescription& sys = SystemDescription();
  AgentString() = "Quillora ( V3.0 Build " + sys.build + " " + sys.operating_system + " )";

  {
    TMonitorScope timing("Application.Initialize");
    main_ = std::make_unique<TfrmMain>(ui_);
    main_->SetSplash(splash_.get());
  }
  return true;
}

void TDesktopSession::Show() {
  if (main_) main_->show();
}

void TDesktopSession::Finish() {
  if (main_) {
    main_->close();
    main_.reset();
  }
  if (core_) {
    core_->Shutdown();
    core_.reset();
  }
  splash_.reset();
}

namespace {

// A debugging aid: pictures of the splash, the main window, the Sites page (table and
// thumbnails) and the Products page, then the program ends.
void GrabAndQuit(TDesktopSession& session, const QString& folder) {
  QDir().mkpath(folder);
  QObject::connect(session.MainWindow(), &TfrmMain::firstShowDone, session.MainWindow(),
                   [&session, folder] {
                     // Let the window be maximised and painted before the picture is taken.
                     QTimer::singleShot(800, session.MainWindow(), [&session, folder] {
                       TfrmMain* main = session.MainWindow();
                       main->grab().save(folder + "/main.png");
                       main->PageControl()->setCurrentIndex(TfrmMain::kSites);
                       // The Sites page's info panel paints once its page has loaded.
                       main->resize(1200, 720);
                       QTimer::singleShot(2500, main, [main, folder] {
                         main->grab().save(folder + "/sites.png");
                         main->Sites()->SetThumbnails(true);
                         QTimer::singleShot(1000, main, [main, folder] {
                           main->grab().save(folder + "/sites-thumbnails.png");
                           main->Sites()->SetThumbnails(false);
                           main->PageControl()->setCurrentIndex(TfrmMain::kProducts);
                           QTimer::singleShot(500, main, [main, folder] {
                             main->grab().save(folder + "/products.png");
                             main->close();
                           });
                         });
                       });
                     });
                   });
}

}  // namespace

int RunDesktop(int argc, char** argv) {
  // The embedded browser shares the OpenGL contexts of the widgets; set before the application.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // Chromium refuses to start its sandbox for root; the demo and the quick start run as root on
  // a fresh machine, so the browser runs unsandboxed there (a user account keeps the sandbox).
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  TQuilloraApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription("Quillora: keep your product descriptions and submit them");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption data_dir("data-dir", "The data folder.", "DIR");
  QCommandLineOption user_dir("user-dir", "The user folder.", "DIR");
  QCommandLineOption grab(
      "grab",
      "Save pictures of the splash, the main window and its Sites page into DIR, "
      "then quit.",
      "DIR");
  parser.addOptions({data_dir, user_dir, grab});
  parser.process(app);

  TQtUserInterface ui;
  TDesktopSession session(ui);
  TStartupOptions options;
  options.data_dir = PathFromQString(parser.value(data_dir));
  options.user_dir = PathFromQString(parser.value(user_dir));
  if (!session.Start(options)) return 1;
  if (parser.isSet(grab)) {
    QDir().mkpath(parser.value(grab));
    session.Splash()->grab().save(parser.value(grab) + "/splash.png");
    GrabAndQuit(session, parser.value(grab));
  }
  session.Show();
  const int status = app.exec();
  session.Finish();
  return status;
}

}  // namespace quillora::app
