#include "app/window_placements.h"

#include <QApplication>
#include <QScreen>

#include "app/qt_text.h"

namespace quillora::app {

namespace {

constexpr const char* kPlacedProperty = "quilloraPlaced";
constexpr const char* kAutoPositionProperty = "quilloraAutoPosition";

std::string WindowName(const QWidget* window) {
  return PathFromQString(window->objectName());
}

bool Resizable(const QWidget* window) {
  return window->minimumSize() != window->maximumSize();
}

void Centre(QWidget* window, TAutoPosition position) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  // The desktop is the whole virtual desktop; the screen's work area leaves out panels.
  const QRect area =
      position == TAutoPosition::DesktopCenter ? screen->virtualGeometry() : screen->geometry();
  QRect frame = window->frameGeometry();
  frame.moveCenter(area.center());
  window->move(frame.topLeft());
}

}  // namespace

void SetAutoPosition(QWidget* window, TAutoPosition position) {
  window->setProperty(kAutoPositionProperty, static_cast<int>(position));
  if (position != TAutoPosition::None) Centre(window, position);
}

TAutoPosition AutoPosition(const QWidget* window) {
  return static_cast<TAutoPosition>(window->property(kAutoPositionProperty).toInt());
}

void RegisterPlacedWindow(QWidget* window) {
  window->setProperty(kPlacedProperty, true);
}

TWindowPlacement ReadPlacement(const QWidget* window) {
  TWindowPlacement p;
  p.state = window->isMaximized() ? TWindowPlacement::State::Maximized
            : AutoPosition(window) == TAutoPosition::ScreenCenter
                ? TWindowPlacement::State::ScreenCenter
            : AutoPosition(window) == TAutoPosition::DesktopCenter
                ? TWindowPlacement::State::DesktopCenter
                : TWindowPlacement::State::Default;
  // A maximised window keeps the place it returns to.
  const QRect normal = window->isMaximized() ? window->normalGeometry() : window->geometry();
  const QPoint frame_offset = window->geometry().topLeft() - window->frameGeometry().topLeft();
  p.left =
      window->isMaximized() ? normal.left() - frame_offset.x() : window->frameGeometry().left();
  p.top = window->isMaximized() ? normal.top() - frame_offset.y() : window->frameGeometry().top();
  p.width = normal.width();
  p.height = normal.height();
  p.has_left = p.has_top = p.has_width = p.has_height = true;
  return p;
}

void ApplyPlacement(QWidget* window, const TWindowPlacement& p) {
  window->setProperty(kAutoPositionProperty, static_cast<int>(TAutoPosition::None));
  if (p.state == TWindowPlacement::State::Maximized) {
    window->showMaximized();
    return;
  }
  if (window->isMaximized()) window->showNormal();
  if (p.state == TWindowPlacement::State::ScreenCenter) Centre(window, TAutoPosition::ScreenCenter);
  if (p.state == TWindowPlacement::State::DesktopCenter)
    Centre(window, TAutoPosition::DesktopCenter);
  if (Resizable(window)) {
    QSize size = window->size();
    if (p.has_width) size.setWidth(p.width);
    if (p.has_height) size.setHeight(p.height);
    window->resize(size);
  }
  QPoint at = window->frameGeometry().topLeft();
  if (p.has_left) at.setX(p.left);
  if (p.has_top) at.setY(p.top);
  window->move(at);
}

void SaveWindowPlacements(TOptionsList& settings) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->property(kPlacedProperty).toBool() && !w->objectName().isEmpty())
      StoreWindowPlacement(settings, WindowName(w), ReadPlacement(w));
}

void RestoreWindowPlacements(const TOptionsList& settings) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->property(kPlacedProperty).toBool() || w->objectName().isEmpty()) continue;
    const std::string stored = StoredWindowPlacement(settings, WindowName(w));
    if (!stored.empty()) ApplyPlacement(w, ParseWindowPlacement(stored));
  }
}

}  // namespace quillora::app
