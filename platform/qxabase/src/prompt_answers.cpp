// Remembered answers, kept per user in the registry values.
#include "qxabase/prompt_answers.h"

#include <cstring>
#include <string>
#include <string_view>

#include "qxabase/app_block.h"
#include "qxabase/messages.h"
#include "qxwreg.h"

struct BtrvStore {
  std::string user;
};

namespace {

constexpr char kSection[] = "RememberedAnswers";

std::string Trimmed(const char* text) {
  std::string_view t(text ? text : "");
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.remove_suffix(1);
  return std::string(t);
}

// The value name of one answer: user, program and question, with the
// characters a registry name may not hold replaced.
std::string ValueName(const BtrvStore& store, const char* program, const char* question) {
  std::string name = store.user + "." + Trimmed(program) + "." + Trimmed(question);
  for (char& c : name)
    if (c == '[' || c == ']' || c == '=' || c == '\r' || c == '\n') c = '_';
  return name;
}

}  // namespace

BtrvStore* PromptAnswerOpen() {
  if (*RegFilePath() == '\0') return nullptr;
  try {
    auto* store = new BtrvStore;
    const SharedAppBlock* app = SharedAppBlockGet();
    store->user = Trimmed(std::string(app->userName, strnlen(app->userName, sizeof app->userName)).c_str());
    if (store->user.empty()) store->user = "user";
    return store;
  } catch (...) {
    return nullptr;
  }
}

int PromptAnswerGet(const char* program, const char* question, BtrvStore* store, PromptAnswerBlock* answer,
                    int /*reserved*/) {
  if (answer == nullptr) return -1;
  *answer = PromptAnswerBlock{};
  if (store == nullptr || program == nullptr || question == nullptr) return -1;
  try {
    RegGetString(kSection, ValueName(*store, program, question).c_str(), "", answer->answer,
                 sizeof answer->answer);
    return 0;
  } catch (...) {
    return -1;
  }
}

int PromptAnswerSet(const char* program, const char* question, BtrvStore* store,
                    const PromptAnswerBlock* answer) {
  if (store == nullptr || program == nullptr || question == nullptr || answer == nullptr) return -1;
  const std::string value = Trimmed(std::string(answer->answer, strnlen(answer->answer, sizeof answer->answer)).c_str());
  if (value.empty()) return -1;
  try {
    return RegSetString(kSection, ValueName(*store, program, question).c_str(), value.c_str()) == 0 ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

int PromptAsk(int messageNumber, PromptAnswerBlock* answer) {
  PromptAnswerBlock scratch;
  PromptAnswerBlock& a = answer ? *answer : scratch;
  a = PromptAnswerBlock{};
  const int pressed = MsgAsk(messageNumber, 0, nullptr, nullptr, kCaptionQuestion);
  if (pressed != 1 && pressed != 2) return 1;
  a.answer[0] = 'Y';
  a.remember = pressed == 2 ? 1 : 0;
  return 0;
}

void BtrvStoreClose(BtrvStore*) {}

void BtrvStoreFree(BtrvStore* store) { delete store; }
