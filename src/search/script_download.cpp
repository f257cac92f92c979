#include "search/script_download.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "net/transfer_threads.h"

namespace quillora {

namespace {

constexpr int64_t kHeaderSize = 12;
constexpr size_t kCopyPiece = 32 * 1024;

char HexDigit(uint32_t v) {
  return "0123456789abcdef"[v & 15];
}

std::string Hex8(uint32_t v) {
  std::string s(8, '0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[i] = HexDigit(v);
  return s;
}

}  // namespace

std::optional<uint32_t> ParseHex8(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  uint32_t value = 0;
  for (const char c : text) {
    uint32_t digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return std::nullopt;
    value = value << 4 | digit;
  }
  return value;
}

std::optional<TBlockReply> ParseBlockReply(std::string_view reply) {
  if (reply.size() < 24) return std::nullopt;
  const auto crc = ParseHex8(reply.substr(0, 8));
  const auto total = ParseHex8(reply.substr(8, 8));
  const auto extra = ParseHex8(reply.substr(16, 8));
  if (!crc || !total || !extra) return std::nullopt;
  if (Crc32(reply.substr(8)) != *crc) return std::nullopt;
  TBlockReply r;
  r.crc = *crc;
  r.total = static_cast<int32_t>(*total);
  r.extra = *extra;
  r.data = reply.substr(24);
  return r;
}

std::string MakeBlockReply(int32_t total, uint32_t extra, std::string_view data) {
  std::string rest = Hex8(static_cast<uint32_t>(total)) + Hex8(extra);
  rest.append(data);
  return Hex8(Crc32(rest)) + rest;
}

// One block fetcher: its worker writes the reply into body; the download reads it once the
// worker has ended.
struct TScriptDownload::TPart {
  std::unique_ptr<TDownloadThread> thread;
  TMemoryStream body;
  TTransferAbort abort;
  std::string url;
  int block = -1;  // -1: the first request
  bool idle = true;
};

TScriptDownload::TScriptDownload(TScriptDownloadOptions options) : options_(std::move(options)) {
  block_size_ = std::clamp(options_.block_kib, 1, 500) * 1024;
  const int parts = std::clamp(options_.parts, 1, 20);
  for (int i = 0; i < parts; ++i) parts_.push_back(std::make_unique<TPart>());
  Send(*parts_.back(), FirstUrl(), -1);
}

TScriptDownload::~TScriptDownload() {
  AbortParts();
  state_.reset();
}

std::string TScriptDownload::FirstUrl() const {
  return options_.base_url + "?Filename=" + options_.remote_name +
         (options_.admin ? "&Mode=admin" : "");
}

std::string TScriptDownload::BlockUrl(int block) const {
  return options_.base_url + "?Filename=" + options_.remote_name +
         "&Start=" + std::to_string(int64_t{block} * block_size_) +
         "&Length=" + std::to_string(block_size_) + (options_.admin ? "&Mode=admin" : "");
}

void TScriptDownload::Send(TPart& part, const std::string& url, int block) {
  part.thread.reset();
  part.abort.Reset();
  part.body.Data().clear();
  part.body.SetPosition(0);
  part.url = url;
  part.block = block;
  part.idle = false;
  if (block >= 0) ++block_requests_;
  TDownloadThread::TRequest request;
  request.url = url;
  request.stream = &part.body;
  request.abort = &part.abort;
  part.thread = std::make_unique<TDownloadThread>(std::move(request));
}

void TScriptDownload::AbortParts() {
  for (auto& part : parts_) {
    part->abort.Request();
    if (part->thread) part->thread->Terminate();
  }
  for (auto& part : parts_) {
    part->thread.reset();  // waits for the worker
    part->idle = true;
    part->block = -1;
  }
}

void TScriptDownload::Poll() {
  for (auto& part_ptr : parts_) {
    if (finished_) return;
    TPart& part = *part_ptr;
    if (part.idle || !part.thread || !part.thread->Finished()) continue;
    const TTransferResult result = part.thread->Result();
    part.thread.reset();
    part.idle = true;
    if (result == trAborted) continue;
    if (result != trNoError) {
      Send(part, part.url, part.block);
      continue;
    }
    Handle(part, part.body.Data());
  }
}

void TScriptDownload::Handle(TPart& part, const std::string& reply_text) {
  const auto reply = ParseBlockReply(reply_text);
  const bool first = part.block < 0;
  // A block whose data does not fill exactly its place would spill into the next one.
  bool fits = true;
  if (reply && !first && total_ >= 0 && reply->total == total_) {
    const int64_t start = int64_t{part.block} * block_size_;
    const int64_t expected = std::min<int64_t>(block_size_, total_ - start);
    fits = static_cast<int64_t>(reply->data.size()) == expected;
  }
  if (!reply || !fits) {
    Send(part, part.url, part.block);
    return;
  }
  if ((first_reply_ && reply->total < 0) ||
      (!first_reply_ && total_ >= 0 && reply->total != total_)) {
    total_ = reply->total;
    Restart();
    return;
  }
  total_ = reply->total;
  if (first) {
    if (!first_reply_) return;  // a stale first reply after a restart
    first_reply_ = false;
    if (options_.fresh_start || !Resume()) StartFresh();
    if (on_progress) on_progress(received_, total_);
    Schedule();
    return;
  }
  if (part.block >= block_count_ || flags_[part.block]) {
    Schedule();
    return;
  }
  WriteBlock(part.block, reply->data);
  if (on_progress) on_progress(received_, total_);
  Schedule();
}

std::optional<TDownloadState> ReadDownloadState(TStream& file, int32_t block_size) {
  if (block_size <= 0) return std::nullopt;
  const int64_t size = file.Size();
  if (size < kHeaderSize) return std::nullopt;
  file.SetPosition(0);
  TDownloadState state;
  state.total = ReadInt32(file);
  state.received = ReadInt32(file);
  const int32_t count = ReadInt32(file);
  if (state.total < 0 || count < 0 || size != kHeaderSize + count + int64_t{state.total})
    return std::nullopt;
  // A state file made with another block size would put the blocks elsewhere.
  if (count != (int64_t{state.total} + block_size - 1) / block_size) return std::nullopt;
  state.flags.resize(static_cast<size_t>(count));
  if (count > 0) file.ReadExact(state.flags.data(), state.flags.size());
  return state;
}

bool TScriptDownload::Resume() {
  const std::string path = StatePath();
  if (!FileExists(path)) return false;
  try {
    auto f = std::make_unique<TFileStream>(path, TFileStream::Mode::ReadWrite);
    auto state = ReadDownloadState(*f, block_size_);
    if (!state) return false;
    total_ = state->total;
    received_ = state->received;
    block_count_ = static_cast<int32_t>(state->flags.size());
    flags_ = std::move(state->flags);
    state_ = std::move(f);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TScriptDownload::StartFresh() {
  if (total_ < 0) return;
  state_.reset();
  block_count_ = static_cast<int32_t>((total_ + block_size_ - 1) / block_size_);
  flags_.assign(block_count_, 0);
  received_ = 0;
  ForceDirectories(options_.folder);
  state_ = std::make_unique<TFileStream>(StatePath(), TFileStream::Mode::Create);
  WriteInt32(*state_, static_cast<int32_t>(total_));
  WriteInt32(*state_, 0);
  WriteInt32(*state_, block_count_);
  if (block_count_ > 0) state_->Write(flags_.data(), flags_.size());
  state_->Flush();
  std::error_code ec;
  std::filesystem::resize_file(StatePath(), kHeaderSize + block_count_ + total_, ec);
  if (ec) throw std::runtime_error("Cannot create file " + StatePath());
}

void TScriptDownload::Restart() {
  AbortParts();
  state_.reset();
  DeleteFileAt(StatePath());
  flags_.clear();
  block_count_ = 0;
  received_ = 0;
  if (total_ < 0) {
    Finish();
    return;
  }
  first_reply_ = true;
  total_ = -1;
  Send(*parts_.front(), FirstUrl(), -1);
}

void TScriptDownload::WriteBlock(int block, std::string_view data) {
  // The flags on disk are those before this block: a mark is only ever written after its data,
  // so a download killed here refetches this block rather than trusting a half-written one.
  state_->SetPosition(4);
  WriteInt32(*state_, static_cast<int32_t>(received_));
  WriteInt32(*state_, block_count_);
  state_->Write(flags_.data(), flags_.size());
  state_->SetPosition(kHeaderSize + block_count_ + int64_t{block} * block_size_);
  state_->Write(data);
  state_->Flush();
  flags_[block] = 1;
  received_ += static_cast<int64_t>(data.size());
}

void TScriptDownload::Schedule() {
  if (finished_ || first_reply_ || total_ < 0) return;
  std::vector<bool> busy(block_count_, false);
  for (const auto& part : parts_)
    if (!part->idle && part->block >= 0 && part->block < block_count_) busy[part->block] = true;
  bool all = true;
  for (int i = 0; i < block_count_; ++i) {
    if (flags_[i]) continue;
    all = false;
    if (busy[i]) continue;
    auto idle = std::find_if(parts_.begin(), parts_.end(), [](const auto& p) { return p->idle; });
    if (idle == parts_.end()) break;
    Send(**idle, BlockUrl(i), i);
    busy[i] = true;
  }
  if (all) Complete();
}

void TScriptDownload::Complete() {
  {
    TFileStream out(ArchivePath(), TFileStream::Mode::Create);
    std::string piece;
    int64_t left = total_;
    state_->SetPosition(kHeaderSize + block_count_);
    while (left > 0) {
      piece.resize(static_cast<size_t>(std::min<int64_t>(left, kCopyPiece)));
      state_->ReadExact(piece.data(), piece.size());
      out.Write(piece);
      left -= static_cast<int64_t>(piece.size());
    }
    out.Flush();
  }
  state_.reset();
  DeleteFileAt(StatePath());
  Finish();
}

void TScriptDownload::Finish() {
  finished_ = true;
  if (on_finished) on_finished();
}

TScriptDownload* TScriptDownloadsList::Start(const std::string& uin,
                                             TScriptDownloadOptions options) {
  if (downloads_.count(uin)) return nullptr;
  auto download = std::make_unique<TScriptDownload>(std::move(options));
  download->on_progress = [this, uin](int64_t received, int64_t total) {
    if (on_progress) on_progress(uin, received, total);
  };
  return downloads_.emplace(uin, std::move(download)).first->second.get();
}

void TScriptDownloadsList::Remove(const std::string& uin) {
  downloads_.erase(uin);
}

TScriptDownload* TScriptDownloadsList::Find(const std::string& uin) const {
  const auto it = downloads_.find(uin);
  return it == downloads_.end() ? nullptr : it->second.get();
}

void TScriptDownloadsList::PollAll() {
  for (auto& [uin, download] : downloads_) download->Poll();
}

}  // namespace quillora
