// The fixture codec: a record's natural form, exact round trips of any bytes,
// and the refusal of values that do not fit.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "daynumber.h"
#include "fixture/codec.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace fixture {
namespace {

using records::FindFile;

std::vector<std::uint8_t> Encode(int file, const char* json) {
  std::vector<std::uint8_t> image;
  FieldProblem problem;
  EXPECT_TRUE(EncodeRecord(*FindFile(file), Json::parse(json), &image, &problem))
      << json << ": " << problem.field << ": " << problem.message;
  return image;
}

// Every byte of a record comes back, named or not, whatever it holds.
TEST(Codec, AnyBytesOfAnyRecordComeBackExactly) {
  std::uint64_t state = 12345;
  auto next = [&] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint8_t>(state >> 56);
  };
  for (const records::FileDef& file : records::AllFiles()) {
    SCOPED_TRACE(file.name);
    std::vector<std::vector<std::uint8_t>> images;
    const std::size_t length = file.variableLength ? 0 : file.recordLength;
    if (file.variableLength) {
      // Each known settings record, one longer than its layout, and one of
      // a key the system does not know.
      for (const records::RecordVariant& variant : file.variants) {
        const char* key = variant.key;
        const records::Layout* layout = records::VariantLayout(file, key);
        for (std::size_t extra : {0, 5}) {
          std::vector<std::uint8_t> image(layout->size + extra);
          for (auto& b : image) b = next();
          const records::SettingsKey k = records::MakeSettingsKey(key);
          std::memcpy(image.data(), k.text, sizeof k.text);
          images.push_back(image);
        }
      }
      std::vector<std::uint8_t> unknown(40);
      for (auto& b : unknown) b = next();
      std::memcpy(unknown.data(), "0Mystery\0\0 ", 11);
      images.push_back(unknown);
    } else {
      for (int n = 0; n < 4; ++n) {
        std::vector<std::uint8_t> image(length);
        // Random bytes, then sparse ones (mostly zero) so that the natural
        // forms, not only the hex forms, are exercised.
        for (auto& b : image) b = n < 2 ? next() : (next() < 40 ? next() : 0);
        images.push_back(image);
      }
    }
    for (const auto& image : images) {
      const Json object = DecodeRecord(file, image);
      std::vector<std::uint8_t> back;
      FieldProblem problem;
      ASSERT_TRUE(EncodeRecord(file, Json::parse(object.dump()), &back, &problem))
          << object.dump() << "\n" << problem.field << ": " << problem.message;
      EXPECT_EQ(back, image) << object.dump();
    }
  }
}

TEST(Codec, ValuesHaveTheirNaturalForms) {
  const auto image = Encode(records::kFileCustomers, R"({
      "code": "JUNIPER", "name": "Juniper Café", "accountType": "B",
      "financeChargeRate": 0.1, "lastInvoiceDate": "2024-02-29", "balance": 1234.56,
      "invoiceCounts": [1, 2, 3], "addressLines": ["3 Market Street", "", "Port Alden"]})");
  records::CustVendRecord r{};
  ASSERT_TRUE(records::FromImage(image, &r));
  EXPECT_STREQ(r.name, "Juniper Caf\x82");  // é is 0x82 in code page 437
  EXPECT_EQ(r.accountType, 'B');
  EXPECT_EQ(r.financeChargeRate, 0.1f);
  EXPECT_EQ(r.lastInvoiceDate, daynum::FromCivil(2024, 2, 29));
  EXPECT_EQ(r.balance, 1234.56);
  EXPECT_EQ(r.invoiceCounts[2], 3);
  EXPECT_EQ(r.invoiceCounts[3], 0);
  EXPECT_STREQ(r.addressLines[2], "Port Alden");
  EXPECT_EQ(r.code[7], '\0');

  const Json back = DecodeRecord(*FindFile(records::kFileCustomers), image);
  EXPECT_EQ(back["name"], "Juniper Café");
  EXPECT_EQ(back["financeChargeRate"].dump(), "0.1");  // the shortest float that reads back
  EXPECT_EQ(back["lastInvoiceDate"], "2024-02-29");
  EXPECT_FALSE(back.contains("creditLimit"));  // zero fields are left out
  EXPECT_FALSE(back.contains("raw"));
}

TEST(Codec, PaddedCodesAndKeysAreBlankFilled) {
  const auto line = Encode(records::kFileGLLines, R"({"journalCode": "AR", "transactionNumber": "      1001"})");
  // "AR" blank-padded to 7, then the number right-justified in 10 and its NUL.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(line.data()), 17), "AR           1001");
  EXPECT_EQ(line[17], 0);
  const auto periods = Encode(records::kFileSettings, R"({"key": "0Periods"})");
  EXPECT_EQ(periods.size(), 462u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(periods.data()), 15), "0Periods       ");
}

TEST(Codec, BytesWithoutANaturalFormUseHex) {
  records::TagGLHeader h{};
  std::memcpy(h.holdText, "ELEVENCHARS", 11);  // no terminator
  std::memcpy(h.reference, "\xE2\x80", 2);       // a byte pair, valid code page 437
  h.amount = std::numeric_limits<double>::quiet_NaN();
  h.postedFlag = 1;  // a control byte: kept as its number
  const auto image = records::ImageOf(h);
  const Json object = DecodeRecord(*FindFile(records::kFileGLHeaders), image);
  EXPECT_TRUE(object["holdText"].contains("hex"));
  EXPECT_TRUE(object["amount"].contains("hex"));
  EXPECT_EQ(object["postedFlag"], 1);
  std::vector<std::uint8_t> back;
  FieldProblem problem;
  ASSERT_TRUE(EncodeRecord(*FindFile(records::kFileGLHeaders), object, &back, &problem));
  EXPECT_TRUE(std::equal(back.begin(), back.end(), image.begin()));
}

TEST(Codec, RefusesWhatDoesNotFitNamingTheField) {
  struct Case {
    int file;
    const char* record;
    const char* field;
    const char* message;  // a part of the message
  } cases[] = {
      {records::kFileCustomers, R"({"code": "A", "balanse": 1})", "balanse", "no field \"balanse\""},
      {records::kFileCustomers, R"({"code": "ACCOUNTCODE1"})", "code", "too long: 12 characters, the field holds 10"},
      {records::kFileCustomers, R"({"name": "Smith – Jones"})", "name", "code page 437 cannot hold"},
      {records::kFileCustomers, R"({"lastInvoiceDate": "2025-02-30"})", "lastInvoiceDate", "not a date"},
      {records::kFileCustomers, R"({"lastInvoiceDate": "31/01/2025"})", "lastInvoiceDate", "not a date"},
      {records::kFileCustomers, R"({"balance": "12.50"})", "balance", "not a number"},
      {records::kFileCustomers, R"({"accountType": "OB"})", "accountType", "more than one character"},
      {records::kFileCustomers, R"({"invoiceCounts": [1, 2, 3, 4, 5, 6]})", "invoiceCounts", "has 6 elements"},
      {records::kFileCustomers, R"({"invoiceCounts": [1, 2.5]})", "invoiceCounts[1]", "not a whole number"},
      {records::kFileProducts, R"({"purchaseUnitFactor": 40000})", "purchaseUnitFactor", "out of range"},
      {records::kFileProducts, R"({"productType": -1})", "productType", "out of range"},
      {records::kFileCustomers, R"({"financeChargeRate": 1e300})", "financeChargeRate", "out of range"},
      // Beyond the widest amount column: no report could show or total it.
      {records::kFileReceivablesOpenInvoices, R"({"amount": 1e300})", "amount", "out of range"},
      {records::kFileReceivablesOpenInvoices, R"({"amount": -10000000000.0})", "amount", "up to 9999999999.99"},
      {records::kFileProducts, R"({"quantityOnHand": 12345678901})", "quantityOnHand", "out of range"},
      {records::kFileCustomers, R"({"length": 800})", "length", "the file's records are 795 long"},
      {records::kFileCustomers, R"({"raw": {"166": "00"}})", "raw", "belongs to a named field"},
      {records::kFileCustomers, R"({"raw": {"794": "0000"}})", "raw", "beyond the record's length"},
      {records::kFileCustomers, R"({"raw": {"17": "zz"}})", "raw", "not a hex text"},
      {records::kFileSettings, R"({"periodsPerYear": 12})", "key", "needs its key"},
      {records::kFileSettings, R"({"key": "0Mystery"})", "length", "give its length"},
      {records::kFileSettings, R"({"key": "0Periods", "entries": [{"label": "JANUARY"}]})", "entries[0].label", "too long"},
      {records::kFileSettings, R"({"key": "0Periods", "length": 18, "entries": [{}]})", "entries", "beyond the record's length"},
      {records::kFileGLHeaders, R"({"amount": {"hex": "00"}})", "amount", "holds 1 bytes, the field 8"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> image;
    FieldProblem problem;
    EXPECT_FALSE(EncodeRecord(*FindFile(c.file), Json::parse(c.record), &image, &problem)) << c.record;
    EXPECT_EQ(problem.field, c.field) << c.record;
    EXPECT_NE(problem.message.find(c.message), std::string::npos) << c.record << ": " << problem.message;
  }
}

}  // namespace
}  // namespace fixture
