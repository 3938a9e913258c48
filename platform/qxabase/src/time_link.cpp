// The time-billing link.
#include "qxabase/time_link.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "internal.h"
#include "qxabase/messages.h"
#include "qxabase/startup.h"
#include "daynumber.h"
#include "records/transactions.h"

namespace {

constexpr int kMsgLinkFolderMissing = 1991;  // %1 the folder

struct Transaction {
  char kind = 'E';  // first byte: what the posting asks of an entry
  int ledger = 0;
  records::TagRecPayHeader header{};
  int fieldsRead = 0;
};

struct Link {
  std::string configured;  // set by TimeLinkConfigure
  bool configuredSet = false;
  std::vector<std::string>* recorder = nullptr;
  bool connected = false;
  std::string folder;      // the folder connected to
  std::string error;
  Transaction current;
};

Link& L() {
  static Link link;
  return link;
}

std::string ConfiguredFolder() {
  const Link& l = L();
  if (l.configuredSet) return l.configured;
  const char* env = std::getenv("QX_TIMELINK");
  return env ? env : "";
}

void Record(const std::string& call) {
  if (L().recorder) L().recorder->push_back(call);
}

std::string DateText(std::int32_t day) {
  const daynum::CivilDate d = daynum::ToCivil(day);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  return day > 0 ? text : "";
}

std::string Line(const Transaction& t) {
  const records::TagRecPayHeader& h = t.header;
  return std::string(t.ledger == 2 ? "AP" : "AR") + "\t" + qxb::FieldText(h.transactionNumber, sizeof h.transactionNumber) +
         "\t" + qxb::FieldText(h.custVendCode, sizeof h.custVendCode) + "\t" +
         qxb::FieldText(h.invoiceNumber, sizeof h.invoiceNumber) + "\t" + DateText(h.date) + "\t" +
         qxb::FieldText(h.reference, sizeof h.reference);
}

}  // namespace

void TimeLinkConfigure(const char* folder) {
  L().configured = folder ? folder : "";
  L().configuredSet = true;
}

void TimeLinkSetRecorder(std::vector<std::string>* calls) { L().recorder = calls; }

int TimeLinkInit() {
  L().error.clear();
  Record("TimeLinkInit");
  return 0;
}

int TimeLinkActive() {
  return L().recorder != nullptr || !ConfiguredFolder().empty() || LinkIsActive() ? 1 : 0;
}

int TimeLinkReady() {
  const std::string folder = ConfiguredFolder();
  std::error_code ec;
  if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
    MsgShowArgsList(kMsgLinkFolderMissing, 0, 0, 1, {MsgArg{MsgArg::Kind::kText, folder.c_str(), 0, 0}});
    return 0;
  }
  return 1;
}

int TimeLinkConnect(int, const char* dataFolder, const char*) {
  Link& l = L();
  std::string folder = ConfiguredFolder();
  if (folder.empty()) folder = dataFolder ? dataFolder : "";
  Record("TimeLinkConnect " + folder);
  if (l.recorder) {
    l.connected = true;
    l.folder = folder;
    return 0;
  }
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) {
    l.error = "The time-billing data folder " + folder + " cannot be found.";
    return 1;
  }
  l.connected = true;
  l.folder = folder;
  return 0;
}

int TimeLinkBusy() { return 0; }

int TimeLinkEnd(int, int completed) {
  Record(std::string("TimeLinkEnd ") + (completed ? "completed" : "abandoned"));
  return 0;
}

void TimeLinkRelease() {
  Record("TimeLinkRelease");
  L().connected = false;
}

void* TimeLinkWindowArg(Window* window) { return window; }

int TimeLinkLogin(void*) {
  Record("TimeLinkLogin");
  return 1;
}

int TimeLinkCheck() { return 0; }
int TimeLinkPrepare() { return 1; }
int TimeLinkPost() { return 0; }

void* TimeLinkRecordOpen() {
  L().current = Transaction{};
  return &L().current;
}

void* TimeLinkRecordNew() { return &L().current; }

int TimeLinkFieldSetInt(int ledger, int, const void* header, int) {
  if (header == nullptr) return 1;
  Transaction& t = L().current;
  t.ledger = ledger;
  std::memcpy(&t.header, header, sizeof t.header);
  t.fieldsRead = 0;
  return 0;
}

int TimeLinkFieldSet(int which, void* context, char* buffer) {
  Transaction* t = static_cast<Transaction*>(context);
  if (t == nullptr) return 1;
  if (which == 12) t->fieldsRead = 0;
  // A receipt or payment is handed over as one entry.
  if (t->fieldsRead++ > 0) return 9;
  t->kind = 'E';
  if (buffer) std::snprintf(buffer, 12, "%s", qxb::FieldText(t->header.transactionNumber, 11).c_str());
  return 0;
}

int TimeLinkRecordKey(void*) { return 0; }
int TimeLinkRecordRef(void*) { return 0; }

int TimeLinkRecordSave(void* context) {
  Link& l = L();
  const Transaction* t = static_cast<const Transaction*>(context);
  if (t == nullptr) return 1;
  const std::string line = Line(*t);
  if (l.recorder) {
    Record("write " + line);
    return 0;
  }
  std::ofstream out(qxb::JoinPath(l.folder, "qxtimelink.txt"), std::ios::app);
  out << line << '\n';
  if (!out) {
    l.error = "The transaction " + qxb::FieldText(t->header.transactionNumber, 11) +
              " could not be written to the time-billing data in " + l.folder + ".";
    return 1;
  }
  return 0;
}

int TimeLinkRecordClose(int, int, int, int saveResult) { return saveResult; }

int TimeLinkErrorText(char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  std::snprintf(buffer, static_cast<std::size_t>(size), "%s", L().error.c_str());
  return static_cast<int>(std::strlen(buffer));
}

void TimeLinkFlush() { Record("TimeLinkFlush"); }
