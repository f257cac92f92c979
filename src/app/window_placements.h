// Window placements of the program's windows, kept in the settings as "Window_<name>": read from
// a window, applied to it, and saved or restored for every window the program made.
#pragma once

#include <QWidget>
#include <string>

#include "foundation/option_list.h"
#include "foundation/window_state.h"

namespace quillora::app {

// How a window places itself until a stored placement says otherwise: centred on the screen
// ("SC"), on the desktop ("DC"), or where it was put ("D").
enum class TAutoPosition { None, ScreenCenter, DesktopCenter };
void SetAutoPosition(QWidget* window, TAutoPosition position);
TAutoPosition AutoPosition(const QWidget* window);

// Marks a top-level window as one of the program's windows: its placement is saved and restored.
void RegisterPlacedWindow(QWidget* window);

TWindowPlacement ReadPlacement(const QWidget* window);
// Stops automatic positioning, then maximises or makes the window normal (centred for "SC" and
// "DC"), applies left and top, and width and height only when the window can be resized.
void ApplyPlacement(QWidget* window, const TWindowPlacement& placement);

void SaveWindowPlacements(TOptionsList& settings);
// Only windows whose stored placement is not empty are touched.
void RestoreWindowPlacements(const TOptionsList& settings);

}  // namespace quillora::app
