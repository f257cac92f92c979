#include "dialog_script.h"

#include <QApplication>
#include <QTimer>
#include <memory>

namespace quillora::test {

void AnswerNextDialog(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer(qApp);
  timer->setObjectName("dialogAnswer");
  auto attempts = std::make_shared<int>(500);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, attempts, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible()) {
      timer->stop();
      timer->deleteLater();
      answer(modal);
    } else if (--*attempts <= 0) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start();
}

void ForgetUnansweredDialogs() {
  for (QTimer* timer : qApp->findChildren<QTimer*>("dialogAnswer", Qt::FindDirectChildrenOnly)) {
    timer->stop();
    timer->deleteLater();
  }
}

}  // namespace quillora::test
