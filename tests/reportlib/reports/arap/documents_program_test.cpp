// Statements, labels and letters run by the main program of a program tree
// laid out as the installation lays it out, each as its one command (qxa15
// <company> /only /cmd:N) on a key script as a user at the keyboard: the
// "Select" mode's list marks the accounts and their copies, the preview
// shows what prints, and the program ends with status 0.
#include <string>

#include "documents_test_support.h"
#include "qxtest/programs.h"
#include "qxtest/transcript.h"

namespace documenttest {
namespace {

class DocumentsProgramTest : public DocumentTest {
 protected:
  DocumentsProgramTest() : DocumentTest(0) {}
};

TEST_F(DocumentsProgramTest, PickedAccountsPrintThroughTheMainProgram) {
  WriteCompany();
  const qxtest::ProgramUser user(dir_, qxtest::BuiltProgramFiles(), "2025-03-31");
  // Labels in "Select" mode (Space on field 2): the list of the seven
  // customers; F3 unmarks C1 and moves to C2, which F8 gives two copies;
  // C3 to C6 are unmarked, C7 keeps its mark; F10 prints.
  const qxtest::Run labels = user.Command(company_, 339, "Down Space F10 F3 F8 Down F3 F3 F3 F3 F10 Esc");
  EXPECT_EQ(0, labels.status) << labels.transcript << labels.errors;
  EXPECT_NE(std::string::npos, labels.transcript.find("Record Selection")) << labels.transcript;
  const std::size_t preview = labels.transcript.find("preview: Customer Labels Standard");
  ASSERT_NE(std::string::npos, preview) << labels.transcript;
  const std::string printed = labels.transcript.substr(preview);
  EXPECT_EQ(std::string::npos, printed.find("Lake  View Farms")) << printed;
  EXPECT_NE(std::string::npos, printed.find("No Items Ltd"));
  EXPECT_NE(printed.find("No Items Ltd"), printed.rfind("No Items Ltd")) << "two copies";
  EXPECT_NE(std::string::npos, printed.find("Granite Works"));
  EXPECT_EQ(std::string::npos, printed.find("Dunmore Library"));

  // The statement of C1 alone, in the preview.
  const qxtest::Run statements = user.Command(company_, 336, "Down Down Down \"C1\" Down \"C1\" F10 Esc");
  EXPECT_EQ(0, statements.status) << statements.transcript << statements.errors;
  EXPECT_NE(std::string::npos, qxtest::Flat(statements.transcript).find("Balance of invoice INV2"))
      << statements.transcript;
}

}  // namespace
}  // namespace documenttest
