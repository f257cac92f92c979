// Answers the next modal dialog of a test the way a user would, from the GUI thread's event loop.
#pragma once

#include <QWidget>
#include <functional>

namespace quillora::test {

// Watches for the next modal dialog (checking every 10 ms, for at most 5 s) and hands it to
// answer, which clicks or closes it. Returns at once; the answer comes while the test (or the
// code under test) runs the dialog's modal loop.
void AnswerNextDialog(std::function<void(QWidget*)> answer);
// Drops the watches that have not met a dialog yet (after checking that none appeared).
void ForgetUnansweredDialogs();

}  // namespace quillora::test
