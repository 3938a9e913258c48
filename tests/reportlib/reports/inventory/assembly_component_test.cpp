// The product assembly report (command 357) and the product component
// report (command 358), run through their entries on key scripts over a
// small company of assemblies and read back from the preview in the
// transcript: what each line shows, the ranges, the page breaks, and the
// ways a run selects nothing, is stopped or meets a record-manager error.
//
// The company: KIT-A needs P1, P2, a quarter of the LABOUR service and the
// sub-assembly SUB-1; KIT-B (counted in twelfths) needs P2, one and a half
// P3 (also in twelfths) and GHOST, which is on no file; KIT-C has no bill
// of materials.  P2 is a component of both kits.
#include <string>
#include <vector>

#include "btrvc.h"
#include "preview_report.h"
#include "product_test_support.h"
#include "qxabase/dictionary.h"
#include "qxabase/files.h"
#include "records/dictionary.h"
#include "reports/inventory/assembly_component.h"

namespace producttest {
namespace {

Json Bill(const std::string& assembly, const std::string& component, double units) {
  return Json{{"assemblyNumber", assembly}, {"componentNumber", component}, {"unitsRequired", units}};
}

class BillReportTest : public CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    Add("products", Product("KIT-A", "Desk kit", Json{{"assemblyFlag", "Y"}, {"quantityOnHand", 4}}));
    Add("products", Product("KIT-B", "Paint kit",
                            Json{{"assemblyFlag", "Y"}, {"quantityOnHand", 2.5}, {"purchaseUnitFactor", 12},
                                 {"warehouse", "WST"}}));
    Add("products", Product("KIT-C", "Empty kit", Json{{"assemblyFlag", "Y"}}));
    Add("products", Product("P1", "Stapler"));
    Add("products", Product("P2", "Pens, box of 12"));
    Add("products", Product("P3", "Tape roll", Json{{"purchaseUnitFactor", 12}}));
    Add("products", Product("SUB-1", "Drawer organiser", Json{{"assemblyFlag", "Y"}}));
    Add("services", Json{{"code", "LABOUR"}, {"description", "Assembly labour"}, {"unitFactor", 4}});
    for (const Json& b : {Bill("KIT-A", "P1", 1), Bill("KIT-A", "P2", 2), Bill("KIT-A", "LABOUR", 0.25),
                          Bill("KIT-A", "SUB-1", 1), Bill("KIT-B", "P2", 3), Bill("KIT-B", "P3", 1.5),
                          Bill("KIT-B", "GHOST", 1)})
      Add("bills_of_materials", b);
  }

  // Each run a user of its own, so that no run starts from the range the
  // one before remembered.
  Run Assembly(const std::string& keys) { return Scripted(keys, [] { return RunProductAssemblyReport(); }); }
  Run Component(const std::string& keys) { return Scripted(keys, [] { return RunProductComponentReport(); }); }
};

// True when line `i` is a detail line: a code at `x` (the column of the
// other item), not a page's title, headings, rule or footer.
bool IsDetailLine(const PreviewReport& r, int i, int x) {
  const std::string& line = r.lines[static_cast<std::size_t>(i)];
  const std::string code = r.Cell(i, x, 14);
  return !code.empty() && code != "Components" && code != "Product" && code[0] != '-' &&
         line.find(" Report") == std::string::npos && line.find("Page ") == std::string::npos;
}

// The detail lines of the assembly report as cells: product, WHC,
// description, on hand, component, its description, units, assembly.
std::vector<std::vector<std::string>> AssemblyRows(const PreviewReport& r) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i) {
    if (!IsDetailLine(r, i, 67)) continue;
    rows.push_back({r.Cell(i, 1, 14), r.Cell(i, 17, 5), r.Cell(i, 23, 30), r.Cell(i, 55, 11), r.Cell(i, 67, 14),
                    r.Cell(i, 84, 30), r.Cell(i, 115, 11), r.Cell(i, 127, 8)});
  }
  return rows;
}

// The component report's: component, description, units, product, its
// description, WHC.
std::vector<std::vector<std::string>> ComponentRows(const PreviewReport& r) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 0; i < static_cast<int>(r.lines.size()); ++i) {
    if (!IsDetailLine(r, i, 71)) continue;
    rows.push_back({r.Cell(i, 1, 14), r.Cell(i, 19, 30), r.Cell(i, 56, 13), r.Cell(i, 71, 14), r.Cell(i, 92, 30),
                    r.Cell(i, 128, 5)});
  }
  return rows;
}

TEST_F(BillReportTest, TheAssemblyReportListsEachAssemblysComponents) {
  const Run run = Assembly("F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Product Assembly");
  ASSERT_TRUE(r.shown) << run.transcript;
  EXPECT_TRUE(r.Contains("Product Assembly Report"));
  EXPECT_TRUE(r.Contains("O.H. Units"));
  // The assembly is named, with its stock, on its first line only; the
  // warehouse stands on every line; units are in the component's measure.
  const std::vector<std::vector<std::string>> expected = {
      {"KIT-A", "MAI", "Desk kit", "4.0000", "LABOUR", "Assembly labour", "1/4", "No"},
      {"", "MAI", "", "", "P1", "Stapler", "1.0000", "No"},
      {"", "MAI", "", "", "P2", "Pens, box of 12", "2.0000", "No"},
      {"", "MAI", "", "", "SUB-1", "Drawer organiser", "1.0000", "Yes"},
      {"KIT-B", "WST", "Paint kit", "2 6/12", "GHOST", "* Not on file *", "1.0000", "No"},
      {"", "WST", "", "", "P2", "Pens, box of 12", "3.0000", "No"},
      {"", "WST", "", "", "P3", "Tape roll", "1 6/12", "No"},
  };
  EXPECT_EQ(expected, AssemblyRows(r)) << run.transcript;
  EXPECT_FALSE(r.Contains("KIT-C")) << "an assembly without a bill of materials has no line";
  EXPECT_TRUE(run.messages.empty()) << run.transcript;
}

TEST_F(BillReportTest, TheComponentReportListsTheAssembliesThatUseEachComponent) {
  const Run run = Component("F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Product Component");
  ASSERT_TRUE(r.shown) << run.transcript;
  EXPECT_TRUE(r.Contains("Product Component Report"));
  const std::vector<std::vector<std::string>> expected = {
      {"GHOST", "* Not on file *", "1.0000", "KIT-B", "Paint kit", "WST"},
      {"LABOUR", "Assembly labour", "1/4", "KIT-A", "Desk kit", "MAI"},
      {"P1", "Stapler", "1.0000", "KIT-A", "Desk kit", "MAI"},
      {"P2", "Pens, box of 12", "2.0000", "KIT-A", "Desk kit", "MAI"},
      {"", "", "3.0000", "KIT-B", "Paint kit", "WST"},
      {"P3", "Tape roll", "1 6/12", "KIT-B", "Paint kit", "WST"},
      {"SUB-1", "Drawer organiser", "1.0000", "KIT-A", "Desk kit", "MAI"},
  };
  EXPECT_EQ(expected, ComponentRows(r)) << run.transcript;
}

TEST_F(BillReportTest, TheRangeBoundsTheGroupField) {
  const struct {
    const char* name;
    bool assembly;
    const char* keys;
    std::vector<std::string> listed;  // the second-column codes (components, or assemblies), in order
  } cases[] = {
      // A to equal to an assembly takes all of its lines and stops there.
      {"to KIT-A", true, "Down \"KIT-A\" F10 Esc", {"LABOUR", "P1", "P2", "SUB-1"}},
      {"from KIT-B", true, "\"KIT-B\" F10 Esc", {"GHOST", "P2", "P3"}},
      // Codes are found without regard to letter case.
      {"from kit-b to kit-b", true, "\"kit-b\" Down \"kit-b\" F10 Esc", {"GHOST", "P2", "P3"}},
      {"components P1 to P2", false, "\"P1\" Down \"P2\" F10 Esc", {"KIT-A", "KIT-A", "KIT-B"}},
      {"component P2 alone", false, "\"P2\" Down \"P2\" F10 Esc", {"KIT-A", "KIT-B"}},
  };
  for (const auto& c : cases) {
    const Run run = c.assembly ? Assembly(c.keys) : Component(c.keys);
    const PreviewReport r = ReadPreview(run.transcript, c.assembly ? "Product Assembly" : "Product Component");
    std::vector<std::string> listed;
    for (const auto& row : c.assembly ? AssemblyRows(r) : ComponentRows(r)) listed.push_back(row[c.assembly ? 4 : 3]);
    EXPECT_EQ(c.listed, listed) << c.name << "\n" << run.transcript;
  }
}

TEST_F(BillReportTest, AnAssemblyRunningOntoANewPageIsNamedAgainThere) {
  for (int i = 0; i < 75; ++i) {
    char code[8];
    std::snprintf(code, sizeof code, "C%03d", i);
    Add("bills_of_materials", Bill("KIT-BIG", code, 1));
  }
  Add("products", Product("KIT-BIG", "Big kit", Json{{"assemblyFlag", "Y"}}));
  const Run run = Assembly("\"KIT-BIG\" Down \"KIT-BIG\" F10 Esc");
  const PreviewReport r = ReadPreview(run.transcript, "Product Assembly");
  ASSERT_GE(r.pages, 2) << run.transcript;
  int named = 0, lines = 0;
  for (const auto& row : AssemblyRows(r)) {
    ++lines;
    if (row[0] == "KIT-BIG") {
      ++named;
      EXPECT_EQ("Big kit", row[2]);
    }
  }
  EXPECT_EQ(75, lines);
  EXPECT_EQ(r.pages, named) << "named on the first line of each page\n" << run.transcript;
  // Every page carries the column headings.
  int headings = 0;
  for (int i = r.Find("Components"); i >= 0; i = r.Find("Components", i + 1)) ++headings;
  EXPECT_EQ(r.pages, headings);
}

TEST_F(BillReportTest, RunsThatPrintNothingEndCleanly) {
  const struct {
    const char* name;
    bool assembly;
    const char* keys;
    std::vector<int> messages;
  } cases[] = {
      {"a range past every assembly", true, "\"ZZZ\" F10", {197}},
      {"a range past every component", false, "\"ZZZ\" F10", {197}},
      {"from after to", true, "\"KIT-B\" Down \"KIT-A\" F10 Enter Esc", {205}},
      {"left with Esc", true, "Esc", {}},
  };
  for (const auto& c : cases) {
    const Run run = c.assembly ? Assembly(c.keys) : Component(c.keys);
    EXPECT_EQ(c.messages, run.messages) << c.name << "\n" << run.transcript;
    EXPECT_EQ(std::string::npos, run.transcript.find("preview:")) << c.name << "\n" << run.transcript;
    EXPECT_EQ(0, run.result);
  }
}

void ExpectBillsFileReleased() {
  const std::string path = FilePathGet(records::kFileBillsOfMaterials);
  EXPECT_EQ(0, BtrvFileRename(path.c_str(), (path + "_moved").c_str())) << path << " is still open";
  EXPECT_EQ(0, BtrvFileRename((path + "_moved").c_str(), path.c_str()));
}

TEST_F(BillReportTest, AUserBreakEndsTheRunCleanly) {
  const Run run = Assembly("F10 Break");
  const PreviewReport r = ReadPreview(run.transcript, "Product Assembly");
  EXPECT_TRUE(r.Contains("stopped by the user")) << run.transcript;
  EXPECT_LT(AssemblyRows(r).size(), 7u);
  ExpectBillsFileReleased();
}

TEST_F(BillReportTest, ARecordManagerErrorEndsTheRunCleanly) {
  const struct {
    const char* name;
    const char* fault;
    const char* file;  // the file the error box names
    bool preview;      // what was printed before is shown
  } cases[] = {
      {"reading the bills", "fail=6:bills_of_materials:2:2", "bills_of_materials", true},
      {"looking a product up", "fail=5:products:3:2", "products", true},
      {"the first read", "fail=9:bills_of_materials:1:2", "bills_of_materials", false},
  };
  for (const auto& c : cases) {
    WriteCompany();
    ASSERT_EQ(0, BtrvTestSwitch(c.fault));
    const Run run = Component("F10 Esc");
    BtrvTestSwitch("");
    EXPECT_NE(std::string::npos, run.transcript.find(c.file)) << c.name << "\n" << run.transcript;
    const PreviewReport r = ReadPreview(run.transcript, "Product Component");
    EXPECT_EQ(c.preview, r.shown) << c.name << "\n" << run.transcript;
    if (c.preview) {
      EXPECT_TRUE(r.Contains("report is incomplete")) << c.name;
    }
    ExpectBillsFileReleased();
  }
}

TEST_F(BillReportTest, EachUsersLastRangeComesBack) {
  AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, "ANNE");
  RunScripted("\"KIT-B\" F10 Esc", [] { return RunProductAssemblyReport(); });
  const Run again = RunScripted("F10 Esc", [] { return RunProductAssemblyReport(); });
  std::vector<std::string> listed;
  for (const auto& row : AssemblyRows(ReadPreview(again.transcript, "Product Assembly"))) listed.push_back(row[4]);
  EXPECT_EQ((std::vector<std::string>{"GHOST", "P2", "P3"}), listed) << again.transcript;
  // Shift+F9 brings the open range back; the component report keeps its own.
  const Run defaults = RunScripted("Shift+F9 F10 Esc", [] { return RunProductAssemblyReport(); });
  EXPECT_EQ(7u, AssemblyRows(ReadPreview(defaults.transcript, "Product Assembly")).size()) << defaults.transcript;
  const Run component = RunScripted("F10 Esc", [] { return RunProductComponentReport(); });
  EXPECT_EQ(7u, ComponentRows(ReadPreview(component.transcript, "Product Component")).size());
}

}  // namespace
}  // namespace producttest
