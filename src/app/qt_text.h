// Between the program's stored texts (code-page bytes, or UTF-8 from PAD files) and Qt's strings,
// and between its path strings and Qt's file names.
#pragma once

#include <QString>
#include <string>

namespace quillora::app {

// A stored text for display: UTF-8 when it decodes as such, else the system code page.
QString ToQString(const std::string& text);
// Typed text back to the system code page (unmappable characters become '?').
std::string FromQString(const QString& text);

// Multi-line texts: stored with CR LF, shown in text boxes with LF.
QString ToMemoText(const std::string& text);
std::string FromMemoText(const QString& text);

// File names are bytes in the file system's encoding, not code-page text.
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);

// "Name|*.ext|All files|*.*" as Qt's dialogs want it: "Name (*.ext);;All files (*.*)".
QString DialogFilter(const std::string& filter);

}  // namespace quillora::app
