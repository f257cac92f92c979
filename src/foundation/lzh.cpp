#include "foundation/lzh.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

namespace quillora {
namespace {

// Coder parameters. Every one of them is part of the stored format.
constexpr int kRing = 4096;                       // window size; distances are 12-bit
constexpr int kLook = 60;                         // longest match
constexpr int kThreshold = 2;                     // a match must be longer than this
constexpr int kNil = kRing;                       // "no node" in the search trees
constexpr int kChars = 256 - kThreshold + kLook;  // 314 symbols: bytes, then lengths 3..60
constexpr int kNodes = kChars * 2 - 1;            // 627 Huffman nodes
constexpr int kRoot = kNodes - 1;                 // 626
constexpr uint32_t kMaxFreq = 0x8000;             // root frequency that forces a rebuild
constexpr int kStartPos = kRing - kLook;          // 4036: first write position

constexpr char kNoMemory[] = "LZH : Cannot get memory for dictionary tables";

// ---------------------------------------------------------------------------------------------
// Distance coding: the upper six bits of a distance go through a fixed prefix code of 3 to 8
// bits, the lower six are sent verbatim. The code is canonical, so both directions are derived
// from the count of codes per length instead of being typed in.

struct PositionCode {
  uint8_t enc_len[64];     // code length of each upper-six-bit value
  uint8_t enc_code[64];    // its code, left-aligned in a byte
  uint8_t dec_value[256];  // upper six bits for every byte that starts with a code
  uint8_t dec_len[256];    // and the length of that code
};

constexpr PositionCode MakePositionCode() {
  PositionCode t{};
  constexpr int kCountPerLength[6] = {1, 3, 8, 12, 24, 16};  // lengths 3..8
  int value = 0;
  unsigned code = 0;
  for (int li = 0; li < 6; ++li) {
    const int len = 3 + li;
    const unsigned span = 256u >> len;
    for (int k = 0; k < kCountPerLength[li]; ++k, ++value, code += span) {
      t.enc_len[value] = static_cast<uint8_t>(len);
      t.enc_code[value] = static_cast<uint8_t>(code);
      for (unsigned b = code; b < code + span; ++b) {
        t.dec_value[b] = static_cast<uint8_t>(value);
        t.dec_len[b] = static_cast<uint8_t>(len);
      }
    }
  }
  return t;
}

constexpr PositionCode kPosCode = MakePositionCode();
static_assert(kPosCode.enc_code[63] == 0xFF && kPosCode.enc_len[63] == 8);

// ---------------------------------------------------------------------------------------------
// The adaptive Huffman tree. Nodes 0..626 are kept in nondecreasing frequency order with siblings
// side by side; son[n] is the even child of an inner node or kNodes + symbol for a leaf, and the
// leaves' parents are stored at prnt[kNodes + symbol].

struct HuffmanTree {
  uint32_t freq[kNodes + 1];
  int32_t prnt[kNodes + kChars];
  int32_t son[kNodes];

  void Start() {
    for (int i = 0; i < kChars; ++i) {
      freq[i] = 1;
      son[i] = i + kNodes;
      prnt[i + kNodes] = i;
    }
    for (int i = 0, j = kChars; j <= kRoot; i += 2, ++j) {
      freq[j] = freq[i] + freq[i + 1];
      son[j] = i;
      prnt[i] = prnt[i + 1] = j;
    }
    freq[kNodes] = 0xFFFF;  // ends every scan for the end of a run
    prnt[kRoot] = 0;
  }

  // Halves the frequencies and re-pairs the nodes.
  void Rebuild() {
    int j = 0;
    for (int i = 0; i < kNodes; ++i) {
      if (son[i] >= kNodes) {
        freq[j] = (freq[i] + 1) / 2;
        son[j] = son[i];
        ++j;
      }
    }
    for (int i = 0, n = kChars; n < kNodes; i += 2, ++n) {
      const uint32_t f = freq[i] + freq[i + 1];
      int k = n - 1;
      while (f < freq[k]) --k;
      ++k;
      std::memmove(&freq[k + 1], &freq[k], (n - k) * sizeof(freq[0]));
      freq[k] = f;
      std::memmove(&son[k + 1], &son[k], (n - k) * sizeof(son[0]));
      son[k] = i;
    }
    for (int i = 0; i < kNodes; ++i) {
      const int k = son[i];
      if (k >= kNodes) {
        prnt[k] = i;
      } else {
        prnt[k] = prnt[k + 1] = i;
      }
    }
  }

  // Counts one more occurrence of symbol c, moving nodes so the order stays intact. Both coders
  // have just walked the path, so `up` lists its nodes from the leaf of c to the root's child:
  // the parents come from that list instead of a chain of lookups, until a node moves.
  void Update(int c, const int* up, int depth) {
    if (freq[kRoot] == kMaxFreq) {
      Rebuild();
      CountFrom(prnt[c + kNodes]);
      return;
    }
    for (int level = 0; level < depth; ++level) {
      const int moved = CountNode(up[level]);
      if (moved != up[level]) {
        CountFrom(prnt[moved]);
        return;
      }
    }
    ++freq[kRoot];  // nothing lies to its right, so the root never moves
  }

 private:
  void CountFrom(int c) {
    do c = prnt[CountNode(c)];
    while (c != 0);
  }

  // Counts node c; if that breaks the order, c trades places with the last node of the run of
  // equal frequencies it just left. Returns where the count ended up.
  int CountNode(int c) {
    const uint32_t k = ++freq[c];
    int l = c + 1;
    if (k <= freq[l]) return c;
    // Runs are short once the counts have spread out, but span most of the table while a
    // young tree still has hundreds of equal counts.
    for (int steps = 0; k > freq[l + 1]; ++l) {
      if (++steps == 8) {
        l = static_cast<int>(std::lower_bound(freq + l + 1, freq + kNodes + 1, k) - freq) - 1;
        break;
      }
    }
    freq[c] = freq[l];
    freq[l] = k;
    const int i = son[c];
    prnt[i] = l;
    if (i < kNodes) prnt[i + 1] = l;
    const int j = son[l];
    son[l] = i;
    prnt[j] = c;
    if (j < kNodes) prnt[j + 1] = c;
    son[c] = j;
    return l;
  }
};

// The tree always has the sibling property with a root frequency of at most 0x8000, so no leaf
// lies deeper than 21 (a deeper one would need a root frequency of at least fib(24) = 46368).
constexpr int kMaxCodeBits = 21;

// ---------------------------------------------------------------------------------------------
// Encoder

template <class Sink>
class BitWriter {
 public:
  explicit BitWriter(Sink& sink) : sink_(sink) {}

  // Appends the low `len` bits of `bits`, most significant first; len <= 32.
  void Put(uint32_t bits, int len) {
    acc_ = (acc_ << len) | bits;
    nbits_ += len;
    if (nbits_ >= 32) {
      nbits_ -= 32;
      if (pos_ > sizeof(buf_) - 4) Flush();
      const auto word = static_cast<uint32_t>(acc_ >> nbits_);
      buf_[pos_] = static_cast<uint8_t>(word >> 24);
      buf_[pos_ + 1] = static_cast<uint8_t>(word >> 16);
      buf_[pos_ + 2] = static_cast<uint8_t>(word >> 8);
      buf_[pos_ + 3] = static_cast<uint8_t>(word);
      pos_ += 4;
    }
  }

  // Emits what is left, the last byte padded with zero bits.
  void Finish() {
    if (nbits_ % 8) Put(0, 8 - nbits_ % 8);
    if (pos_ > sizeof(buf_) - 4) Flush();
    while (nbits_ > 0) {
      nbits_ -= 8;
      buf_[pos_++] = static_cast<uint8_t>(acc_ >> nbits_);
    }
    Flush();
  }

 private:
  void Flush() {
    sink_.Write(buf_, pos_);
    pos_ = 0;
  }

  Sink& sink_;
  uint64_t acc_ = 0;
  int nbits_ = 0;
  size_t pos_ = 0;
  uint8_t buf_[4096];
};

inline uint64_t ByteSwap64(uint64_t v) {
  v = ((v & 0x00FF00FF00FF00FFull) << 8) | ((v >> 8) & 0x00FF00FF00FF00FFull);
  v = ((v & 0x0000FFFF0000FFFFull) << 16) | ((v >> 16) & 0x0000FFFF0000FFFFull);
  return (v << 32) | (v >> 32);
}

// Index of the first differing byte of two unequal 8-byte strings loaded from memory.
inline int DifferingByte(uint64_t a, uint64_t b) {
  if constexpr (std::endian::native == std::endian::little) {
    return std::countr_zero(a ^ b) >> 3;
  } else {
    return std::countl_zero(a ^ b) >> 3;
  }
}

// Whether the 8-byte string a sorts after b, comparing bytes in memory order.
inline bool ByteOrderGreater(uint64_t a, uint64_t b) {
  if constexpr (std::endian::native == std::endian::little) {
    return ByteSwap64(a) > ByteSwap64(b);
  } else {
    return a > b;
  }
}

struct EncoderState {
  // The window, 59 mirror bytes of its start (so a 60-byte comparison never wraps), and slack
  // for the word-wise comparison, which may look up to 64 bytes ahead.
  uint8_t text[kRing + kLook - 1 + 16];
  // One binary search tree per first byte, rooted at kid[kRing + 1 + byte][kRight]. Both
  // children of a node sit side by side so the walk can pick one without a branch.
  static constexpr int kLeft = 0;
  static constexpr int kRight = 1;
  uint16_t kid[kRing + 257][2];
  uint16_t dad[kRing + 1];
  HuffmanTree tree;
  int match_position;
  int match_length;

  void InitTree() {
    for (int i = kRing + 1; i <= kRing + 256; ++i) kid[i][kRight] = kNil;
    for (int i = 0; i < kRing; ++i) dad[i] = kNil;
  }

  // Makes q take p's place under p's parent.
  void ReplaceChild(int p, int q) {
    const int d = dad[p];
    kid[d][kid[d][kRight] == p ? kRight : kLeft] = static_cast<uint16_t>(q);
  }

  // Inserts position r and leaves the best match on its search path in match_*. Identical
  // 60-byte strings keep only the newest position.
  void InsertNode(int r) {
    const uint8_t* key = &text[r];
    uint64_t key_word;
    std::memcpy(&key_word, key + 1, 8);
    int p = kRing + 1 + key[0];
    int dir = kRight;
    // Longer wins, then nearer: both folded into one number so that keeping the best is a
    // plain maximum (the walk's branches are already hard enough to predict).
    int best = 0;
    const auto score = [](int len, int dist) { return (len << 12) | (kRing - 1 - dist); };
    kid[r][kLeft] = kid[r][kRight] = kNil;
    // Both children are fetched before the comparison decides between them, which takes one
    // memory access off the chain of dependent steps the walk is made of.
    int left = kNil;
    int right = kid[p][kRight];
    for (;;) {
      const int next = dir == kRight ? right : left;
      if (next == kNil) {
        kid[p][dir] = static_cast<uint16_t>(r);
        dad[r] = static_cast<uint16_t>(p);
        break;
      }
      p = next;
      left = kid[p][kLeft];
      right = kid[p][kRight];
      // Bytes 1..59 decide the order (byte 0 is the same in the whole tree); most steps
      // settle within the first eight.
      uint64_t a = key_word;
      uint64_t b;
      std::memcpy(&b, &text[p + 1], 8);
      int at = 1;
      if (a == b) [[unlikely]] {
        do {
          at += 8;
          if (at >= kLook) break;
          std::memcpy(&a, key + at, 8);
          std::memcpy(&b, &text[p + at], 8);
        } while (a == b);
      }
      const int i = at < kLook ? at + DifferingByte(a, b) : kLook;
      const int dist = ((r - p) & (kRing - 1)) - 1;
      best = std::max(best, score(std::min(i, kLook), dist) & -static_cast<int>(i > kThreshold));
      if (i >= kLook) [[unlikely]] {
        // Full match: r replaces p in the tree.
        dad[r] = dad[p];
        kid[r][kLeft] = kid[p][kLeft];
        kid[r][kRight] = kid[p][kRight];
        dad[kid[p][kLeft]] = static_cast<uint16_t>(r);
        dad[kid[p][kRight]] = static_cast<uint16_t>(r);
        ReplaceChild(p, r);
        dad[p] = kNil;
        break;
      }
      dir = ByteOrderGreater(a, b) ? kRight : kLeft;
    }
    match_length = best >> 12;
    match_position = kRing - 1 - (best & (kRing - 1));
  }

  void DeleteNode(int p) {
    if (dad[p] == kNil) return;
    int q;
    if (kid[p][kRight] == kNil) {
      q = kid[p][kLeft];
    } else if (kid[p][kLeft] == kNil) {
      q = kid[p][kRight];
    } else {
      // Two children: the predecessor takes p's place.
      q = kid[p][kLeft];
      if (kid[q][kRight] != kNil) {
        do q = kid[q][kRight];
        while (kid[q][kRight] != kNil);
        kid[dad[q]][kRight] = kid[q][kLeft];
        dad[kid[q][kLeft]] = dad[q];
        kid[q][kLeft] = kid[p][kLeft];
        dad[kid[p][kLeft]] = static_cast<uint16_t>(q);
      }
      kid[q][kRight] = kid[p][kRight];
      dad[kid[p][kRight]] = static_cast<uint16_t>(q);
    }
    dad[q] = dad[p];
    ReplaceChild(p, q);
    dad[p] = kNil;
  }

  template <class Sink>
  void EncodeChar(BitWriter<Sink>& out, int c) {
    // The code is the path from the root, read upwards from the leaf.
    int up[kNodes];
    uint32_t code = 0;
    int len = 0;
    int k = tree.prnt[c + kNodes];
    do {
      up[len] = k;
      code |= static_cast<uint32_t>(k & 1) << len;
      ++len;
      k = tree.prnt[k];
    } while (k != kRoot);
    out.Put(code, len);
    tree.Update(c, up, len);
  }

  template <class Sink>
  static void EncodePosition(BitWriter<Sink>& out, unsigned dist) {
    const unsigned hi = dist >> 6;
    const int len = kPosCode.enc_len[hi];
    const unsigned prefix = kPosCode.enc_code[hi] >> (8 - len);
    out.Put((prefix << 6) | (dist & 63), len + 6);
  }

  // The LZHUF compression loop, including its handling of the end of input: comparisons keep
  // looking at the whole lookahead (stale or zero bytes past the end), the match is cut to what
  // remains, and positions keep being inserted while lookahead remains.
  template <class Source, class Sink>
  size_t Encode(Source& in, BitWriter<Sink>& out) {
    tree.Start();
    InitTree();
    std::memset(text, ' ', kStartPos);
    int len = 0;
    int c;
    while (len < kLook && (c = in.Get()) >= 0) text[kStartPos + len++] = static_cast<uint8_t>(c);
    size_t consumed = static_cast<size_t>(len);
    if (len == 0) return 0;
    int s = 0;
    int r = kStartPos;
    for (int i = 1; i <= kLook; ++i) InsertNode(r - i);
    InsertNode(r);
    do {
      if (match_length > len) match_length = len;
      if (match_length <= kThreshold) {
        match_length = 1;
        EncodeChar(out, text[r]);
      } else {
        EncodeChar(out, 255 - kThreshold + match_length);
        EncodePosition(out, static_cast<unsigned>(match_position));
      }
      const int last_match_length = match_length;
      int i = 0;
      for (; i < last_match_length && (c = in.Get()) >= 0; ++i) {
        DeleteNode(s);
        text[s] = static_cast<uint8_t>(c);
        if (s < kLook - 1) text[s + kRing] = static_cast<uint8_t>(c);
        s = (s + 1) & (kRing - 1);
        r = (r + 1) & (kRing - 1);
        InsertNode(r);
      }
      consumed += static_cast<size_t>(i);
      for (; i < last_match_length; ++i) {
        DeleteNode(s);
        s = (s + 1) & (kRing - 1);
        r = (r + 1) & (kRing - 1);
        if (--len) InsertNode(r);
      }
    } while (len > 0);
    out.Finish();
    return consumed;
  }
};

struct MemorySource {
  const uint8_t* p;
  const uint8_t* end;
  int Get() { return p < end ? *p++ : -1; }
};

struct CallbackSource {
  const TLZH::ReadFn& read;
  int Get() {
    uint8_t b = 0;
    return read(&b, 1) == 0 ? -1 : b;
  }
};

struct StringSink {
  std::string& out;
  void Write(const uint8_t* buf, size_t n) { out.append(reinterpret_cast<const char*>(buf), n); }
};

struct CallbackSink {
  const TLZH::WriteFn& write;
  void Write(const uint8_t* buf, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (write(buf + i, 1) != 1) throw std::runtime_error("LZH : Unable to write output");
    }
  }
};

template <class T>
std::unique_ptr<T> AllocateTables() {
  std::unique_ptr<T> tables(new (std::nothrow) T());
  if (!tables) throw std::runtime_error(kNoMemory);
  return tables;
}

// ---------------------------------------------------------------------------------------------
// Decoder

// Bits from a memory buffer, most significant first, read a word at a time. Past the end the
// stream continues with zero bits.
class MemoryBitReader {
 public:
  MemoryBitReader(const uint8_t* p, size_t n) : begin_(p), p_(p), end_(p + n) {}

  // Guarantees at least 56 valid bits in the accumulator.
  void Refill(uint64_t& acc, int& count) {
    if (end_ - p_ >= 8) {
      uint64_t w;
      std::memcpy(&w, p_, 8);
      if constexpr (std::endian::native == std::endian::little) w = ByteSwap64(w);
      acc |= w >> count;
      p_ += (63 - count) >> 3;
      count |= 56;
    } else {
      while (count <= 56) {
        const uint64_t b = p_ < end_ ? *p_++ : (++past_end_, 0);
        acc |= b << (56 - count);
        count += 8;
      }
    }
  }

  // Whole bytes taken into the accumulator so far, counting the zero bytes past the end.
  uint64_t BytesFed() const { return static_cast<uint64_t>(p_ - begin_) + past_end_; }

 private:
  const uint8_t* begin_;
  const uint8_t* p_;
  const uint8_t* end_;
  uint64_t past_end_ = 0;
};

class CallbackBitReader {
 public:
  explicit CallbackBitReader(const TLZH::ReadFn& read) : read_(read) {}

  void Refill(uint64_t& acc, int& count) {
    while (count <= 56) {
      uint8_t b = 0;
      if (read_(&b, 1) == 0) b = 0;
      acc |= uint64_t{b} << (56 - count);
      count += 8;
    }
  }

 private:
  const TLZH::ReadFn& read_;
};

// Output straight into the result buffer: the decoded bytes are the window, and the space and
// zero bytes the window starts with are produced on the fly for the first 4096 bytes.
class LinearOutput {
 public:
  LinearOutput(uint8_t* out, size_t len) : out_(out), len_(len) {}

  bool Done() const { return pos_ >= len_; }
  void Literal(int c) { out_[pos_++] = static_cast<uint8_t>(c); }

  void Match(unsigned dist, size_t count) {
    count = std::min(count, len_ - pos_);
    uint8_t* dst = out_ + pos_;
    if (dist < pos_) {
      const uint8_t* src = dst - dist - 1;
      if (dist >= 7 && len_ - pos_ >= 64) {
        // Eight bytes at a time never reads a byte this copy has not written yet; the few bytes
        // written past the match are overwritten by what follows.
        for (size_t k = 0; k < count; k += 8) std::memcpy(dst + k, src + k, 8);
      } else {
        for (size_t k = 0; k < count; ++k) dst[k] = src[k];
      }
    } else {
      for (size_t k = 0; k < count; ++k) {
        // Byte v of the output (negative: before it) sits at window position (4036 + v) mod 4096.
        const auto v = static_cast<int64_t>(pos_ + k) - dist - 1;
        dst[k] = v >= 0 ? out_[v] : v >= -kStartPos ? ' ' : 0;
      }
    }
    pos_ += count;
  }

 private:
  uint8_t* out_;
  size_t len_;
  size_t pos_ = 0;
};

// The original's ring buffer, handing every byte to a callback.
class RingOutput {
 public:
  RingOutput(uint8_t* ring, size_t len, const TLZH::WriteFn& write)
      : ring_(ring), len_(len), write_(write) {}

  bool Done() const { return pos_ >= len_; }
  void Literal(int c) { Put(static_cast<uint8_t>(c)); }
  void Match(unsigned dist, size_t count) {
    count = std::min(count, len_ - pos_);
    const unsigned from = (r_ - dist - 1) & (kRing - 1);
    for (size_t k = 0; k < count; ++k) Put(ring_[(from + k) & (kRing - 1)]);
  }

 private:
  void Put(uint8_t b) {
    if (write_(&b, 1) != 1) throw std::runtime_error("LZH : Unable to write output");
    ring_[r_] = b;
    r_ = (r_ + 1) & (kRing - 1);
    ++pos_;
  }

  uint8_t* ring_;
  size_t len_;
  const TLZH::WriteFn& write_;
  unsigned r_ = kStartPos;
  size_t pos_ = 0;
};

struct DecoderState {
  HuffmanTree tree;
  uint8_t ring[kRing];
};

// Returns the number of bits left unused in the accumulator.
template <class Reader, class Output>
int DecodeLoop(HuffmanTree& tree, Reader& in, Output& out) {
  uint64_t acc = 0;
  int count = 0;
  const int32_t* son = tree.son;
  int path[kNodes];
  while (!out.Done()) {
    in.Refill(acc, count);
    // The path is kept leaf first, as the tree update wants it.
    int* up = path + kNodes;
    int c = son[kRoot];
    while (c < kNodes) {
      const int node = c + static_cast<int>(acc >> 63);
      *--up = node;
      c = son[node];
      acc <<= 1;
      --count;
    }
    c -= kNodes;
    tree.Update(c, up, static_cast<int>(path + kNodes - up));
    if (c < 256) {
      out.Literal(c);
      continue;
    }
    // Distance: prefix code for the upper six bits, then six verbatim bits. Both fit in the 35
    // bits that the refill guarantees beyond the deepest code.
    const auto lead = static_cast<unsigned>(acc >> 56);
    const int plen = kPosCode.dec_len[lead];
    acc <<= plen;
    const auto low = static_cast<unsigned>(acc >> 58);
    acc <<= 6;
    count -= plen + 6;
    const unsigned dist = (unsigned{kPosCode.dec_value[lead]} << 6) | low;
    out.Match(dist, static_cast<size_t>(c - (255 - kThreshold)));
  }
  return count;
}

static_assert(56 - kMaxCodeBits >= 8 + 6, "a refill must cover a code and a distance");

// Decodes and reports how many bytes of `bits` the decoder used.
std::string DecodeToString(std::string_view bits, size_t out_len, size_t* used) {
  CheckLzhDecodedSize(out_len, bits.size());
  std::string out;
  if (out_len == 0) {
    if (used) *used = 0;
    return out;
  }
  auto state = AllocateTables<DecoderState>();
  state->tree.Start();
  out.resize(out_len);
  MemoryBitReader reader(reinterpret_cast<const uint8_t*>(bits.data()), bits.size());
  LinearOutput output(reinterpret_cast<uint8_t*>(out.data()), out_len);
  const int unused_bits = DecodeLoop(state->tree, reader, output);
  if (used) {
    const uint64_t used_bits = reader.BytesFed() * 8 - static_cast<uint64_t>(unused_bits);
    *used = static_cast<size_t>(std::min<uint64_t>((used_bits + 7) / 8, bits.size()));
  }
  return out;
}

// Appends the bit stream for `input` to `out`.
void AppendBits(std::string& out, std::string_view input) {
  if (input.empty()) return;
  out.reserve(out.size() + input.size() / 2 + 64);
  auto state = AllocateTables<EncoderState>();
  const auto* p = reinterpret_cast<const uint8_t*>(input.data());
  MemorySource source{p, p + input.size()};
  StringSink sink{out};
  BitWriter<StringSink> writer(sink);
  state->Encode(source, writer);
}

void WriteLength(std::string& out, uint32_t n) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
}

uint32_t CheckedLength(size_t n) {
  if (n > kLzhMaxDecodedSize) {
    throw std::runtime_error("LZH : Cannot compress " + std::to_string(n) +
                             " bytes; the limit is " + std::to_string(kLzhMaxDecodedSize) +
                             " bytes");
  }
  return static_cast<uint32_t>(n);
}

}  // namespace

void CheckLzhDecodedSize(uint64_t decoded_size, uint64_t code_size) {
  if (decoded_size > kLzhMaxDecodedSize) {
    throw std::runtime_error("LZH : The stored length " + std::to_string(decoded_size) +
                             " exceeds the limit of " + std::to_string(kLzhMaxDecodedSize) +
                             " bytes");
  }
  if (decoded_size > code_size * kLzhMaxBytesPerCodeByte) {
    throw std::runtime_error("LZH : The stored length " + std::to_string(decoded_size) +
                             " cannot come from " + std::to_string(code_size) +
                             " bytes of compressed data (at most " +
                             std::to_string(kLzhMaxBytesPerCodeByte) + " bytes per byte)");
  }
}

size_t TLZH::Encode(const ReadFn& read, const WriteFn& write) {
  auto state = AllocateTables<EncoderState>();
  CallbackSource source{read};
  CallbackSink sink{write};
  BitWriter<CallbackSink> writer(sink);
  return state->Encode(source, writer);
}

void TLZH::Decode(size_t out_len, const ReadFn& read, const WriteFn& write) {
  if (out_len == 0) return;
  auto state = AllocateTables<DecoderState>();
  state->tree.Start();
  std::memset(state->ring, ' ', kStartPos);
  CallbackBitReader reader(read);
  RingOutput output(state->ring, out_len, write);
  DecodeLoop(state->tree, reader, output);
}

std::string LzhEncodeBits(std::string_view input) {
  std::string out;
  AppendBits(out, input);
  return out;
}

std::string LzhDecodeBits(std::string_view bits, size_t out_len) {
  return DecodeToString(bits, out_len, nullptr);
}

std::string LzhCompress(std::string_view input) {
  std::string out;
  WriteLength(out, CheckedLength(input.size()));
  AppendBits(out, input);
  return out;
}

std::string LzhDecompress(std::string_view data) {
  if (data.size() < 4) throw std::runtime_error("LZH : The length header is missing");
  uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<uint8_t>(data[i]);
  return DecodeToString(data.substr(4), n, nullptr);
}

void TLZHCompressor::Compress(TMemoryStream& input, TStream& output) {
  const std::string& data = input.Data();
  const auto from = static_cast<size_t>(std::clamp<int64_t>(input.Position(), 0, input.Size()));
  const std::string_view rest = std::string_view(data).substr(from);
  std::string out;
  WriteLength(out, CheckedLength(rest.size()));
  AppendBits(out, rest);
  output.Write(out);
  input.SetPosition(input.Size());
}

void TLZHCompressor::Decompress(TStream& input, TStream& output) {
  uint8_t header[4];
  if (input.Read(header, 4) != 4) throw std::runtime_error("LZH : The length header is missing");
  const uint32_t n = header[0] | (header[1] << 8) | (header[2] << 16) | (uint32_t{header[3]} << 24);
  const int64_t start = input.Position();
  const auto available = static_cast<uint64_t>(std::max<int64_t>(input.Remaining(), 0));
  CheckLzhDecodedSize(n, available);
  if (n == 0) return;
  const std::string bits = input.ReadToEnd();
  size_t used = 0;
  const std::string out = DecodeToString(bits, n, &used);
  input.SetPosition(start + static_cast<int64_t>(used));
  output.Write(out);
}

}  // namespace quillora
