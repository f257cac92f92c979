#include "foundation/ui_port.h"

#include <atomic>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <type_traits>

namespace quillora {

TUserInterface::TUserInterface() : ui_thread_(std::this_thread::get_id()) {}

template <typename F>
auto TUserInterface::OnUserInterfaceThread(F&& f) -> decltype(f()) {
  using R = decltype(f());
  if (AnswersOnAnyThread() || IsUserInterfaceThread()) return f();
  if constexpr (std::is_void_v<R>) {
    HandOver(f);
  } else {
    std::optional<R> result;
    HandOver([&] { result.emplace(f()); });
    return std::move(*result);
  }
}

void TUserInterface::ShowMessage(TMessageKind kind, const std::string& text) {
  OnUserInterfaceThread([&] { DoShowMessage(kind, text); });
}
bool TUserInterface::AskYesNo(const std::string& text) {
  return OnUserInterfaceThread([&] { return DoAskYesNo(text); });
}
TYesNoCancel TUserInterface::AskYesNoCancel(const std::string& text) {
  return OnUserInterfaceThread([&] { return DoAskYesNoCancel(text); });
}
TYesNoAll TUserInterface::AskYesNoAll(const std::string& text) {
  return OnUserInterfaceThread([&] { return DoAskYesNoAll(text); });
}
bool TUserInterface::AskRetry(const std::string& text) {
  return OnUserInterfaceThread([&] { return DoAskRetry(text); });
}
bool TUserInterface::OpenFileDialog(const std::string& title, const std::string& filter,
                                    std::string& path) {
  return OnUserInterfaceThread([&] { return DoOpenFileDialog(title, filter, path); });
}
bool TUserInterface::SaveFileDialog(const std::string& title, const std::string& filter,
                                    std::string& path) {
  return OnUserInterfaceThread([&] { return DoSaveFileDialog(title, filter, path); });
}
bool TUserInterface::SelectFolderDialog(const std::string& title, std::string& path) {
  return OnUserInterfaceThread([&] { return DoSelectFolderDialog(title, path); });
}
bool TUserInterface::InputText(const std::string& title, const std::string& prompt,
                               std::string& value) {
  return OnUserInterfaceThread([&] { return DoInputText(title, prompt, value); });
}
bool TUserInterface::CheckList(const std::string& title, const std::vector<std::string>& items,
                               std::vector<bool>& checked) {
  return OnUserInterfaceThread([&] { return DoCheckList(title, items, checked); });
}
void TUserInterface::BeginBusy(const std::string& caption) {
  OnUserInterfaceThread([&] { DoBeginBusy(caption); });
}
bool TUserInterface::Progress(long long position, long long total) {
  return OnUserInterfaceThread([&] { return DoProgress(position, total); });
}
void TUserInterface::EndBusy() {
  OnUserInterfaceThread([&] { DoEndBusy(); });
}
bool TUserInterface::OpenDocument(const std::string& path_or_url) {
  return OnUserInterfaceThread([&] { return DoOpenDocument(path_or_url); });
}
void TUserInterface::SetClipboardText(const std::string& text) {
  OnUserInterfaceThread([&] { DoSetClipboardText(text); });
}
std::string TUserInterface::ClipboardText() {
  return OnUserInterfaceThread([&] { return DoClipboardText(); });
}

void TUserInterface::Synchronize(const std::function<void()>& fn) {
  if (IsUserInterfaceThread()) {
    fn();
    return;
  }
  HandOver(fn);
}

void TUserInterface::ProcessMessages() {
  if (IsUserInterfaceThread()) DoProcessMessages();
}

void TUserInterface::ProcessMessagesUntil(const std::function<bool()>& done) {
  if (IsUserInterfaceThread()) {
    for (;;) {
      DoProcessMessages();
      if (done()) return;
      WaitForMessages();
    }
  }
  for (;;) {
    unsigned long long seen;
    {
      std::lock_guard lock(mutex_);
      seen = wake_count_;
    }
    if (done()) return;
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return wake_count_ != seen; });
  }
}

void TUserInterface::WakeUp() {
  {
    std::lock_guard lock(mutex_);
    ++wake_count_;
  }
  cv_.notify_all();
  DoWakeUp();
}

void TUserInterface::HandOver(const std::function<void()>& fn) {
  Pending pending{&fn, false, nullptr};
  std::unique_lock lock(mutex_);
  queue_.push_back(&pending);
  cv_.notify_all();
  cv_.wait(lock, [&] { return pending.done; });
  if (pending.error) std::rethrow_exception(pending.error);
}

void TUserInterface::DoProcessMessages() {
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

void TUserInterface::WaitForMessages() {
  std::unique_lock lock(mutex_);
  cv_.wait(lock, [&] { return !queue_.empty() || wake_count_ != ui_seen_wake_; });
  ui_seen_wake_ = wake_count_;
}

void TSilentUserInterface::DoShowMessage(TMessageKind kind, const std::string& text) {
  const char* prefix = kind == TMessageKind::Error     ? "error: "
                       : kind == TMessageKind::Warning ? "warning: "
                                                       : "info: ";
  std::cerr << prefix << text << '\n';
}

void TSilentUserInterface::DoSetClipboardText(const std::string& text) {
  std::lock_guard lock(clipboard_mutex_);
  clipboard_ = text;
}

std::string TSilentUserInterface::DoClipboardText() {
  std::lock_guard lock(clipboard_mutex_);
  return clipboard_;
}

namespace {
TSilentUserInterface& SilentUI() {
  static TSilentUserInterface silent;
  return silent;
}
// Made while the program starts, on its main thread, rather than by whichever thread asks first.
[[maybe_unused]] TSilentUserInterface& g_silent_made_early = SilentUI();
std::atomic<TUserInterface*> g_ui{nullptr};
}  // namespace

TUserInterface& UI() {
  TUserInterface* ui = g_ui.load(std::memory_order_acquire);
  return ui ? *ui : SilentUI();
}
void SetUI(TUserInterface* ui) {
  g_ui.store(ui, std::memory_order_release);
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

TBusyWindow::TBusyWindow(const std::string& caption) : ui_(UI()) {
  ui_.BeginBusy(caption);
}

TBusyWindow::~TBusyWindow() {
  try {
    Close();
  } catch (...) {
    // A port failing to close its window must not end the program from a destructor.
  }
}

void TBusyWindow::Close() {
  if (!open_) return;
  open_ = false;
  ui_.EndBusy();
}

}  // namespace quillora
