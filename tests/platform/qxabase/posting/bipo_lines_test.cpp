// The lines of a billing, purchasing, purchase-order or quote transaction
// (BiPoLineWalk), and the removal of a transaction with them
// (PostBiPoTranRemove): for every kind of header, its own lines are found
// and taken, and a neighbouring header's are not.
//
// The neighbours stand next to each other in the lines' key 0: the same
// number under another letter or third key part, the next number, and a
// header without lines just before another's lines.  Billing and purchasing
// keep the lines of an 'O' header under 'I'; purchase orders and quotes keep
// every line under its header's own letter, as the sample company and the
// purchase-order status report have them.
#include <algorithm>
#include <string>
#include <vector>

#include "posting_test_support.h"
#include "qxabase/bipo_lines.h"
#include "qxabase/bipo_posting.h"
#include "qxabase/files.h"

namespace {

using fixture::Json;
using records::BiPoLine;
using records::TagBiPoHeader;

// A transaction of the test: its header's key and how many lines it has.
struct Tran {
  char letter;
  const char* number;
  int keyPart;
  int lines;

  std::string Name() const { return std::string(1, letter) + number + "/" + std::to_string(keyPart); }
};

// Written in this order; every file of the test holds all of them.
const Tran kHeaders[] = {
    {'I', "1001", 1, 2},
    {'I', "1001", 2, 1},  // the same number, another third key part
    {'R', "1001", 1, 1},  // the same number, another letter
    {'I', "1002", 1, 1},  // the next number
    {'O', "1003", 1, 2},
    {'O', "1004", 1, 1},
    {'R', "1009", 1, 0},  // no lines of its own: the next line in key order is S 1009's
    {'S', "1009", 1, 1},
    {'O', "1010", 1, 0},  // no lines of its own either
};

// A kind of transaction: its files, and the letter its 'O' headers' lines are
// stored under.
struct Kind {
  const char* name;
  int headerFile;
  const char* headers;
  const char* lines;
  char orderLinesLetter;
};
const Kind kKinds[] = {
    {"billing", records::kFileBillingHeaders, "billing_headers", "billing_lines", 'I'},
    {"purchasing", records::kFilePurchasingHeaders, "purchasing_headers", "purchasing_lines", 'I'},
    {"purchase orders", records::kFileOrderHeaders, "order_headers", "order_lines", 'O'},
    {"quotes", records::kFileQuoteHeaders, "quote_headers", "quote_lines", 'O'},
};

// The lines of `h` as the test writes them: their description names their
// header and their sequence.
std::vector<std::string> LinesOf(const Tran& h) {
  std::vector<std::string> out;
  for (int s = 1; s <= h.lines; ++s) out.push_back(h.Name() + " #" + std::to_string(s));
  return out;
}

class BiPoLinesTest : public posttest::PostingTest {
 protected:
  void SetUp() override {
    PostingTest::SetUp();
    Json company{{"files", Json::object()}};
    for (const Kind& k : kKinds) {
      for (const Tran& h : kHeaders) {
        company["files"][k.headers].push_back(Json{{"typeLetter", std::string(1, h.letter)},
                                                   {"transactionNumber", h.number},
                                                   {"keyPart", h.keyPart},
                                                   {"date", "2025-03-10"}});
        const char stored = h.letter == 'O' ? k.orderLinesLetter : h.letter;
        int sequence = 0;
        for (const std::string& description : LinesOf(h))
          company["files"][k.lines].push_back(Json{{"typeLetter", std::string(1, stored)},
                                                   {"transactionNumber", h.number},
                                                   {"keyPart", h.keyPart},
                                                   {"sequence", ++sequence},
                                                   {"description", description}});
      }
    }
    LoadCompany(company);
    ASSERT_EQ(0, FileSetOpen(&files_, 32, 31, 41, 40, 39, 38, 81, 82));
  }
  void TearDown() override {
    FileSetClose(&files_);
    PostingTest::TearDown();
  }
  BtrvHandle H(int fileNo) const { return files_.HandleOf(fileNo); }

  // The stored header of `h` in `k`'s header file.
  TagBiPoHeader Stored(const Kind& k, const Tran& h) {
    for (const TagBiPoHeader& stored : All<TagBiPoHeader>(k.headerFile))
      if (stored.typeLetter == h.letter && Trimmed(stored.transactionNumber) == h.number &&
          stored.keyPart == h.keyPart)
        return stored;
    ADD_FAILURE() << "no header " << h.Name();
    return {};
  }
  // The descriptions of the lines of `k`'s line file, sorted.
  std::vector<std::string> StoredLines(const Kind& k) {
    std::vector<std::string> out;
    for (const BiPoLine& l : All<BiPoLine>(records::BiPoLineFileOf(k.headerFile)))
      out.emplace_back(records::Text(l.description));
    std::sort(out.begin(), out.end());
    return out;
  }

  FileSet files_;
};

TEST_F(BiPoLinesTest, EachHeaderFindsItsOwnLinesAndNoNeighboursLines) {
  for (const Kind& k : kKinds) {
    const int lineFile = records::BiPoLineFileOf(k.headerFile);
    // The quote lines have key 0 alone.
    const int callersKey = k.headerFile == records::kFileQuoteHeaders ? 0 : 1;
    ASSERT_EQ(0, BtrvSetKey(H(lineFile), callersKey, -1));
    for (const Tran& h : kHeaders) {
      SCOPED_TRACE(std::string(k.name) + " " + h.Name());
      const TagBiPoHeader header = Stored(k, h);
      std::vector<std::string> found;
      {
        BiPoLineWalk walk(H(lineFile), k.headerFile, header);
        EXPECT_EQ(walk.LineFileNo(), lineFile);
        BiPoLine line{};
        int status = 0;
        while ((status = walk.Next(&line)) == kStatusOk) found.emplace_back(records::Text(line.description));
        EXPECT_EQ(status, kStatusEndOfFile);
        EXPECT_EQ(walk.Next(&line), kStatusEndOfFile) << "the walk stays ended";
      }
      EXPECT_EQ(found, LinesOf(h));
      EXPECT_EQ(BtrvGetKey(H(lineFile)), callersKey) << "the handle keeps its key";
    }
  }
}

// Removing the headers one after the other, each takes its own lines and
// leaves every other header's whole.
TEST_F(BiPoLinesTest, ARemovedTransactionTakesItsOwnLinesOnly) {
  for (const Kind& k : kKinds) {
    if (k.headerFile == records::kFileQuoteHeaders) continue;  // quotes go through the purge's own removal
    const int lineFile = records::BiPoLineFileOf(k.headerFile);
    std::vector<std::string> left;
    for (const Tran& h : kHeaders) {
      const std::vector<std::string> lines = LinesOf(h);
      left.insert(left.end(), lines.begin(), lines.end());
    }
    std::sort(left.begin(), left.end());
    std::size_t headersLeft = std::size(kHeaders);
    for (const Tran& h : kHeaders) {
      SCOPED_TRACE(std::string(k.name) + " " + h.Name());
      const TagBiPoHeader header = Stored(k, h);
      TagPostWork work{};
      ASSERT_EQ(0, PostBiPoTranRemove(4, H(k.headerFile), H(lineFile), 0, 0, k.headerFile, 0, &header, &work));
      for (const std::string& line : LinesOf(h)) std::erase(left, line);
      EXPECT_EQ(StoredLines(k), left);
      EXPECT_EQ(All<TagBiPoHeader>(k.headerFile).size(), --headersLeft);
    }
  }
}

}  // namespace
