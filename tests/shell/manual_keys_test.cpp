// The manual page's list of the keys each command's parameter string takes
// (section PARAMETER STRINGS of shell/man/qxa15.1) is the list the commands'
// parameter classes take: every key the page names for a command is taken
// by its class, and no key the page names for another command is.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cv_param_string.h"
#include "gl_journal_params.h"
#include "reports/arap/backorder_params.h"
#include "reports/arap/purchase_history_params.h"
#include "reports/inventory/product_params.h"

namespace {

// The keys the page lists, by command: the bold lower-case words of each
// paragraph that begins with command numbers, and those of the paragraphs
// of "input" and "output", which every command takes.
std::map<int, std::set<std::string>> ManualKeys() {
  std::ifstream in(std::string(QX_SOURCE_DIR) + "/shell/man/qxa15.1");
  std::stringstream text;
  text << in.rdbuf();
  const std::string page = text.str();
  const std::size_t begin = page.find(".SH PARAMETER STRINGS");
  const std::size_t end = page.find("\n.SH ", begin + 1);
  EXPECT_NE(begin, std::string::npos) << "the page has no section PARAMETER STRINGS";
  std::istringstream section(page.substr(begin, end - begin));
  std::map<int, std::set<std::string>> keys;
  std::vector<int> commands;  // of the paragraph being read
  std::set<std::string> everyCommand;
  bool common = false;        // in the paragraph of input or output
  const std::regex numbers(R"(^\.BR? ((\d{3})(\s*"?, "?\s*\d{3})*))");
  const std::regex bold(R"(^\.BR? (.*))");
  const std::regex word(R"((?:^|[\s"])([a-z]+)(?=$|[\s"]))");
  const std::regex number(R"(\d{3})");
  std::string line;
  bool nextIsHead = false;
  while (std::getline(section, line)) {
    if (line == ".TP") {
      nextIsHead = true;
      continue;
    }
    if (line == ".PP") {
      commands.clear();
      common = false;
      continue;
    }
    std::smatch m;
    if (nextIsHead) {
      nextIsHead = false;
      commands.clear();
      common = line == ".B input" || line == ".B output";
      if (common) {
        everyCommand.insert(line.substr(3));
        continue;
      }
      if (std::regex_search(line, m, numbers)) {
        const std::string list = m[1];
        for (std::sregex_iterator it(list.begin(), list.end(), number), none; it != none; ++it)
          commands.push_back(std::stoi(it->str()));
      }
      continue;
    }
    if (commands.empty() || !std::regex_search(line, m, bold)) continue;
    const std::string words = m[1];
    for (std::sregex_iterator it(words.begin(), words.end(), word), none; it != none; ++it)
      for (int c : commands) keys[c].insert((*it)[1]);
  }
  for (auto& [command, set] : keys) set.insert(everyCommand.begin(), everyCommand.end());
  return keys;
}

// Whether the class of `command` takes `key` (any answer but "unknown key";
// a value it refuses still shows that it knows the key).
bool Takes(int command, const std::string& key) {
  const std::string text = key + "='1'";
  const int size = static_cast<int>(text.size()) + 1;
  auto probe = [&](auto parser, auto record) {
    parser.Attach(text.c_str(), size);
    parser.ParseInto(&record, ParseMode::kStrict);
    return parser.LastStatus() != ParamStatus::kUnknownKey;
  };
  switch (command) {
    case 301: return probe(CGLJournalParamString(), GLJournalParams{});
    case 329: return probe(CPurchaseHistParamString(), PurchaseHistParams{});
    case 337: case 338: return probe(CCustVendParamString(0), CustVendReportParams{});
    case 344: case 345: return probe(CCustVendParamString(1), CustVendReportParams{});
    case 340: return probe(CBackorderParamString(), BackorderParams{});
    case 350: case 354: case 359: return probe(CProductParamString(), ProductReportParams{});
    default: ADD_FAILURE() << "the page lists command " << command << ", which takes no parameter string";
  }
  return false;
}

TEST(ManualPage, ListsTheKeysEachCommandsParameterStringTakes) {
  std::map<int, std::set<std::string>> listed = ManualKeys();
  // The commands that take a parameter string, each listed.
  for (int command : {301, 329, 337, 338, 340, 344, 345, 350, 354, 359})
    EXPECT_GT(listed[command].size(), 2u) << "the page lists no keys of command " << command;
  // The directory takes the aging's keys too; the page says so in words.
  for (int directory : {338, 345}) listed[directory].insert(listed[337].begin(), listed[337].end());
  std::set<std::string> all;
  for (const auto& [command, keys] : listed) all.insert(keys.begin(), keys.end());
  for (const auto& [command, keys] : listed) {
    for (const std::string& key : all) {
      EXPECT_EQ(keys.count(key) != 0, Takes(command, key))
          << "command " << command << ", key " << key
          << (keys.count(key) ? ": listed, but its class refuses it" : ": taken, but not listed for it");
    }
  }
}

}  // namespace
