// Messages by number from the text store, shown through the screen
// library's message boxes (so key scripts answer them and the transcript
// records them), captions, the record-manager error box and wait windows.
#include <string>

#include "test_support.h"

namespace {

class MessagesTest : public qxtest::BaseTest {};

TEST_F(MessagesTest, ANumberWithATextOfThePartsShowsThatText) {
  Start("Enter Enter");
  EXPECT_EQ(1, MsgShow(197, 1));
  EXPECT_EQ(1, MsgShow(13));
  EXPECT_EQ(
      "message number: 197\n"
      "--- message box: Quarlex Accounting ---\n"
      "Nothing was selected or printed.\n"
      "buttons: [Ok]\n"
      "answer: [Ok] by Enter\n"
      "--- end of message box ---\n"
      "message number: 13\n"
      "--- message box: Quarlex Accounting ---\n"
      "The date is not valid.\n"
      "Type it as mm/dd/yy, for example 03/15/25.\n"
      "buttons: [Ok]\n"
      "answer: [Ok] by Enter\n"
      "--- end of message box ---\n",
      Transcript());
}

TEST_F(MessagesTest, ANumberTheStoreDoesNotHoldStillShows) {
  Start("Enter");
  MsgShow(9998);
  EXPECT_NE(std::string::npos, Transcript().find("Message 9998."));
}

// A posting question: the arguments in place, Stop and Skip as the posting
// expects them (1 stop, 2 skip) whatever the order on screen, and Esc or a
// closed window stopping the run.
TEST_F(MessagesTest, PostingQuestionsAnswerStopOrSkip) {
  const struct {
    const char* keys;
    int expected;
  } cases[] = {{"Enter", 1}, {"Left Enter", 2}, {"\"s\"", 2}, {"\"t\"", 1}, {"Esc", 1}, {"", 1}};
  for (const auto& c : cases) {
    Start(c.keys);
    EXPECT_EQ(c.expected, MsgShowArgs(1349, 0x100, 1, 1, "GJ", "1001", 0)) << c.keys;
  }
  Start("Enter");
  MsgShowArgs(1349, 0x100, 1, 1, "GJ", "1001", 0);
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("Transaction 1001 of journal GJ has not been printed in the journal.")) << t;
  EXPECT_NE(std::string::npos, t.find("buttons: [Skip] [Stop]")) << t;
  EXPECT_NE(std::string::npos, t.find("message layout: 0x100")) << t;
}

TEST_F(MessagesTest, ArgumentsAreShownByTheirTypes) {
  struct Work {
    char key[255];
    int file;
  } work{"4100", 1};
  const double debit = 1250.5;
  Start("Enter Enter Enter");
  MsgShowArgs(1379, 0x113, 2, 1, &debit, 1000.25, "Accounts Receivable :", "R-17", 0);
  MsgShowArgs(1361, 261, 1, 1, &work, 0);
  MsgShowArgs(1389, 296, 2, 1, 4, 0);
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("Accounts Receivable : transaction R-17 is out of balance:\ndebits 1250.50, credits 1000.25.")) << t;
  EXPECT_NE(std::string::npos, t.find("Account 4100 is not in the chart of accounts.")) << t;
  EXPECT_NE(std::string::npos, t.find("posted to period 4 first")) << t;
  EXPECT_NE(std::string::npos, t.find("buttons: [Stop]")) << t;
}

TEST_F(MessagesTest, QuestionsTakeTheirButtonsFromTheCallerOrTheStore) {
  Start("Enter Right Enter Right Right Enter");
  int choice = 0;
  EXPECT_EQ(1, MsgAsk(1229, 1, &choice, "Yes,No", kCaptionQuestion));
  EXPECT_EQ(1, choice);
  EXPECT_EQ(2, MsgAsk(1275, 0, nullptr, "\x01Yes,No"));
  EXPECT_EQ(3, MsgAsk(1103));
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("buttons: [Statement page] [Invoice lines] [Cancel]")) << t;
  EXPECT_NE(std::string::npos, t.find("--- message box: Quarlex Accounting - Question ---")) << t;
}

TEST_F(MessagesTest, TheRecordManagerErrorBoxNamesStatusOperationAndFile) {
  EXPECT_EQ(
      "Error 84: another user is working with the record,\n"
      "while reading a record by its key for update of file 29 (settings).\n"
      "Wait until the other user is done, then try again.",
      RecordErrorText(84, 405, 29));
  EXPECT_EQ("Error 12: the file does not exist,\nwhile opening the file of file 94 (WQXACCOL.DB).\n"
            "Check that the company folder is the right one and complete.",
            RecordErrorText(12, kErrorOpOpen, 94));
  Start("Enter");
  EXPECT_EQ(1, MsgRecordErrorPost(5, 1, 80, 3, 22, 0));
  Start("Enter");
  EXPECT_EQ(84, MsgRecordError(84, 1, 6, 27, 0));
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("--- message box: Quarlex Accounting - Error ---")) << t;
  EXPECT_NE(std::string::npos, t.find("while reading the next record of file 27 (gl_headers).")) << t;
}

TEST_F(MessagesTest, TextsAndCaptions) {
  char text[100];
  EXPECT_EQ(0, TextLoad(510, sizeof text, text));
  EXPECT_STREQ("General Ledger Posting", text);
  EXPECT_EQ(0, TextLoad(42, 12, text));
  EXPECT_STREQ("The time-bi", text) << "cut to the buffer";
  EXPECT_EQ(-1, TextLoad(9997, sizeof text, text));
  EXPECT_STREQ("", text);

  char caption[81];
  SharedAppBlockGet()->currentCommand = 337;
  EXPECT_STREQ("Customer Aging", GetCaption(caption, kCaptionWindow));
  SharedAppBlockGet()->currentCommand = 392;
  EXPECT_STREQ("Quarlex Accounting", GetCaption(caption, kCaptionWindow)) << "a command without a title";
  EXPECT_STREQ("Quarlex Accounting - Error", GetCaption(kCaptionError));
}

TEST_F(MessagesTest, WaitWindowsShowTheirKeysText) {
  const int outer = MsgWaitOpen("RSMsgCreateIndex", 0);
  EXPECT_STREQ("RSMsgCreateIndex", MsgWaitTopKey());
  const int inner = MsgWaitOpen("RSNoSuchKey", 0);
  MsgWaitStep(inner, 0);
  MsgWaitClose(inner);
  EXPECT_STREQ("RSMsgCreateIndex", MsgWaitTopKey());
  MsgWaitClose(outer);
  MsgWaitClose(outer);  // closing twice does nothing
  EXPECT_STREQ("", MsgWaitTopKey());
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("wait: Creating the sort index...")) << t;
  EXPECT_NE(std::string::npos, t.find("wait: Please wait...")) << t;
}

TEST_F(MessagesTest, TextListsShowAsOneBox) {
  const char* lines[] = {" Chronvale Database Error : no connection", nullptr};
  Start("Enter");
  MsgTextShow(lines, 1, 40, 0x410, 6, 0, 0, 0);
  const std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("Quarlex Accounting - Error")) << t;
  EXPECT_NE(std::string::npos, t.find("Chronvale Database Error : no connection")) << t;
}

}  // namespace
