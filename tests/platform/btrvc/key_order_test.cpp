// Key ordering: for each key type and flag, records holding the listed values
// are walked by that key and must come in the listed order (records with
// equal keys in the order they were inserted).
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "btrvc_fixture.h"

namespace btrvc_test {
namespace {

template <class T>
std::string Bytes(T v) {
  return std::string(reinterpret_cast<const char*>(&v), sizeof v);
}

struct OrderCase {
  const char* name;
  KeySpec key;                      // segments over the first 15 bytes
  std::vector<std::string> values;  // written from offset 0, one record each
  std::vector<int> order;           // indexes of `values` in key order
  std::string sequence = "";        // collating sequence appended to the specification
};

constexpr std::uint16_t kDup = kKeyFlagDuplicates;

std::vector<OrderCase> OrderCases() {
  std::string acs(kCollatingSequenceSize, '\0');
  BtrvGetCollatingSequence(acs.data());
  return {
      {"Int32WithNegatives",
       {{1, 4, kDup, kKeyTypeInteger}},
       {Bytes<std::int32_t>(5), Bytes<std::int32_t>(-1), Bytes<std::int32_t>(0),
        Bytes<std::int32_t>(-300), Bytes(std::numeric_limits<std::int32_t>::max()),
        Bytes(std::numeric_limits<std::int32_t>::min())},
       {5, 3, 1, 2, 0, 4}},
      {"Int16",
       {{1, 2, kDup, kKeyTypeInteger}},
       {Bytes<std::int16_t>(-2), Bytes<std::int16_t>(1), Bytes<std::int16_t>(-32768),
        Bytes<std::int16_t>(300)},
       {2, 0, 1, 3}},
      {"Int64",
       {{1, 8, kDup, kKeyTypeInteger}},
       {Bytes<std::int64_t>(1LL << 40), Bytes<std::int64_t>(-(1LL << 40)), Bytes<std::int64_t>(7)},
       {1, 2, 0}},
      {"Unsigned32",
       {{1, 4, kDup, kKeyTypeUnsigned}},
       {Bytes<std::uint32_t>(0xFFFFFFFF), Bytes<std::uint32_t>(1), Bytes<std::uint32_t>(0x80000000),
        Bytes<std::uint32_t>(0)},
       {3, 1, 2, 0}},
      {"Float",
       {{1, 4, kDup, kKeyTypeFloat}},
       {Bytes(1.5f), Bytes(-2.0f), Bytes(0.0f), Bytes(-0.5f)},
       {1, 3, 2, 0}},
      {"DoubleWithNegativesAndExtremes",
       {{1, 8, kDup, kKeyTypeFloat}},
       {Bytes(1e300), Bytes(-1e-300), Bytes(-1e300), Bytes(0.0), Bytes(2.5), Bytes(-0.0)},
       {2, 1, 3, 5, 4, 0}},
      {"StringWithoutCase",
       {{1, 4, kDup | kKeyFlagNoCase, kKeyTypeString}},
       {"b", "A", "a", "C"},
       {1, 2, 0, 3}},
      {"StringWithCase",
       {{1, 4, kDup, kKeyTypeString}},
       {"b", "A", "a", "C"},
       {1, 3, 2, 0}},
      {"StringTrailingNulsReadAsBlanks",
       {{1, 4, kDup, kKeyTypeString}},
       {std::string("ab\0\0", 4), std::string("ab\x01\0", 4), "ab  ", "ab! "},
       {1, 0, 2, 3}},
      {"ZStringStopsAtItsNul",
       {{1, 5, kDup, kKeyTypeZString}},
       {std::string("abc\0x", 5), std::string("ab\0zz", 5), std::string("abd\0\0", 5),
        std::string("ab\0yy", 5)},
       {1, 3, 0, 2}},
      {"CodePage437LettersWithoutCase",
       {{1, 1, kDup | kKeyFlagNoCase, kKeyTypeString}},
       {"\x81", "\x9A", "V", "\x87"},  // u-umlaut, U-umlaut, V, c-cedilla
       {2, 3, 0, 1}},
      {"DescendingInteger",
       {{1, 4, kDup | kKeyFlagDescending, kKeyTypeInteger}},
       {Bytes<std::int32_t>(1), Bytes<std::int32_t>(-5), Bytes<std::int32_t>(3)},
       {2, 0, 1}},
      {"NullKeyLeavesOutNullRecords",
       {{1, 4, kDup | kKeyFlagNullKey, kKeyTypeInteger, 0}},
       {Bytes<std::int32_t>(0), Bytes<std::int32_t>(3), Bytes<std::int32_t>(0),
        Bytes<std::int32_t>(-1)},
       {3, 1}},
      {"SegmentedStringThenInteger",
       {{1, 2, kDup, kKeyTypeString}, {3, 2, kDup, kKeyTypeInteger}},
       {"A" + std::string(1, ' ') + Bytes<std::int16_t>(5), "A " + Bytes<std::int16_t>(-1),
        "B " + Bytes<std::int16_t>(-9)},
       {1, 0, 2}},
      {"SegmentedDescendingSecondPart",
       {{1, 1, kDup, kKeyTypeString}, {2, 4, kDup | kKeyFlagDescending, kKeyTypeInteger}},
       {"A" + Bytes<std::int32_t>(1), "A" + Bytes<std::int32_t>(9), "B" + Bytes<std::int32_t>(0)},
       {1, 0, 2}},
      {"AlternateCollatingSequence",
       {{1, 4, kDup | kKeyFlagAltCollating, kKeyTypeString}},
       {"b", "A", "a", "C"},
       {1, 2, 0, 3},
       acs},
  };
}

class KeyOrder : public ::testing::TestWithParam<OrderCase> {
 protected:
  void TearDown() override { BtrvReset(); }
  ScratchFolder dir_;
};

TEST_P(KeyOrder, WalksInTheTypesOrder) {
  const OrderCase& c = GetParam();
  const std::string path = dir_.File("ORDER.DAT");
  ASSERT_EQ(Create(path, 16, {c.key}, 0, 0, c.sequence), 0);
  BtrvHandle h = 0;
  ASSERT_EQ(BtrvOpen(&h, path.c_str(), kOpenNormal, 0), 0);
  for (std::size_t i = 0; i < c.values.size(); ++i) {
    std::string r(16, '\0');
    r.replace(0, c.values[i].size(), c.values[i]);
    r[15] = static_cast<char>(i);
    ASSERT_EQ(Insert(h, r), 0) << i;
  }
  std::vector<int> walked;
  std::string rec(16, '\0');
  std::string key(255, '\0');
  for (int st = BtrvGetOp(kOpGetFirst, h, key.data(), rec.data(), 16); st == 0;
       st = BtrvGetOp(kOpGetNext, h, key.data(), rec.data(), 16))
    walked.push_back(rec[15]);
  EXPECT_EQ(walked, c.order);

  std::vector<int> back;
  for (int st = BtrvGetOp(kOpGetLast, h, key.data(), rec.data(), 16); st == 0;
       st = BtrvGetOp(kOpGetPrevious, h, key.data(), rec.data(), 16))
    back.insert(back.begin(), rec[15]);
  EXPECT_EQ(back, c.order);

  // Every indexed record's key image finds a record (the first of equal keys).
  for (int i : c.order) {
    std::string r(16, '\0');
    r.replace(0, c.values[i].size(), c.values[i]);
    std::string k(255, '\0');
    std::size_t at = 0;
    for (const Seg& s : c.key) {
      k.replace(at, s.length, r.substr(s.position - 1, s.length));
      at += s.length;
    }
    EXPECT_EQ(BtrvGetOp(kOpGetEqual, h, k.data(), rec.data(), 16), 0) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Btrvc, KeyOrder, ::testing::ValuesIn(OrderCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace btrvc_test
