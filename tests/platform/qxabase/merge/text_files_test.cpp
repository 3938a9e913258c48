// The texts of statements, letters and labels: the company's own over the
// installation's, reading line by line, the names a text may have, and a
// text saved whole.
#include <filesystem>
#include <string>
#include <vector>

#include "qxabase.h"
#include "qxtest/company_test.h"
#include "qxtest/files.h"

namespace {

class TextFilesTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    std::filesystem::create_directories(company_ + "/templates");
    Start("");
  }
  void TearDown() override {
    Finish();
    qxtest::CompanyTest::TearDown();
  }
  std::vector<std::string> Read(const char* name, int lineSize = 512, int* status = nullptr) {
    TextFileBlock block;
    const int opened = TextFileOpen(-1, lineSize, 4096, name, &block);
    if (status) *status = opened;
    std::vector<std::string> lines;
    std::vector<char> line(static_cast<std::size_t>(lineSize));
    while (TextFileRead(&block, line.data()) == 0) lines.emplace_back(line.data());
    EXPECT_EQ(opened == 0 ? kTextStatusEnd : kTextStatusNotOpen, block.status);
    TextFileClose(&block);
    return lines;
  }
};

TEST_F(TextFilesTest, TheCompanysTextComesBeforeTheInstallations) {
  int status = -1;
  const std::vector<std::string> installed = Read("labels.txt", 512, &status);
  EXPECT_EQ(0, status);
  EXPECT_EQ((std::vector<std::string>{"{NAME}", "{ADDRESS1}", "{ADDRESS2}", "{ADDRESS3}"}), installed);
  qxtest::WriteAll(company_ + "/templates/labels.txt", "{CODE}\r\nCaf\xC3\xA9 {NAME}\n\n");
  EXPECT_EQ((std::vector<std::string>{"{CODE}", "Caf\x82 {NAME}", ""}), Read("labels.txt"))
      << "UTF-8 in the file, code page 437 in the lines, CR LF as LF";
}

TEST_F(TextFilesTest, MissingTextsAndNamesThatAreNotFileNames) {
  struct Case {
    const char* name;
    bool valid;
  };
  const Case cases[] = {{"statement.txt", true}, {"own_labels-2.TXT", true}, {"../statement.txt", false},
                        {".hidden", false},      {"a/b", false},            {"", false},
                        {"a-name-of-thirty-three-characters", false}};
  for (const Case& c : cases) EXPECT_EQ(c.valid, TextNameValid(c.name)) << c.name;
  int status = 0;
  EXPECT_TRUE(Read("no-such-text.txt", 512, &status).empty());
  EXPECT_EQ(kTextStatusNotFound, status);
  EXPECT_TRUE(Read("../messages/messages.txt", 512, &status).empty()) << "outside the texts' folders";
  EXPECT_EQ(kTextStatusNotFound, status);
}

TEST_F(TextFilesTest, ALongLineIsCutToTheLineBuffer) {
  qxtest::WriteAll(company_ + "/templates/long.txt", std::string(600, 'x') + "\nshort\n");
  const std::vector<std::string> lines = Read("long.txt", 100);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(std::string(99, 'x'), lines[0]);
  EXPECT_EQ("short", lines[1]);
}

TEST_F(TextFilesTest, ASavedTextReplacesTheCompanysWhole) {
  ASSERT_EQ(0, TextFileSave("letter.txt", {"Dear {NAME},", "", "Caf\x82"}));
  EXPECT_EQ("Dear {NAME},\n\nCaf\xC3\xA9\n", qxtest::ReadAll(company_ + "/templates/letter.txt"));
  EXPECT_FALSE(std::filesystem::exists(company_ + "/templates/letter.txt.new"));
  // A folder that cannot be written: the message names the text, the old
  // text stays.
  std::filesystem::permissions(company_ + "/templates", std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::owner_exec);
  const bool writable = ::access((company_ + "/templates").c_str(), W_OK) == 0;  // root writes anyway
  if (!writable) {
    EXPECT_NE(0, TextFileSave("letter.txt", {"other"}));
    EXPECT_NE(std::string::npos, Finish().find("The text letter.txt could not be saved"));
    Start("");
    EXPECT_EQ("Dear {NAME},\n\nCaf\xC3\xA9\n", qxtest::ReadAll(company_ + "/templates/letter.txt"));
  }
  std::filesystem::permissions(company_ + "/templates", std::filesystem::perms::owner_all);
  EXPECT_NE(0, TextFileSave("../x.txt", {"x"})) << "not a plain file name";
}

}  // namespace
