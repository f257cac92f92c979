#include "foundation/ui_port.h"

#include <chrono>
#include <iostream>
#include <stdexcept>

namespace quillora {

TUserInterface::TUserInterface() : ui_thread_(std::this_thread::get_id()) {}

void TUserInterface::Synchronize(const std::function<void()>& fn) {
  if (IsUserInterfaceThread()) {
    fn();
    return;
  }
  Pending pending{&fn, false, nullptr};
  std::unique_lock lock(mutex_);
  queue_.push_back(&pending);
  cv_.notify_all();
  cv_.wait(lock, [&] { return pending.done; });
  if (pending.error) std::rethrow_exception(pending.error);
}

void TUserInterface::ProcessMessages() {
  std::unique_lock lock(mutex_);
  while (!queue_.empty()) {
    Pending* p = queue_.front();
    queue_.pop_front();
    lock.unlock();
    try {
      (*p->fn)();
    } catch (...) {
      p->error = std::current_exception();
    }
    lock.lock();
    p->done = true;
    cv_.notify_all();
  }
}

void TSilentUserInterface::ShowMessage(TMessageKind kind, const std::string& text) {
  const char* prefix = kind == TMessageKind::Error     ? "error: "
                       : kind == TMessageKind::Warning ? "warning: "
                                                       : "info: ";
  std::cerr << prefix << text << '\n';
}

namespace {
TSilentUserInterface& SilentUI() {
  static TSilentUserInterface silent;
  return silent;
}
TUserInterface* g_ui = nullptr;
}  // namespace

TUserInterface& UI() {
  return g_ui ? *g_ui : SilentUI();
}
void SetUI(TUserInterface* ui) {
  g_ui = ui;
}

void ShowError(const std::string& text) {
  UI().ShowMessage(TMessageKind::Error, text);
}
void ShowInfo(const std::string& text) {
  UI().ShowMessage(TMessageKind::Info, text);
}
void ShowWarning(const std::string& text) {
  UI().ShowMessage(TMessageKind::Warning, text);
}
bool AskYesNo(const std::string& text) {
  return UI().AskYesNo(text);
}

void RetryFileOperation(const std::function<void()>& op, int attempts, int delay_ms) {
  for (;;) {
    std::exception_ptr last;
    for (int i = 0; i < attempts; ++i) {
      try {
        op();
        return;
      } catch (const std::exception&) {
        last = std::current_exception();
      }
      if (i + 1 < attempts) std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    }
    std::string message = "Operation failed";
    try {
      std::rethrow_exception(last);
    } catch (const std::exception& e) {
      message = e.what();
    }
    if (!UI().AskRetry(message)) std::rethrow_exception(last);
  }
}

}  // namespace quillora
