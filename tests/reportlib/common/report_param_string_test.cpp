#include "report_param_string.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "daynumber.h"
#include "drilldown.h"
#include "param_dates.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Records every pair it is handed.  Keys listed in `unknown` are answered as
// unknown, so that strict and lenient parsing can be told apart.
class PairRecorder : public CReportParamString {
 public:
  using CReportParamString::CReportParamString;
  Pairs pairs;
  std::vector<std::string> unknown;

  ParamStatus SetParam(std::string_view key, std::string_view value) override {
    for (const auto& k : unknown) {
      if (key == k) return ParamStatus::kUnknownKey;
    }
    pairs.emplace_back(key, value);
    return ParamStatus::kOk;
  }
};

Pairs Parse(const std::string& text, bool* ok = nullptr, ParamStatus* status = nullptr) {
  PairRecorder p(text.c_str(), static_cast<int>(text.size()) + 1);
  const bool result = p.ParseParams();
  if (ok) *ok = result;
  if (status) *status = p.LastStatus();
  return p.pairs;
}

// --- Parsing -------------------------------------------------------------

TEST(ParamStringParse, ReadsWellFormedAndOddlySpacedStrings) {
  struct Case {
    const char* name;
    std::string text;
    Pairs pairs;
  } cases[] = {
      {"empty string changes nothing", "", {}},
      {"one pair", "input='usersel'", {{"input", "usersel"}}},
      {"two pairs", "input='default' cdno='C100'", {{"input", "default"}, {"cdno", "C100"}}},
      {"blanks before the first pair are skipped", "   cdno='C1'", {{"cdno", "C1"}}},
      {"blanks around a key are trimmed", "  cdno  ='C1'", {{"cdno", "C1"}}},
      {"text between = and the quote is skipped", "cdno= xx 'C1'", {{"cdno", "C1"}}},
      {"ends just after =: nothing stored for that key", "a='1' b=", {{"a", "1"}}},
      {"empty value", "sortto='' a='1'", {{"sortto", ""}, {"a", "1"}}},
      {"doubled quote reads as one", "name='O''Brien'", {{"name", "O'Brien"}}},
      {"a value that is one quote", "q=''''", {{"q", "'"}}},
      {"a value ending in a quote", "q='O''' r='2'", {{"q", "O'"}, {"r", "2"}}},
      {"pairs without a blank between them", "a='1'b='2'", {{"a", "1"}, {"b", "2"}}},
      {"= and blanks inside a value", "f='x = y  '", {{"f", "x = y  "}}},
      {"14-character key", "abcdefghijklmn='1'", {{"abcdefghijklmn", "1"}}},
      {"255-character value", "v='" + std::string(255, 'x') + "'", {{"v", std::string(255, 'x')}}},
      {"255 quotes, written doubled", "v='" + std::string(510, '\'') + "'",
       {{"v", std::string(255, '\'')}}},
  };
  for (const auto& c : cases) {
    bool ok = false;
    EXPECT_EQ(Parse(c.text, &ok), c.pairs) << c.name;
    EXPECT_TRUE(ok) << c.name;
  }
}

TEST(ParamStringParse, RefusesMalformedStringsAndKeepsPairsBeforeTheFault) {
  struct Case {
    const char* name;
    std::string text;
    ParamStatus status;
    Pairs storedBefore;
  } cases[] = {
      {"blank after the last pair", "a='1' ", ParamStatus::kTrailingBlanks, {{"a", "1"}}},
      {"only blanks", "   ", ParamStatus::kTrailingBlanks, {}},
      {"key without =", "input", ParamStatus::kMissingEquals, {}},
      {"value before any =", "a='1' 'x' b='2'", ParamStatus::kMissingEquals, {{"a", "1"}}},
      {"value without opening quote", "input=usersel", ParamStatus::kMissingQuote, {}},
      {"value without closing quote", "a='1' b='unfinished", ParamStatus::kUnterminatedValue,
       {{"a", "1"}}},
      {"doubled quote at the very end", "b='x''", ParamStatus::kUnterminatedValue, {}},
      {"empty key", "='1'", ParamStatus::kBadKey, {}},
      {"blank inside a key", "in put='1'", ParamStatus::kBadKey, {}},
      {"15-character key", "abcdefghijklmno='1'", ParamStatus::kKeyTooLong, {}},
      {"256-character value", "a='1' v='" + std::string(256, 'x') + "'",
       ParamStatus::kValueTooLong, {{"a", "1"}}},
      {"a value of 300 characters, not cut", "v='" + std::string(300, 'y') + "'",
       ParamStatus::kValueTooLong, {}},
  };
  for (const auto& c : cases) {
    bool ok = true;
    ParamStatus status = ParamStatus::kOk;
    EXPECT_EQ(Parse(c.text, &ok, &status), c.storedBefore) << c.name;
    EXPECT_FALSE(ok) << c.name;
    EXPECT_EQ(status, c.status) << c.name;
  }
}

TEST(ParamStringParse, UnknownKeysFailStrictParsesButAreSkippedInLenientOnes) {
  const std::string text = "input='default' newkey='x' cdno='C1'";

  PairRecorder strict(text.c_str(), static_cast<int>(text.size()));
  strict.unknown = {"newkey"};
  EXPECT_FALSE(strict.ParseParams(ParseMode::kStrict));
  EXPECT_EQ(strict.LastStatus(), ParamStatus::kUnknownKey);
  EXPECT_EQ(strict.pairs, (Pairs{{"input", "default"}}));

  PairRecorder lenient(text.c_str(), static_cast<int>(text.size()));
  lenient.unknown = {"newkey"};
  EXPECT_TRUE(lenient.ParseParams(ParseMode::kLenient));
  EXPECT_EQ(lenient.pairs, (Pairs{{"input", "default"}, {"cdno", "C1"}}));

  // Lenient parsing still refuses what is malformed or overlong.
  const std::vector<std::string> bad = {"newkey='x", "abcdefghijklmno='1'",
                                        "newkey='" + std::string(256, 'z') + "'"};
  for (const auto& text : bad) {
    PairRecorder p(text.c_str(), static_cast<int>(text.size()));
    p.unknown = {"newkey"};
    EXPECT_FALSE(p.ParseParams(ParseMode::kLenient)) << text;
  }
}

TEST(ParamStringParse, ReadsNoFurtherThanTheCapacity) {
  // A buffer without a NUL: only `capacity` bytes are the string.
  const char bytes[] = {'a', '=', '\'', '1', '\'', 'X', 'X', '\''};
  PairRecorder p(bytes, 5);
  EXPECT_TRUE(p.ParseParams());
  EXPECT_EQ(p.pairs, (Pairs{{"a", "1"}}));

  PairRecorder cut(bytes, 4);  // "a='1" without its closing quote
  EXPECT_FALSE(cut.ParseParams());
  EXPECT_EQ(cut.LastStatus(), ParamStatus::kUnterminatedValue);
}

TEST(ParamStringParse, NoTextAttachedFails) {
  PairRecorder none;
  EXPECT_FALSE(none.ParseParams());
  EXPECT_EQ(none.LastStatus(), ParamStatus::kNoBuffer);

  char buffer[8] = "a='1'";
  PairRecorder zero(buffer, 0);
  EXPECT_FALSE(zero.ParseParams());
  EXPECT_EQ(zero.LastStatus(), ParamStatus::kNoBuffer);
}

TEST(ParamStringParse, ErrorTextNamesTheKeyAndWhereItStarts) {
  const std::string text = "a='1' sortfrom='" + std::string(300, 'x') + "'";
  PairRecorder p(text.c_str(), static_cast<int>(text.size()));
  EXPECT_FALSE(p.ParseParams());
  EXPECT_EQ(p.LastErrorText(),
            "parameter \"sortfrom\" at character 7: the value is longer than its field holds");
}

// --- The code target ("cdno") of the base class ----------------------------

TEST(ParamStringCode, CdnoFillsItsTargetInKeyFormAndNeverBeyond) {
  struct Target {
    char code[11];
    char after[4];
  };
  struct Case {
    const char* text;
    bool ok;
    std::string code;  // all 11 bytes
  } cases[] = {
      {"cdno='C100'", true, "C100       "},
      {"cdno='ABCDEFGHIJ'", true, "ABCDEFGHIJ "},
      {"cdno=''", true, "           "},
      {"cdno='ABCDEFGHIJK'", false, "unchanged.."},  // 11 characters: refused, not cut
      {"input='default'", false, "unchanged.."},     // the base class knows only cdno
  };
  for (const auto& c : cases) {
    Target t;
    std::memcpy(t.code, "unchanged..", 11);
    std::memcpy(t.after, "WXYZ", 4);
    CReportParamString p(c.text, static_cast<int>(std::strlen(c.text)));
    p.SetCodeTarget(t.code, sizeof t.code);
    EXPECT_EQ(p.ParseParams(), c.ok) << c.text;
    EXPECT_EQ(std::string(t.code, 11), c.code) << c.text;
    EXPECT_EQ(std::string(t.after, 4), "WXYZ") << c.text;
  }
}

TEST(ParamStringCode, CdnoWithoutATargetFails) {
  CReportParamString p("cdno='C1'", 9);
  EXPECT_FALSE(p.ParseParams());
  EXPECT_EQ(p.LastStatus(), ParamStatus::kNoRecord);

  // Attach forgets the target of the previous text.
  char code[11];
  p.SetCodeTarget(code, sizeof code);
  p.Attach("cdno='C2'", 9);
  EXPECT_FALSE(p.ParseParams());
}

// --- Writing -------------------------------------------------------------

TEST(ParamStringWrite, WritesPairsWithOneBlankBetween) {
  char buffer[64] = "old='stale'";
  CReportParamString p(buffer, sizeof buffer);
  ASSERT_TRUE(p.WriteParam("input", "usersel", true));  // clear discards what was there
  ASSERT_TRUE(p.WriteIntParam("type", -12, false));
  ASSERT_TRUE(p.WriteParam("name", "O'Brien", false));
  EXPECT_STREQ(buffer, "input='usersel' type='-12' name='O''Brien'");
  EXPECT_EQ(std::string(buffer + std::strlen(buffer), buffer + sizeof buffer),
            std::string(sizeof buffer - std::strlen(buffer), '\0'));
}

TEST(ParamStringWrite, WriteParamNTakesAFixedWidthField) {
  const char field[5] = {'S', 'U', ' ', ' ', ' '};  // no NUL
  char buffer[32];
  CReportParamString p(buffer, sizeof buffer);
  ASSERT_TRUE(p.WriteParamN("jrnlbeg", field, 2, true));
  ASSERT_TRUE(p.WriteParamN("x", field, sizeof field, false));
  EXPECT_STREQ(buffer, "jrnlbeg='SU' x='SU   '");
}

TEST(ParamStringWrite, RefusesWhatWouldNotParseBackAndLeavesTheBufferAsItWas) {
  struct Case {
    const char* name;
    std::string key, value;
    ParamStatus status;
  } cases[] = {
      {"empty key", "", "1", ParamStatus::kBadKey},
      {"blank in key", "a b", "1", ParamStatus::kBadKey},
      {"= in key", "a=b", "1", ParamStatus::kBadKey},
      {"quote in key", "a'b", "1", ParamStatus::kBadKey},
      {"15-character key", "abcdefghijklmno", "1", ParamStatus::kKeyTooLong},
      {"256-character value", "v", std::string(256, 'x'), ParamStatus::kValueTooLong},
      {"NUL in value", "v", std::string("a\0b", 3), ParamStatus::kBadValue},
      {"does not fit", "v", std::string(200, 'x'), ParamStatus::kNoRoom},
      {"fits only if its quotes were not doubled", "v", std::string(100, '\''), ParamStatus::kNoRoom},
  };
  for (const auto& c : cases) {
    char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    std::memcpy(buffer, "a='1'", 6);
    char before[sizeof buffer];
    std::memcpy(before, buffer, sizeof buffer);
    CReportParamString p(buffer, sizeof buffer);
    for (bool clear : {false, true}) {
      EXPECT_FALSE(p.WriteParam(c.key, c.value, clear)) << c.name;
      EXPECT_EQ(p.LastStatus(), c.status) << c.name;
      EXPECT_EQ(std::memcmp(buffer, before, sizeof buffer), 0) << c.name << " clear=" << clear;
    }
  }
}

TEST(ParamStringWrite, NeverWritesPastTheCapacity) {
  // Fill a 42-byte buffer inside a larger array until a pair is refused: the
  // fourth pair would make the text 42 characters, one NUL too many.  The
  // bytes past the capacity stay untouched.
  char area[64];
  std::memset(area, '#', sizeof area);
  CReportParamString p(area, 42);
  ASSERT_TRUE(p.WriteParam("k", "first", true));
  int written = 1;
  while (p.WriteParam("k", "abcdef", false)) ++written;
  EXPECT_EQ(p.LastStatus(), ParamStatus::kNoRoom);
  EXPECT_EQ(written, 3);
  EXPECT_STREQ(area, "k='first' k='abcdef' k='abcdef'");
  EXPECT_EQ(std::string(area + 42, area + sizeof area), std::string(22, '#'));

  // A pair that fills the buffer to its last byte, NUL included, fits.
  char exact[7];
  CReportParamString e(exact, sizeof exact);
  EXPECT_TRUE(e.WriteParam("k", "ab", true));  // "k='ab'" + NUL = 7
  EXPECT_FALSE(e.WriteParam("k", "", false));
}

TEST(ParamStringWrite, NothingAttachedOrReadOnlyIsRefused) {
  CReportParamString none;
  EXPECT_FALSE(none.WriteParam("a", "1", true));
  EXPECT_EQ(none.LastStatus(), ParamStatus::kNoBuffer);

  char buffer[16] = {};
  CReportParamString zero(buffer, 0);
  EXPECT_FALSE(zero.WriteParam("a", "1", true));
  EXPECT_EQ(zero.LastStatus(), ParamStatus::kNoBuffer);

  const char* preset = "input='default'";
  CReportParamString readOnly(preset, 16);
  EXPECT_FALSE(readOnly.WriteParam("a", "1", false));
  EXPECT_EQ(readOnly.LastStatus(), ParamStatus::kReadOnly);
}

// --- Round trips ---------------------------------------------------------

TEST(ParamStringRoundTrip, EveryValueReadsBackAsWritten) {
  const std::string values[] = {
      "",
      "O'Brien",
      "'",
      "''",
      "'leading and trailing'",
      "  blanks  around  ",
      "x='y' z='w'",
      "= '",
      "Caf\x82 \xC4\xC4",  // code-page-437 bytes
      std::string(255, '\''),
      std::string(120, 'a') + "'" + std::string(134, 'b'),
  };
  char buffer[kSavedRunParamCapacity];
  for (const auto& value : values) {
    CReportParamString writer(buffer, sizeof buffer);
    ASSERT_TRUE(writer.WriteParam("v", value, true)) << value;
    ASSERT_TRUE(writer.WriteParam("after", "x", false)) << value;
    bool ok = false;
    EXPECT_EQ(Parse(buffer, &ok), (Pairs{{"v", value}, {"after", "x"}})) << buffer;
    EXPECT_TRUE(ok) << buffer;
  }
}

// The aging report's saved run, with every range text at its full 40
// characters: the longest string any report writes.
Pairs AgingSavedRun(const std::string& text40) {
  return {{"input", "usersel"},     {"sortfld", text40}, {"sortfrom", text40},
          {"sortto", text40},       {"rankfld", text40}, {"rankfrom", text40},
          {"rankto", text40},       {"closedate", "12/31/24"}, {"type", "2"},
          {"agedby", "68"},         {"incfpaid", "1"},   {"consadv", "1"},
          {"dayspast", "1"},        {"dpdfrom", "-2147483648"}, {"dpdto", "2147483647"}};
}

bool WriteAll(CReportParamString& writer, const Pairs& pairs) {
  bool first = true;
  for (const auto& [key, value] : pairs) {
    if (!writer.WriteParam(key, value, first)) return false;
    first = false;
  }
  return true;
}

TEST(ParamStringRoundTrip, TheLongestSavedRunFitsASavedRunButNotALink) {
  for (const std::string& text40 : {std::string(40, 'W'), std::string(40, '\'')}) {
    const Pairs run = AgingSavedRun(text40);

    TagSavedRunInfo saved{kDrillRunReport, 1, 337, {}, {}};
    CReportParamString writer(saved.params, sizeof saved.params);
    ASSERT_TRUE(WriteAll(writer, run)) << writer.LastErrorText();
    EXPECT_GT(std::strlen(saved.params), 420u);
    bool ok = false;
    EXPECT_EQ(Parse(saved.params, &ok), run);
    EXPECT_TRUE(ok);

    // A link has 256 bytes: the writer refuses the pair that does not fit,
    // and what was written before it is whole and still parses.
    TagDrillDownInfo link{kDrillRunReport, 1, 337, {}, {}};
    CReportParamString linkWriter(link.params, sizeof link.params);
    EXPECT_FALSE(WriteAll(linkWriter, run));
    EXPECT_EQ(linkWriter.LastStatus(), ParamStatus::kNoRoom);
    EXPECT_LT(std::strlen(link.params), sizeof link.params);
    const Pairs prefix = Parse(link.params, &ok);
    EXPECT_TRUE(ok);
    ASSERT_LT(prefix.size(), run.size());
    EXPECT_EQ(prefix, Pairs(run.begin(), run.begin() + static_cast<long>(prefix.size())));
  }
}

TEST(ParamStringRoundTrip, DatesTravelAsDateText) {
  const std::int32_t day = daynum::FromCivil(2024, 3, 31);
  char buffer[64];
  CReportParamString writer(buffer, sizeof buffer);
  ASSERT_TRUE(writer.WriteDateParam("closedate", day, true));
  ASSERT_TRUE(writer.WriteDateParam("none", 0, false));
  EXPECT_STREQ(buffer, "closedate='03/31/24' none=''");
  EXPECT_EQ(ParamDateFromText("03/31/24"), day);
  EXPECT_EQ(ParamDateFromText(" 3/31/2024 "), day);
  EXPECT_EQ(ParamDateFromText("12/31/99"), daynum::FromCivil(1999, 12, 31));
  for (const char* bad : {"", "13/01/24", "02/30/24", "3/31", "03/31/124", "03/31/24x"}) {
    EXPECT_EQ(ParamDateFromText(bad), 0) << bad;
  }
}

// --- Output texts --------------------------------------------------------

TEST(ParamStringOutput, ScreenAndHtmlAreToldFromTheText) {
  struct Case {
    const char* text;
    bool screen, html;
  } cases[] = {
      {nullptr, true, false},
      {"", true, false},
      {"    ", true, false},
      {"screen", true, false},
      {"SCREEN", true, false},
      {"toscreen", true, false},
      {"usersel", false, false},
      {"default", false, false},
      {"/home/ann/aging.htm", false, true},
      {"/home/Ann/Aging.HTM", false, true},
      {"report.html", false, true},
      {"report.htmx", false, true},
      {"report.txt", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsScreenOutput(c.text), c.screen) << (c.text ? c.text : "null");
    EXPECT_EQ(IsHtmlOutput(c.text), c.html) << (c.text ? c.text : "null");
  }
}

}  // namespace
