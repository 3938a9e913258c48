// The 1099 forms (348) and the 1096 summary (375), run through their
// entries on key scripts over the books of fixtures/form_1099.json, read
// back from the preview in the transcript and from the batches file: which
// vendors get a form, every text in its box of the two-up stock, the batch
// recorded once and only for a run that came to its end, the 1096 of a
// batch with its contact person, and the refusals.
#include <string>
#include <vector>

#include "checks_test_support.h"
#include "qxtest/sample_company.h"
#include "qxabase/batch_1099.h"
#include "records/dictionary.h"
#include "records/support.h"
#include "reports/arap/form_1096.h"
#include "reports/arap/form_1099.h"

namespace checkstest {
namespace {

using records::TagBatchForm1099;

std::string Books() { return qxtest::SourceDir() + "/tests/reportlib/reports/arap/fixtures/form_1099.json"; }

// The keys of the 1099 screen: the payer's numbers as they stand, `year`,
// `minimum`, the 1096 choice ("Y" or "N") and the batch; F10.
std::string Keys1099(const std::string& year, const std::string& minimum, const std::string& yes,
                     const std::string& batch) {
  return "Enter Enter \"" + year + "\" Enter \"" + minimum + "\" Enter \"" + yes + "\" Enter \"" + batch + "\" F10";
}

// The text at [x, x + width) of a page's line, as it stands (blanks kept).
std::string At(const Preview& r, std::size_t page, std::size_t line, std::size_t x, std::size_t width) {
  if (page >= r.pages.size() || line >= r.pages[page].size()) return "";
  const std::string& l = r.pages[page][line];
  if (x >= l.size()) return std::string(width, ' ');
  std::string cell = l.substr(x, width);
  cell.resize(width, ' ');
  return cell;
}

// The vendors' names of the forms of a preview, by page: line 13 of each form.
std::vector<std::string> FormNames(const Preview& r) {
  std::vector<std::string> names;
  for (std::size_t p = 0; p < r.pages.size(); ++p)
    for (std::size_t form = 0; form < 2; ++form) {
      const std::string name = Cell(At(r, p, form * 33 + 13, 0, 40), 0, 40);
      if (!name.empty()) names.push_back(name);
    }
  return names;
}

class Form1099Test : public listingtest::ListingTest {
 protected:
  Form1099Test() : ListingTest(348) {}

  void SetUp() override {
    ListingTest::SetUp();
    UseFixtureFile(Books());
  }

  Run Run1099(const std::string& keys) {
    SharedAppBlockGet()->currentCommand = 348;
    return RunScripted(keys, [] { return RunPrint1099(); });
  }
  Run Run1096(const std::string& keys) {
    SharedAppBlockGet()->currentCommand = 375;
    return RunScripted(keys, [] { return RunPrint1096(nullptr); });
  }

  std::vector<TagBatchForm1099> Batches() {
    std::vector<TagBatchForm1099> batches;
    const fixture::CompanyImage image = Snapshot({records::kFile1099Batches});
    const auto file = image.files.find(records::kFile1099Batches);
    if (file == image.files.end()) return batches;
    for (const auto& bytes : file->second) {
      TagBatchForm1099 b{};
      std::memcpy(&b, bytes.data(), std::min(bytes.size(), sizeof b));
      batches.push_back(b);
    }
    return batches;
  }

  void AddBatch(const char* name, int count, double total, char form1096) {
    Add("form_1099_batches", Json{{"name", name}, {"formCount", count}, {"totalAmount", total},
                                  {"form1096", std::string(1, form1096)}});
  }
};

TEST_F(Form1099Test, EachVendorReachingTheMinimumGetsAFormAndTheRunIsRecorded) {
  const struct {
    const char* minimum;
    std::vector<std::string> vendors;
    std::size_t pages;
    double total;
  } cases[] = {
      {"600", {"Alder Consulting", "Birch Cleaning Service", "Cedar Legal LLP"}, 2, 2550.00},
      // A vendor without an amount of the year has 0.00: it qualifies only at 0.
      {"0",
       {"Alder Consulting", "Birch Cleaning Service", "Cedar Legal LLP", "Elm Repairs", "Fir Landscaping"},
       3,
       3149.99},
      {"1000", {"Alder Consulting"}, 1, 1200.00},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string batch = "B" + std::to_string(++n);
    const Run run = Run1099(Keys1099("2023", c.minimum, "N", batch) + " Esc");
    EXPECT_TRUE(run.messages.empty()) << c.minimum << "\n" << run.transcript;
    const Preview r = OnlyPreview(run.transcript, "1099s");
    EXPECT_EQ(c.vendors, FormNames(r)) << c.minimum << "\n" << run.transcript;
    EXPECT_EQ(c.pages, r.pages.size()) << c.minimum;
    // An odd number of forms voids the last page's second form.
    const bool odd = c.vendors.size() % 2 == 1;
    EXPECT_EQ(odd ? "X" : " ", At(r, c.pages - 1, 32, 22, 1)) << c.minimum;
    const std::vector<TagBatchForm1099> batches = Batches();
    ASSERT_EQ(static_cast<std::size_t>(n), batches.size()) << c.minimum;
    const TagBatchForm1099& b = batches.back();
    EXPECT_EQ(batch, std::string(b.name)) << c.minimum;
    EXPECT_EQ(static_cast<int>(c.vendors.size()), static_cast<int>(b.formCount)) << c.minimum;
    EXPECT_DOUBLE_EQ(c.total, b.totalAmount) << c.minimum;
    EXPECT_EQ('N', b.form1096) << c.minimum;
    EXPECT_NE(0u, static_cast<std::uint32_t>(b.createdStamp)) << c.minimum;
  }
}

TEST_F(Form1099Test, EveryTextStandsInItsBoxOfTheStock) {
  const Run run = Run1099(Keys1099("2023", "600", "N", "B2023") + " Esc");
  const Preview r = OnlyPreview(run.transcript, "1099s");
  ASSERT_EQ(2u, r.pages.size()) << run.transcript;
  const std::string zero = "       0.00";
  const struct {
    std::size_t page, line, x;
    std::string text;
  } cases[] = {
      // The payer block of the first form.
      {0, 1, 4, "Harbor Tool & Supply Co."},
      {0, 3, 4, "400 Front Street"},
      {0, 4, 4, "Suite 12"},
      {0, 5, 4, "Springfield, IL 62701"},
      {0, 6, 4, "(217) 555-0100"},
      {0, 2, 38, zero},
      {0, 5, 38, zero},
      {0, 7, 38, zero},
      // The payer's and the recipient's numbers, with two zero boxes.
      {0, 11, 4, "36-1234567"},
      {0, 11, 21, "11-1111111"},
      {0, 11, 38, zero},
      {0, 11, 51, zero},
      // The recipient, the amount in box 1, the address.
      {0, 13, 4, "Alder Consulting"},
      {0, 15, 38, "    1200.00"},
      {0, 15, 51, zero},
      {0, 17, 4, "12 Oak Lane"},
      {0, 18, 51, zero},
      {0, 20, 4, "Springfield, IL 62702"},
      // The state line.
      {0, 25, 38, zero},
      {0, 25, 51, "      IL-7788"},
      {0, 25, 64, zero},
      // The second form of the page, 33 lines down: two street lines, and
      // a ZIP the closing line did not hold.
      {0, 33 + 1, 4, "Harbor Tool & Supply Co."},
      {0, 33 + 15, 38, "     650.00"},
      {0, 33 + 17, 4, "PO Box 77"},
      {0, 33 + 18, 4, "Unit 4"},
      {0, 33 + 20, 4, "Decatur, IL  62523-1234"},
      // The third form, and the void mark of the fourth.
      {1, 13, 4, "Cedar Legal LLP"},
      {1, 15, 38, "     700.00"},
      {1, 32, 22, "X"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.text, At(r, c.page, c.line, c.x, c.text.size())) << c.page << ":" << c.line << ":" << c.x;
  // Nothing but the forms: no heading or footer.
  EXPECT_FALSE(r.Contains("Page 1")) << run.transcript;
}

// The 1096 screen a 1099 run opened for `batch` in the transcript ("" when none).
std::string Screen1096(const std::string& transcript) {
  const std::size_t at = transcript.find("--- form start: 1096 Summary ---");
  if (at == std::string::npos) return "";
  return transcript.substr(at, transcript.find("--- end of screen ---", at) - at);
}

TEST_F(Form1099Test, ABatchPrintedBeforePrintsNothingAndOpensIts1096) {
  AddBatch("B2023", 3, 2550.00, 'N');
  WriteCompany();
  // "Yes": no forms; the 1096 screen opens for the batch, the batch fixed
  // and no list of batches offered.  Left with Esc, it prints nothing and
  // the batch is not marked as transmitted.
  Run run = Run1099(Keys1099("2023", "0", "Y", "B2023") + " Esc");
  EXPECT_EQ(std::string::npos, run.transcript.find("preview: 1099s")) << run.transcript;
  const std::string screen1096 = Screen1096(run.transcript);
  EXPECT_NE(std::string::npos, screen1096.find("B2023")) << run.transcript;
  EXPECT_EQ(std::string::npos, screen1096.find("F5")) << "no look-up of batches\n" << screen1096;
  std::vector<TagBatchForm1099> batches = Batches();
  ASSERT_EQ(1u, batches.size());
  EXPECT_EQ('N', batches[0].form1096) << "no 1096 was printed";

  // The rerun prints the 1096 of the batch: its count and total are those of
  // the batch's own run, the contact is kept with it, and it is marked.
  run = Run1099(Keys1099("2023", "0", "Y", "B2023") + " \"Pat Quinlan\" F10 Esc");
  EXPECT_EQ(std::string::npos, run.transcript.find(" of file ")) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "1096 Report");
  EXPECT_EQ("Pat Quinlan", Cell(At(r, 0, 15, 4, 26), 0, 26)) << run.transcript;
  EXPECT_EQ("         3", At(r, 0, 19, 31, 10));
  batches = Batches();
  ASSERT_EQ(1u, batches.size());
  EXPECT_EQ('Y', batches[0].form1096);
  EXPECT_EQ("Pat Quinlan", std::string(batches[0].contactName));
  EXPECT_EQ(3, static_cast<int>(batches[0].formCount)) << "the count of the batch's own run";
  EXPECT_DOUBLE_EQ(2550.00, batches[0].totalAmount);

  // Once marked, the mark stays whatever is chosen, and the 1096 opens again.
  run = Run1099(Keys1099("2023", "0", "N", "B2023") + " Esc");
  EXPECT_EQ(std::string::npos, run.transcript.find("preview: 1099s")) << run.transcript;
  EXPECT_NE("", Screen1096(run.transcript)) << run.transcript;
  EXPECT_EQ('Y', Batches().at(0).form1096);
}

TEST_F(Form1099Test, ThePrintedRunOpensThe1096OfItsNewBatchWhichMarksItWhenItPrints) {
  Run run = Run1099(Keys1099("2023", "600", "Y", "B2023") + " Esc Esc");
  EXPECT_NE(std::string::npos, run.transcript.find("preview: 1099s")) << run.transcript;
  EXPECT_NE("", Screen1096(run.transcript)) << run.transcript;
  ASSERT_EQ(1u, Batches().size());
  EXPECT_EQ('N', Batches()[0].form1096) << "the 1096 was left unprinted";

  run = Run1099(Keys1099("2023", "600", "Y", "B2024") + " Esc F10 Esc");
  EXPECT_NE(std::string::npos, run.transcript.find("preview: 1096 Report")) << run.transcript;
  ASSERT_EQ(2u, Batches().size());
  EXPECT_EQ('Y', Batches()[1].form1096);
}

TEST_F(Form1099Test, WhatCannotBeDoneIsRefusedAndNothingIsPrintedOrWritten) {
  const struct {
    const char* name;
    const char* fault;  // a record-manager fault to inject, or ""
    std::string keys;
    int message;  // 0: the record-manager box
  } cases[] = {
      {"no batch name", "", "Enter Enter \"2023\" Enter \"600\" Enter \"N\" Enter F10 Esc", 1905},
      {"a bad tax year", "", "Enter Enter \"0000\" Enter Esc", 1907},
      {"the batch cannot be written", "fail=2:form_1099_batches:1:84", Keys1099("2023", "600", "N", "B2023") + " Esc",
       0},
      {"a vendor cannot be read", "fail=6:vendors:2:84", Keys1099("2023", "600", "N", "B2023") + " Esc", 0},
      {"an amount cannot be read", "fail=5:vendor_1099_amounts:2:84", Keys1099("2023", "600", "N", "B2023") + " Esc",
       0},
  };
  for (const auto& c : cases) {
    WriteCompany();
    ASSERT_EQ(0, BtrvTestSwitch(c.fault));
    const Run run = Run1099(c.keys);
    BtrvTestSwitch("");
    if (c.message) {
      EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.name << "\n" << run.transcript;
    } else {
      EXPECT_NE(std::string::npos, run.transcript.find(" of file ")) << c.name << "\n" << run.transcript;
    }
    EXPECT_EQ(std::string::npos, run.transcript.find("preview: 1099s")) << c.name << "\n" << run.transcript;
    EXPECT_TRUE(Batches().empty()) << c.name;
  }
}

TEST_F(Form1099Test, AnUnreadableCompanyRecordClosesTheScreenWithoutARun) {
  Fixture()["files"]["settings"] = Json::array();
  WriteCompany();
  const Run run = Run1099(Keys1099("2023", "600", "N", "B2023") + " Esc");
  EXPECT_NE(std::string::npos, run.transcript.find(" of file ")) << run.transcript;
  EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << run.transcript;
  EXPECT_TRUE(Batches().empty());
}

TEST_F(Form1099Test, AUserBreakPrintsNothingAndRecordsNoBatch) {
  for (int n = 0; n < 150; ++n) {
    const std::string code = "W" + std::to_string(100 + n);
    Add("vendors", Json{{"code", code}, {"form1099", "Y"}, {"name", "Vendor " + code}});
    Add("vendor_1099_amounts", Json{{"vendorCode", code}, {"taxYear", 2023}, {"amount", 1000.0}});
  }
  const Run run = Run1099(Keys1099("2023", "600", "N", "B2023") + " Break Esc");
  EXPECT_EQ(std::string::npos, run.transcript.find("preview: 1099s")) << run.transcript;
  EXPECT_TRUE(Batches().empty());
}

TEST_F(Form1099Test, OnTheSampleCompanyLastYearsFormsGoToTheMonthlyPaidVendors) {
  WriteImage(qxtest::SampleCompany(Today()));
  const struct {
    const char* minimum;
    std::vector<std::string> vendors;
  } cases[] = {
      // Greenway was paid less than 600.00, Signpost has no amount, the
      // utilities are no 1099 vendor.
      {"600", {"Bytewise IT Consulting", "Riverside Properties LLC"}},
      {"0", {"Bytewise IT Consulting", "Greenway Lawn Care", "Riverside Properties LLC", "Signpost Sign Painting"}},
  };
  int n = 0;
  for (const auto& c : cases) {
    const Run run = Run1099(Keys1099("2024", c.minimum, "N", "S" + std::to_string(++n)) + " Esc");
    EXPECT_TRUE(run.messages.empty()) << run.transcript;
    EXPECT_EQ(c.vendors, FormNames(OnlyPreview(run.transcript, "1099s"))) << c.minimum << "\n" << run.transcript;
  }
  // The sample's batch of the year before has been transmitted.
  const Run run = Run1099(Keys1099("2023", "600", "N", "B2023") + " Esc");
  EXPECT_NE(std::string::npos, run.transcript.find("--- form start: 1096 Summary ---")) << run.transcript;
}

// --- The 1096 ------------------------------------------------------------------------------

TEST_F(Form1099Test, The1096TransmitsTheBatchWithItsContactPerson) {
  AddBatch("B2023", 3, 2550.00, 'Y');
  const Run run = Run1096(
      "\"B2023\" Enter \"Pat Quinlan\" Enter \"2175550199\" Enter \"Accounts payable, second floor\" F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "1096 Report");
  ASSERT_FALSE(r.Empty()) << run.transcript;
  const struct {
    std::size_t line, x;
    std::string text;
  } cases[] = {
      {7, 5, "Harbor Tool & Supply Co."},
      {10, 5, "400 Front Street"},
      {11, 5, "Suite 12"},
      {13, 5, "Springfield, IL 62701"},
      {15, 4, "Pat Quinlan"},
      {15, 31, "(217) 5550199"},
      {17, 4, "Accounts payable, second floor"},
      {19, 4, " 36-1234567"},
      // The count right-aligned in columns 31-40, the total ending in 72.
      {19, 31, "         3"},
      {19, 58, "        2550.00"},
      {27, 5, "X"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, At(r, 0, c.line, c.x, c.text.size())) << c.line << ":" << c.x;
  const std::vector<TagBatchForm1099> batches = Batches();
  ASSERT_EQ(1u, batches.size());
  EXPECT_EQ("Pat Quinlan", std::string(batches[0].contactName));
  EXPECT_EQ("(217) 5550199", std::string(batches[0].contactPhone));
  EXPECT_EQ("Accounts payable, second floor", std::string(batches[0].contactLine2));
  EXPECT_EQ(3, static_cast<int>(batches[0].formCount));

  // The contact person comes back with the batch.
  const Run again = Run1096("\"B2023\" Enter Esc");
  EXPECT_NE(std::string::npos, again.transcript.find("Pat Quinlan")) << again.transcript;
}

TEST_F(Form1099Test, The1096CityLineIsSplitFromTheCompanysAddress) {
  AddBatch("B2023", 3, 2550.00, 'Y');
  const struct {
    const char* companyLine;
    const char* printed;
  } cases[] = {
      {"Springfield, IL 62701", "Springfield, IL 62701"},
      // A city of two words: the second word lands in the state field, the
      // state in the ZIP field (the user corrects the fields).
      {"New York, NY 10001", "New, YO NY"},
      // A city longer than its field keeps 15 characters.
      {"Llanfairpwllgwyngyll, GW LL61", "Llanfairpwllgwy, GW LL61"},
      // A ZIP ending in a dash loses it.
      {"Austin, TX 78701-", "Austin, TX 78701"},
  };
  for (const auto& c : cases) {
    UseFixtureFile(Books());
    AddBatch("B2023", 3, 2550.00, 'Y');
    Fixture()["files"]["settings"][0]["cityStateZip"] = c.companyLine;
    WriteCompany();
    const Run run = Run1096("\"B2023\" Enter F10 Esc");
    const Preview r = OnlyPreview(run.transcript, "1096 Report");
    EXPECT_EQ(c.printed, Cell(At(r, 0, 13, 0, 60), 0, 60)) << c.companyLine << "\n" << run.transcript;
  }
}

TEST_F(Form1099Test, The1096RefusesABatchItCannotTransmit) {
  AddBatch("B2023", 3, 2550.00, 'Y');
  const struct {
    const char* name;
    const char* fault;
    const char* keys;
    int message;
  } cases[] = {
      {"no batch named", "", "F10 Esc", 1905},
      {"an unknown batch", "", "\"B1999\" Enter Esc", 1903},
      {"an unknown batch at F10", "", "\"B1999\" F10 Esc", 1903},
      // The batch cannot take the contact person: nothing is printed.
      {"the batch cannot be written", "fail=3:form_1099_batches:1:84", "\"B2023\" Enter F10 Esc", 0},
  };
  for (const auto& c : cases) {
    WriteCompany();
    ASSERT_EQ(0, BtrvTestSwitch(c.fault));
    const Run run = Run1096(c.keys);
    BtrvTestSwitch("");
    if (c.message) {
      EXPECT_EQ(std::vector<int>{c.message}, run.messages) << c.name << "\n" << run.transcript;
    } else {
      EXPECT_NE(std::string::npos, run.transcript.find(" of file ")) << c.name << "\n" << run.transcript;
    }
    EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << c.name << "\n" << run.transcript;
  }
}

TEST_F(Form1099Test, F5ListsTheBatches) {
  AddBatch("A2022", 7, 9100.00, 'Y');
  AddBatch("B2023", 3, 2550.00, 'N');
  const Run run = Run1096("F5 Down Enter F10 Esc");
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
  EXPECT_NE(std::string::npos, run.transcript.find("search list \" 1099 Batches \"")) << run.transcript;
  const Preview r = OnlyPreview(run.transcript, "1096 Report");
  EXPECT_EQ("         3", At(r, 0, 19, 31, 10)) << run.transcript;
}

}  // namespace
}  // namespace checkstest
