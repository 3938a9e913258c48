// The word-processor server's own rules: data sources, merge-field
// instructions, date pictures, e-mail addresses, the merge of a document's
// body, its merge settings, and the printer's PDF.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <sstream>
#include <ctime>
#include <string>
#include <vector>

#include "automation/wordprocessor/data_source.h"
#include "automation/wordprocessor/date_time_format.h"
#include "automation/wordprocessor/docx_package.h"
#include "automation/wordprocessor/mail.h"
#include "automation/wordprocessor/merge_field.h"
#include "automation/wordprocessor/pdf_file.h"
#include "automation/wordprocessor/word_document.h"
#include "fontconfig_leaks.h"
#include "mail_merge_fixture.h"

namespace {

using namespace qx::automation::wordprocessor;
using Rows = std::vector<std::vector<std::string>>;

TEST(DataSource, ReadsDelimitedTextAsSpreadsheetsWriteIt) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> fields;
    Rows records;
  } cases[] = {
      {"commas, LF", "a,b\n1,2\n", {"a", "b"}, {{"1", "2"}}},
      {"tabs, CR LF, byte-order mark", "\xEF\xBB\xBF" "a\tb, c\r\n1\t2,3\r\n", {"a", "b, c"}, {{"1", "2,3"}}},
      {"quotes as in RFC 4180", "a,b\n\"x, \"\"y\"\"\",\"two\r\nlines\"\n", {"a", "b"}, {{"x, \"y\"", "two\r\nlines"}}},
      {"a tab inside quotes does not make the file tab-separated", "\"a\tb\",c\n1,2\n", {"a\tb", "c"}, {{"1", "2"}}},
      {"no line end after the last record", "a\n1", {"a"}, {{"1"}}},
      {"empty lines are skipped", "a,b\n\n1,2\r\n\r\n", {"a", "b"}, {{"1", "2"}}},
      {"missing values are empty", "a,b,c\n1\n", {"a", "b", "c"}, {{"1", "", ""}}},
      {"empty values beyond the header are dropped", "a,b\n1,2,,\n", {"a", "b"}, {{"1", "2"}}},
      {"blanks around header names", " a , b\n1,2\n", {"a", "b"}, {{"1", "2"}}},
      {"a header alone", "a,b\n", {"a", "b"}, {}},
      {"CR line ends", "a\r1\r", {"a"}, {{"1"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DataSource data;
    ASSERT_EQ(ParseDataSource(c.text, "", &data), "");
    EXPECT_EQ(data.fields, c.fields);
    EXPECT_EQ(data.records, c.records);
  }
}

TEST(DataSource, RefusesWhatItCannotReadSayingWhere) {
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"", "The data source \"cust.txt\" is empty: its first line must name the fields."},
      {"a,b\n1,2\n\"open,3\n4,5\n", "The data source \"cust.txt\", line 3, has a quoted field that is never closed."},
      {"a,b\n\"x\"y,2\n", "The data source \"cust.txt\", line 2, has text after the closing quote of a field."},
      {"a,b\n1,2\n1,2,3\n", "The data source \"cust.txt\", line 3, has 3 fields; the first line names 2."},
      {"a\n\"two\nlines\"\nx\xE9y\n",
       "The data source \"cust.txt\", line 4, is not UTF-8 text: save it with the UTF-8 encoding."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    DataSource data;
    data.fields = {"kept"};
    EXPECT_EQ(ParseDataSource(c.text, "cust.txt", &data), c.message);
    EXPECT_EQ(data.fields, std::vector<std::string>{"kept"});
  }
}

TEST(DataSource, FindsFieldsWithoutRegardToCase) {
  DataSource data;
  data.fields = {"First", "E-Mail", "first"};
  EXPECT_EQ(data.FieldIndex("FIRST"), 0);
  EXPECT_EQ(data.FieldIndex(" e-mail "), 1);
  EXPECT_EQ(data.FieldIndex("Email"), -1);
}

TEST(MergeField, ReadsTheInstructionsWordProcessorsWrite) {
  const struct {
    const char* instruction;
    bool merge;
    const char* name;
    const char* value;
    const char* text;
  } cases[] = {
      {" MERGEFIELD First ", true, "First", "ann", "ann"},
      {"mergefield  \"First Name\"  \\* MERGEFORMAT", true, "First Name", "ann", "ann"},
      {"MERGEFIELD Last \\* Upper", true, "Last", "van dyke", "VAN DYKE"},
      {"MERGEFIELD Last \\* Lower", true, "Last", "VAN Dyke", "van dyke"},
      {"MERGEFIELD Last \\* Caps", true, "Last", "van dyke", "Van Dyke"},
      {"MERGEFIELD Last \\* FirstCap", true, "Last", "van dyke", "Van dyke"},
      // Letters beyond ASCII change case too; bytes that are no UTF-8 stay.
      {"MERGEFIELD Name \\* Upper", true, "Name", "élodie müller-ñúñez æsir", "ÉLODIE MÜLLER-ÑÚÑEZ ÆSIR"},
      {"MERGEFIELD Name \\* Lower", true, "Name", "ÉLODIE ÆSIR ΑΒΓ", "élodie æsir αβγ"},
      {"MERGEFIELD Name \\* FirstCap", true, "Name", " élodie müller", " Élodie müller"},
      {"MERGEFIELD Name \\* Caps", true, "Name", "élodie müller-ñ", "Élodie Müller-ñ"},
      {"MERGEFIELD Name \\* Upper", true, "Name", "a\xff\xc3" "b", "A\xff\xc3" "B"},
      {"MERGEFIELD Title \\b \"Dear \" \\f \",\"", true, "Title", "Dr", "Dear Dr,"},
      {"MERGEFIELD Title \\b \"Dear \" \\f \",\"", true, "Title", "", ""},
      {"MERGEFIELD \"Say \\\"hi\\\"\"", true, "Say \"hi\"", "x", "x"},
      {"MERGEFIELD", true, "", "x", "x"},
      {" DATE \\@ \"M/d/yyyy\" ", false, "", "", ""},
      {"MERGEFIELDS x", false, "", "", ""},
      {"\"MERGEFIELD\" x", false, "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.instruction);
    MergeField field;
    ASSERT_EQ(ParseMergeField(c.instruction, &field), c.merge);
    if (!c.merge) continue;
    EXPECT_EQ(field.name, c.name);
    EXPECT_EQ(MergeFieldText(field, c.value), c.text);
  }
}

TEST(DateTimeFormat, WritesDatePicturesInEnglish) {
  std::tm time{};
  time.tm_year = 2009 - 1900;
  time.tm_mon = 2;
  time.tm_mday = 2;
  time.tm_wday = 1;
  time.tm_hour = 15;
  time.tm_min = 7;
  time.tm_sec = 9;
  const struct {
    const char* picture;
    const char* text;
  } cases[] = {
      {"dddd, MMMM dd, yyyy", "Monday, March 02, 2009"},
      {"h:mm:ss am/pm", "3:07:09 pm"},
      {"hh:mm AM/PM", "03:07 PM"},
      {"HH:mm", "15:07"},
      {"ddd d MMM yy", "Mon 2 Mar 09"},
      {"M/d/yyyy", "3/2/2009"},
      {"'Day' d", "Day 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.picture, time), c.text) << c.picture;
  time.tm_hour = 0;
  EXPECT_EQ(FormatDateTime("h am/pm", time), "12 am");
  time.tm_hour = 12;
  EXPECT_EQ(FormatDateTime("h am/pm", time), "12 pm");
}

TEST(MailAddress, TakesAddressesAndRefusesWhatCouldAddHeaders) {
  const struct {
    const char* field;
    bool valid;
    const char* address;
    const char* name;
  } cases[] = {
      {"ann@example.com", true, "ann@example.com", ""},
      {"  ann.o'neil+mail@mail.example.co.uk ", true, "ann.o'neil+mail@mail.example.co.uk", ""},
      {"Ann Smith <ann@example.com>", true, "ann@example.com", "Ann Smith"},
      {"\"Smith, Ann\" <ann@example.com>", true, "ann@example.com", "Smith, Ann"},
      {"Zo\xC3\xAB <zoe@example.com>", true, "zoe@example.com", "Zo\xC3\xAB"},
      {"=?UTF-8?B?xYHDs2R6?= <lodz@example.com>", true, "lodz@example.com", "\xC5\x81\xC3\xB3" "dz"},
      {"", false, "", ""},
      {"ann", false, "", ""},
      {"ann@", false, "", ""},
      {"@example.com", false, "", ""},
      {"ann@@example.com", false, "", ""},
      {"ann@example..com", false, "", ""},
      {"ann@-example.com", false, "", ""},
      {".ann@example.com", false, "", ""},
      {"ann smith@example.com", false, "", ""},
      {"ann@example.com\r\nBcc: eve@example.com", false, "", ""},
      {"ann@example.com\nBcc: eve@example.com", false, "", ""},
      {"Ann <ann@example.com", false, "", ""},
      {"ann@example.com, bob@example.com", false, "", ""},
      {"-oQ/tmp/x@example.com", true, "-oQ/tmp/x@example.com", ""},  // after "--"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    MailAddress mailbox{"kept", "kept"};
    ASSERT_EQ(ParseMailAddress(c.field, &mailbox), c.valid);
    EXPECT_EQ(mailbox.address, c.valid ? c.address : "kept");
    EXPECT_EQ(mailbox.name, c.valid ? c.name : "kept");
  }
}

TEST(MailMessage, KeepsEveryHeaderOnItsOwnLine) {
  MailMessage message;
  message.from = {"", "accounts@example.com"};
  message.to = {"Ann \xC5\x81\xC3\xB3" "d\xC5\xBA, \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1 office", "ann@example.com"};
  message.subject = "Statement\r\nBcc: eve@example.com";
  message.body = "Line one\nline two, with a long line " + std::string(100, 'x') + "\n";
  std::tm date{};  // its weekday is left 0: the Date header works it out
  date.tm_year = 125;
  date.tm_mday = 1;
  // Every header after a line end, the first one too.
  const std::string text = "\r\n" + ComposeMessage(message, date, "<1@example.com>");
  EXPECT_NE(text.find("\r\nSubject: Statement  Bcc: eve@example.com\r\n"), std::string::npos);
  EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos);
  EXPECT_NE(text.find("\r\nDate: Wed, 01 Jan 2025 00:00:00 +0000\r\n"), std::string::npos) << text;
  // The display name is encoded (only ASCII in the header) and folded.
  const std::size_t to = text.find("\r\nTo: ");
  ASSERT_NE(to, std::string::npos);
  const std::size_t toEnd = text.find("ann@example.com>", to);
  ASSERT_NE(toEnd, std::string::npos);
  for (std::size_t i = to; i < toEnd; ++i) EXPECT_LT(static_cast<unsigned char>(text[i]), 0x80) << text;
  EXPECT_NE(text.find("=?"), std::string::npos);
  // Every line, headers and body, within the 78 characters a line should keep.
  for (std::size_t start = 2, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LE(end - start, 78u) << text.substr(start, end - start);
  }
  // No body line is longer than the 76 characters of quoted-printable.
  std::size_t start = text.find("\r\n\r\n", 2) + 4;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_LE(end - start, 76u);
    start = end + 2;
  }
}

// ---- the document --------------------------------------------------------

std::unique_ptr<WordDocument> Document(const std::string& body, qx::test::Merge merge = qx::test::Merge::kNone,
                                       const std::string& target = {}) {
  qx::test::TestFolder folder("document");
  qx::test::WriteDocx(folder / "d.docx", body, merge, target);
  std::string error;
  auto document = WordDocument::Read(qx::test::ReadBytes(folder / "d.docx"), &error);
  EXPECT_TRUE(document) << error;
  return document;
}

std::string BodyXml(const WordDocument& document) {
  std::string bytes;
  EXPECT_EQ(document.Write(&bytes), "");
  Package package;
  EXPECT_EQ(Package::Read(bytes, &package), "");
  const std::string& xml = *package.Find("word/document.xml");
  const std::size_t begin = xml.find("<w:body>");
  return xml.substr(begin, xml.find("</w:body>") + 9 - begin);
}

std::vector<std::string> Paragraphs(const WordDocument& document) {
  std::vector<std::string> texts;
  for (const FlowParagraph& paragraph : document.Flow().paragraphs) {
    std::string text;
    for (const FlowRun& run : paragraph.runs) text += run.text;
    texts.push_back(text);
  }
  return texts;
}

DataSource People() {
  DataSource data;
  data.fields = {"First", "Company"};
  data.records = {{"Ann", ""}, {"Bob", "Acme"}};
  return data;
}

TEST(WordDocument, CountsOnlyTheMergeFieldsItCanFill) {
  const std::string nested =  // an IF field holding a merge field: left to the IF field
      "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>IF </w:instrText></w:r>"
      "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>MERGEFIELD First</w:instrText></w:r>"
      "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r><w:r><w:instrText> = \"\" a b</w:instrText></w:r>"
      "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>b</w:t></w:r>"
      "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>";
  const std::string acrossParagraphs =
      "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>MERGEFIELD First</w:instrText></w:r>"
      "</w:p><w:p><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>";
  const std::string deleted =
      "<w:p><w:del w:id=\"1\" w:author=\"x\" w:date=\"2020-01-01T00:00:00Z\"><w:r><w:fldChar w:fldCharType=\"begin\"/>"
      "</w:r><w:r><w:instrText>MERGEFIELD First</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
      "</w:del></w:p>";
  const std::string inTable = "<w:tbl><w:tr><w:tc><w:p><w:fldSimple w:instr=\"MERGEFIELD Company\"/></w:p></w:tc>"
                              "</w:tr></w:tbl>";
  EXPECT_EQ(Document(nested)->MergeFields().size(), 0u);
  EXPECT_EQ(Document(acrossParagraphs)->MergeFields().size(), 0u);
  EXPECT_EQ(Document(deleted)->MergeFields().size(), 0u);
  EXPECT_EQ(Document(inTable)->MergeFields().size(), 1u);
  EXPECT_EQ(Document(qx::test::kLetterBody)->MergeFields().size(), 2u);
}

TEST(WordDocument, SuppressesOnlyLinesThatShowNothing) {
  const std::string body =
      "<w:p><w:fldSimple w:instr=\"MERGEFIELD Company\"/></w:p>"                                     // blank: dropped
      "<w:p><w:r><w:t xml:space=\"preserve\">  </w:t></w:r><w:fldSimple w:instr=\"MERGEFIELD Company\"/>"
      "<w:r><w:tab/></w:r></w:p>"                                                                  // blanks only: dropped
      "<w:p><w:r><w:t>Attn: </w:t></w:r><w:fldSimple w:instr=\"MERGEFIELD Company\"/></w:p>"         // text: kept
      "<w:p><w:r><w:drawing/></w:r><w:fldSimple w:instr=\"MERGEFIELD Company\"/></w:p>"              // picture: kept
      "<w:tbl><w:tr><w:tc><w:p><w:fldSimple w:instr=\"MERGEFIELD Company\"/></w:p></w:tc></w:tr></w:tbl>"  // cell: kept
      "<w:p/>"                                                                                      // no field: kept
      "<w:p><w:fldSimple w:instr=\"MERGEFIELD First\"/></w:p>";
  auto document = Document(body);
  std::string error;
  auto merged = document->Merge(People(), 0, 0, true, &error);
  ASSERT_TRUE(merged) << error;
  EXPECT_EQ(Paragraphs(*merged), (std::vector<std::string>{"Attn: ", "", "", "", "Ann"}));
  merged = document->Merge(People(), 0, 0, false, &error);
  EXPECT_EQ(Paragraphs(*merged), (std::vector<std::string>{"", "  \t", "Attn: ", "", "", "", "Ann"}));
}

TEST(WordDocument, MergesEachRecordIntoASectionOfItsOwn) {
  const std::string body =
      "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"top\"/><w:fldSimple w:instr=\"MERGEFIELD First\">"
      "<w:r><w:rPr><w:b/></w:rPr><w:t>x</w:t></w:r></w:fldSimple><w:bookmarkEnd w:id=\"0\"/></w:p>"
      "<w:tbl><w:tr><w:tc><w:p><w:fldSimple w:instr=\"MERGEFIELD company\"/></w:p></w:tc></w:tr></w:tbl>";
  std::string error;
  auto merged = Document(body)->Merge(People(), 0, 1, false, &error);
  ASSERT_TRUE(merged) << error;
  const std::string xml = BodyXml(*merged);
  EXPECT_EQ(xml,
            "<w:body>"
            "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">Ann</w:t></w:r></w:p>"
            "<w:tbl><w:tr><w:tc><w:p/></w:tc></w:tr></w:tbl>"
            // A record ending in a table gets a paragraph to carry its section.
            "<w:p><w:pPr><w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr></w:pPr></w:p>"
            "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">Bob</w:t></w:r></w:p>"
            "<w:tbl><w:tr><w:tc><w:p><w:r><w:t xml:space=\"preserve\">Acme</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
            "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr>"
            "</w:body>");
  EXPECT_EQ(merged->MainDocumentType(), -1);
}

TEST(WordDocument, ValuesKeepTheirLinesTabsAndMarkup) {
  DataSource data;
  data.fields = {"Address"};
  data.records = {{"1 <Main> & \"Elm\"\r\nSuite\t4\x01"}};
  std::string error;
  auto merged = Document("<w:p><w:fldSimple w:instr=\"MERGEFIELD Address\"/></w:p>")->Merge(data, 0, 0, false, &error);
  ASSERT_TRUE(merged) << error;
  const std::string xml = BodyXml(*merged);
  EXPECT_EQ(xml.substr(0, xml.find("<w:sectPr>") + 10),
            "<w:body><w:p><w:r><w:t xml:space=\"preserve\">1 &lt;Main&gt; &amp; \"Elm\"</w:t><w:br/>"
            "<w:t xml:space=\"preserve\">Suite</w:t><w:tab/><w:t xml:space=\"preserve\">4</w:t></w:r></w:p>"
            "<w:sectPr>");
}

TEST(WordDocument, RefusesToMergeAFieldTheDataSourceLacks) {
  DataSource data;
  data.fields = {"First"};
  data.records = {{"Ann"}};
  std::string error;
  EXPECT_FALSE(Document(qx::test::kLetterBody)->Merge(data, 0, 0, false, &error));
  EXPECT_EQ(error, "The main document's merge field \"Last\" is not a field of the data source.");
}

TEST(WordDocument, KeepsMergeSettingsWhereTheSchemaPutsThem) {
  auto document = Document(qx::test::kPlainBody, qx::test::Merge::kDataSource, "file:///C:\\DATA\\CUST.TXT");
  EXPECT_EQ(document->MainDocumentType(), 0);
  EXPECT_EQ(document->DataSourceName(), "C:\\DATA\\CUST.TXT");
  document->AttachDataSource("/srv/data/new list.txt");
  document->SetDestination(2);
  EXPECT_EQ(document->DataSourceName(), "/srv/data/new list.txt");

  std::string bytes;
  ASSERT_EQ(document->Write(&bytes), "");
  Package package;
  ASSERT_EQ(Package::Read(bytes, &package), "");
  const std::string settings = *package.Find("word/settings.xml");
  EXPECT_NE(settings.find("<w:mailMerge><w:mainDocumentType w:val=\"formLetters\"/><w:linkToQuery/>"
                          "<w:dataType w:val=\"textFile\"/><w:connectString w:val=\"\"/>"
                          "<w:query w:val=\"SELECT * FROM /srv/data/new list.txt\"/><w:dataSource r:id=\"rId1\"/>"
                          "<w:destination w:val=\"email\"/></w:mailMerge>"),
            std::string::npos)
      << settings;
  const std::string relations = *package.Find("word/_rels/settings.xml.rels");
  EXPECT_NE(relations.find("Target=\"file:///srv/data/new%20list.txt\" TargetMode=\"External\""), std::string::npos);
  EXPECT_EQ(relations.find("CUST.TXT"), std::string::npos);  // the old source is gone

  // A document without a settings part gets one, listed in the package.
  auto plain = Document(qx::test::kPlainBody);
  EXPECT_EQ(plain->MainDocumentType(), -1);
  plain->AttachDataSource("/a.txt");
  ASSERT_EQ(plain->Write(&bytes), "");
  std::string error;
  auto reread = WordDocument::Read(bytes, &error);
  ASSERT_TRUE(reread) << error;
  EXPECT_EQ(reread->DataSourceName(), "/a.txt");
  EXPECT_EQ(reread->MainDocumentType(), 0);
}

TEST(WordDocument, TellsWhyAFileIsNoDocument) {
  const struct {
    std::string bytes;
    const char* error;
  } cases[] = {
      {"Dear customer,", "it is not a .docx file"},
      {"PK\x03\x04 broken", "it is not a .docx file"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(WordDocument::Read(c.bytes, &error));
    EXPECT_EQ(error, c.error);
  }
  Package package;
  package.Put("word/document.xml", "<notword/>");
  std::string bytes;
  ASSERT_EQ(package.Write(&bytes), "");
  std::string error;
  EXPECT_FALSE(WordDocument::Read(bytes, &error));
  EXPECT_EQ(error, "it is not a word-processing document");
}

// ---- the printer's PDF -------------------------------------------------------

// The pages of a PDF as pdftotext reads them.
std::vector<std::string> PdfPages(const std::string& pdf) {
  qx::test::TestFolder folder("pdf");
  qx::test::WriteText(folder / "job.pdf", pdf);
  const std::string command = "pdftotext " + (folder / "job.pdf").string() + " " + (folder / "job.txt").string();
  EXPECT_EQ(std::system(command.c_str()), 0);
  const std::string text = qx::test::ReadBytes(folder / "job.txt");
  std::vector<std::string> pages;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\f', start)) != std::string::npos; start = end + 1) {
    pages.push_back(text.substr(start, end - start));
  }
  return pages;
}

TEST(PdfFile, FlowsTextOverPagesAndPrintsEveryCharacter) {
  FlowDocument flow;
  for (int i = 1; i <= 60; ++i) flow.paragraphs.push_back({{{"Line " + std::to_string(i), false, false, 12}}});
  flow.paragraphs.back().newPageAfter = true;
  // Characters beyond every single-byte code page, in bold and italic runs.
  flow.paragraphs.push_back({{{"(Caf\xC3\xA9) \\ 50\xE2\x82\xAC \xC5\x81\xC3\xB3" "d\xC5\xBA", true, false, 12},
                              {" \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1", false, true, 12},
                              {"\fafter the break", false, true, 12}}});
  flow.paragraphs.push_back({{{std::string(300, 'w'), false, false, 12}}});  // longer than a line
  std::vector<std::vector<std::string>> pages;
  for (const std::string& page : PdfPages(RenderPdf(flow, "T\xC3\xAFtle"))) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = page.find('\n', start)) != std::string::npos; start = end + 1) {
      if (end > start) lines.push_back(page.substr(start, end - start));
    }
    pages.push_back(lines);
  }
  ASSERT_EQ(pages.size(), 4u);
  // The lines fill the first page down to its bottom margin and go on on
  // the next.
  ASSERT_GT(pages[0].size(), 40u);
  EXPECT_EQ(pages[0].back(), "Line " + std::to_string(pages[0].size()));
  EXPECT_EQ(pages[1].front(), "Line " + std::to_string(pages[0].size() + 1));
  EXPECT_EQ(pages[1].back(), "Line 60");
  EXPECT_EQ(pages[2], std::vector<std::string>{"(Caf\xC3\xA9) \\ 50\xE2\x82\xAC \xC5\x81\xC3\xB3" "d\xC5\xBA "
                                                "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"});
  EXPECT_EQ(pages[3].front(), "after the break");
  // The long word is broken where each line ends.
  std::string word;
  for (std::size_t i = 1; i < pages[3].size(); ++i) word += pages[3][i];
  EXPECT_EQ(word, std::string(300, 'w'));
  EXPECT_GT(pages[3].size(), 3u);
}

// Where each word of a PDF lies, as pdftotext finds it: one "<page ...>" or
// "<word ...>word</word>" line each.
std::string PdfWordBoxes(const std::string& pdf) {
  qx::test::TestFolder folder("pdfbox");
  qx::test::WriteText(folder / "job.pdf", pdf);
  const std::string command =
      "pdftotext -bbox " + (folder / "job.pdf").string() + " " + (folder / "job.html").string();
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::istringstream html(qx::test::ReadBytes(folder / "job.html"));
  std::string boxes, line;
  while (std::getline(html, line))
    if (line.find("<page") != std::string::npos || line.find("<word") != std::string::npos) boxes += line + "\n";
  return boxes;
}

// A paragraph is laid out through a window that slides along it: whatever
// the window's size, every word lies where the layout of the whole
// paragraph at once puts it.
TEST(PdfFile, AParagraphIsLaidOutAsAWholeWhateverItsLength) {
  std::string prose;
  const char* words[] = {"the", "account's", "balance", "(overdue)", "$1,234.56", "is", "due;", "please", "remit"};
  for (int i = 0; i < 400; ++i) prose += std::string(words[i % 9]) + (i % 13 == 0 ? "   " : " ");
  std::string hebrew;
  for (int i = 0; i < 200; ++i) hebrew += "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D 42 ";
  const struct Case {
    const char* name;
    std::vector<FlowRun> runs;
    FlowParagraph::Alignment alignment;
  } cases[] = {
      {"prose", {{prose, false, false, 10}}, FlowParagraph::Alignment::kLeft},
      {"a run of blanks", {{"Before" + std::string(3000, ' ') + "end of the run", false, false, 10}},
       FlowParagraph::Alignment::kLeft},
      {"a word longer than many lines", {{"A " + std::string(2500, 'x') + " b", false, false, 10}},
       FlowParagraph::Alignment::kLeft},
      {"tabs and line breaks",
       {{"Invoice\t1001\tdue\t03/31/25\nInvoice\t1002\tdue\t04/30/25\n\n" + prose.substr(0, 900), false, false, 10}},
       FlowParagraph::Alignment::kLeft},
      {"centred", {{prose.substr(0, 1500), false, false, 10}}, FlowParagraph::Alignment::kCenter},
      {"flush right", {{prose.substr(0, 1500), false, false, 10}}, FlowParagraph::Alignment::kRight},
      {"runs of their own sizes and styles",
       {{prose.substr(0, 700), true, false, 14}, {prose.substr(0, 500), false, true, 8}, {prose.substr(0, 600), false, false, 11}},
       FlowParagraph::Alignment::kLeft},
      {"letters of several bytes",
       {{[] {
          std::string t;
          for (int i = 0; i < 200; ++i) t += "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1 Caf\xC3\xA9 50\xE2\x82\xAC ";
          return t;
        }(),
         false, false, 10}},
       FlowParagraph::Alignment::kLeft},
      {"right to left", {{hebrew, false, false, 10}}, FlowParagraph::Alignment::kLeft},
      {"right to left, flush right", {{hebrew, false, false, 10}}, FlowParagraph::Alignment::kRight},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FlowDocument flow;
    FlowParagraph paragraph;
    paragraph.runs = c.runs;
    paragraph.alignment = c.alignment;
    flow.paragraphs.push_back({{{"Dear customer,", false, false, 10}}});
    flow.paragraphs.push_back(paragraph);
    const std::string whole = PdfWordBoxes(RenderPdf(flow, "Letter", std::string::npos));
    ASSERT_NE(whole.find("<word"), std::string::npos);
    for (std::size_t window : {std::size_t{1}, std::size_t{7}, std::size_t{100}, kLayoutWindow}) {
      SCOPED_TRACE(window);
      EXPECT_EQ(whole, PdfWordBoxes(RenderPdf(flow, "Letter", window)));
    }
  }
}

TEST(PdfFile, EmbedsItsFonts) {
  FlowDocument flow;
  flow.paragraphs.push_back({{{"\xC5\x81\xC3\xB3" "d\xC5\xBA", false, false, 12}}});
  qx::test::TestFolder folder("pdffonts");
  qx::test::WriteText(folder / "job.pdf", RenderPdf(flow, "fonts"));
  const std::string list = (folder / "fonts.txt").string();
  ASSERT_EQ(std::system(("pdffonts " + (folder / "job.pdf").string() + " > " + list).c_str()), 0);
  const std::string fonts = qx::test::ReadBytes(list);
  // pdffonts: two heading lines, then a line per font ending in its
  // "emb", "sub" and "uni" flags and object number and generation.
  std::istringstream lines(fonts);
  std::string line;
  int listed = 0;
  for (int n = 0; std::getline(lines, line); ++n) {
    if (n < 2 || line.empty()) continue;
    std::istringstream words(line);
    std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
    ASSERT_GE(w.size(), 6u) << line;
    EXPECT_EQ(w[w.size() - 5], "yes") << "not embedded: " << line;
    ++listed;
  }
  EXPECT_GT(listed, 0) << fonts;
  EXPECT_NE(fonts.find("DejaVuSans"), std::string::npos) << fonts;
}

}  // namespace
