// The scripts the program runs inside web pages, all in the application's own script world:
// the snapshot of a page's forms, the write-back of the form filler's changes, and the hook that
// reports form submissions over the console channel.
#pragma once

#include <QString>

namespace quillora::app {

// Returns (as JSON text) every document of the page reachable from the top frame with its forms
// and their controls.
QString SnapshotScript();
// Writes the changes described by `changes_json` (see TBrowserDocument::ChangesJson) back into
// the page; returns JSON text {"applied": n}.
QString ApplyScript(const QString& changes_json);
// Installed at document creation in every frame: reports each form submission as one console
// message starting with `token`.
QString SubmitHookScript(const QString& token);

}  // namespace quillora::app
