// The status box of a posting run: title, lines by mask, count, transcript.
#include <cstdint>
#include <cstring>
#include <string>

#include "test_support.h"

namespace {

class StatusBoxTest : public qxtest::BaseTest {};

TEST_F(StatusBoxTest, APersonCanFollowTheRun) {
  TagFormField lines[4] = {};
  lines[0].number = 1;
  lines[0].row = 1;
  lines[0].column = 20;
  std::strcpy(lines[0].mask, "%-10s");
  lines[1].number = 2;
  lines[1].row = 2;
  lines[1].column = 20;
  std::strcpy(lines[1].mask, "%-3ld");
  lines[2].number = 3;
  lines[2].row = 3;
  lines[2].column = 20;
  std::strcpy(lines[2].mask, "%11.2f");

  ASSERT_EQ(0, StatusBoxOpen(5, -1, -1, 3, 54, 0));
  StatusBoxTitle(538);
  StatusBoxFields(lines, sizeof lines);
  StatusBoxShow(0);
  StatusBoxLabel(1, "Invoice");
  StatusBoxLabel(2, "Part");
  StatusBoxLabel(3, "Amount");
  const std::int32_t part = 7;
  const double amount = 1234.5;
  StatusBoxRecord(-1, "INV-1001", &part, &amount, 0);
  StatusBoxRecord(-1, "INV-1002", 0, 0);
  const std::string screen = ScreenSnapshot();
  EXPECT_NE(std::string::npos, screen.find("Billing Posting")) << screen;
  EXPECT_NE(std::string::npos, screen.find("Invoice")) << screen;
  EXPECT_NE(std::string::npos, screen.find("INV-1002")) << screen;
  EXPECT_EQ(std::string::npos, screen.find("INV-1001")) << "the line shows the record being worked on";
  EXPECT_NE(std::string::npos, screen.find("Records: 2")) << screen;
  EXPECT_EQ(2, StatusBoxCount());

  StatusBoxLine(0, -1, "P-100");
  EXPECT_NE(std::string::npos, ScreenSnapshot().find("P-100"));
  StatusBoxClose();
  StatusBoxClose();
  EXPECT_EQ(std::string::npos, ScreenSnapshot().find("Billing Posting"));
  EXPECT_NE(std::string::npos, Transcript().find("status box: Billing Posting: 2 records"));
}

TEST_F(StatusBoxTest, ValuesFollowTheirMasks) {
  TagFormField lines[3] = {};
  lines[0].number = 1;
  lines[0].row = 1;
  lines[0].column = 2;
  std::strcpy(lines[0].mask, "nn/nn/nn");
  lines[1].number = 2;
  lines[1].row = 2;
  lines[1].column = 2;
  std::strcpy(lines[1].mask, "%-14sC");
  StatusBoxOpen(5, 10, -1, 2, 40, 0);
  StatusBoxTitleText("Test");
  StatusBoxFields(lines, 0);
  StatusBoxShow(0);
  const std::int32_t day = DateMake(2025, 3, 15);
  StatusBoxRecord(-1, &day, "P-300");
  const std::string screen = ScreenSnapshot();
  EXPECT_NE(std::string::npos, screen.find("03/15/25")) << screen;
  EXPECT_NE(std::string::npos, screen.find("P-300")) << screen;
  StatusBoxClose();
}

}  // namespace
