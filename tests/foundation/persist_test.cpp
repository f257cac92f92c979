#include "foundation/persist.h"

#include <gtest/gtest.h>

#include "foundation/option_list.h"

namespace quillora {
namespace {

std::string Hex(const std::string& bytes) {
  static const char* d = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += d[c >> 4];
    out += d[c & 15];
  }
  return out;
}

TEST(PersistObjList, EmptyListIsSixBytes) {
  TMultiOptions empty;
  TMemoryStream s;
  WriteListBlob(s, empty);  // a list inside a record: size, then the list's own bytes
  EXPECT_EQ(Hex(s.Data()), "00 00 00 00");
  TMemoryStream list;
  // The binary list form (the one records use for owned lists of records).
  struct Item : TPersistObj {
    void SaveToStream(TStream&) const override {}
    void LoadFromStream(TStream&) override {}
  };
  struct List : TPersistObjList {
    std::unique_ptr<TPersistObj> CreateItem() override { return std::make_unique<Item>(); }
  } l;
  l.TPersistObjList::SaveToStream(list);
  EXPECT_EQ(Hex(list.Data()), "04 00 00 00 00 00");
}

// A record with binary fields, to see the list form round-trip.
struct Rec : TPersistObj {
  int32_t n = 0;
  std::string s;
  TMultiOptions options;
  void SaveToStream(TStream& out) const override {
    WriteSizedInt(out, n);
    WriteShortStr(out, s);
    WriteListBlob(out, options);
  }
  void LoadFromStream(TStream& in) override {
    n = ReadSizedInt(in);
    s = ReadShortStr(in);
    ReadListBlob(in, options);
  }
};
struct RecList : TPersistObjList {
  std::unique_ptr<TPersistObj> CreateItem() override { return std::make_unique<Rec>(); }
  Rec& At(int i) { return static_cast<Rec&>(*ItemAt(i)); }
};

TEST(PersistObjList, RoundTripAndAssign) {
  RecList a;
  for (int i = 0; i < 3; ++i) {
    a.AddNew();
    a.At(i).n = i * 1000 - 1;
    a.At(i).s = "item " + std::to_string(i);
    a.At(i).options.Section("S").SetString("k", "v" + std::to_string(i));
  }
  RecList b;
  b.Assign(a);
  ASSERT_EQ(b.Count(), 3);
  EXPECT_EQ(b.At(0).n, -1);
  EXPECT_EQ(b.At(2).s, "item 2");
  EXPECT_EQ(b.At(1).options.Section("S").GetString("k"), "v1");
  EXPECT_EQ(b.At(1).Owner(), &b);
}

TEST(PersistObjList, TruncatedOrHostileStreamsAreRefused) {
  RecList a;
  a.AddNew();
  a.At(0).s = "some text that makes the blob longer";
  TMemoryStream full;
  a.SaveToStream(full);
  const std::string bytes = full.Data();
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    TMemoryStream s(bytes.substr(0, cut));
    RecList b;
    try {
      b.LoadFromStream(s);  // may succeed with zero-filled short fields, never crash
    } catch (const std::runtime_error&) {
    }
  }
  // A count far beyond what the stream holds must not allocate millions of items.
  TMemoryStream hostile(std::string("\x04\x00\xFF\xFF\xFF\x7F", 6));
  RecList c;
  EXPECT_THROW(c.LoadFromStream(hostile), std::runtime_error);
  // A blob size beyond the stream is refused too.
  TMemoryStream big(
      std::string("\xFF\xFF\xFF\x7F"
                  "abc",
                  7));
  TMemoryStream buffer;
  EXPECT_THROW(ReadBlob(big, buffer), std::runtime_error);
}

}  // namespace
}  // namespace quillora
