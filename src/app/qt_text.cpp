#include "app/qt_text.h"

#include <QFile>
#include <QStringList>

#include "foundation/codepage.h"

namespace quillora::app {

QString ToQString(const std::string& text) {
  const std::u16string wide = Utf8ToWide(text);
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string FromQString(const QString& text) {
  return WideToAnsi(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                        static_cast<size_t>(text.size())));
}

QString PathToQString(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string PathFromQString(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString DialogFilter(const std::string& filter) {
  const QStringList parts = ToQString(filter).split(u'|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(u';', u' ');
    out << parts[i] + " (" + patterns + ")";
  }
  return out.join(";;");
}

QString ToMemoText(const std::string& text) {
  return ToQString(text).replace("\r\n", "\n");
}

std::string FromMemoText(const QString& text) {
  QString stored = text;
  return FromQString(stored.replace("\n", "\r\n"));
}

}  // namespace quillora::app
