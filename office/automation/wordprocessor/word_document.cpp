#include "automation/wordprocessor/word_document.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <map>
#include <new>
#include <utility>

#include "automation/wordprocessor/docx_package.h"
#include "automation/wordprocessor/text.h"

namespace qx::automation::wordprocessor {

namespace {

// Namespaces, relationship types and content types of the file format.
constexpr const char* kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kR = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kDrawing = "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
constexpr const char* kPackageRelationships = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kContentTypes = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr const char* kRelOfficeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr const char* kRelSettings = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings";
constexpr const char* kRelStyles = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr const char* kRelMailMergeSource =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/mailMergeSource";
constexpr const char* kTypeSettings = "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml";
constexpr const char* kTypeRelationships = "application/vnd.openxmlformats-package.relationships+xml";

// Children of w:settings that come before w:mailMerge, in the schema's order.
constexpr std::string_view kSettingsSequence[] = {
    "writeProtection", "view", "zoom", "removePersonalInformation", "removeDateAndTime",
    "doNotDisplayPageBoundaries", "displayBackgroundShape", "printPostScriptOverText",
    "printFractionalCharacterWidth", "printFormsData", "embedTrueTypeFonts", "embedSystemFonts",
    "saveSubsetFonts", "saveFormsData", "mirrorMargins", "alignBordersAndEdges", "bordersDoNotSurroundHeader",
    "bordersDoNotSurroundFooter", "gutterAtTop", "hideSpellingErrors", "hideGrammaticalErrors",
    "activeWritingStyle", "proofState", "formsDesign", "attachedTemplate", "linkStyles",
    "stylePaneFormatFilter", "stylePaneSortMethod", "documentType", "mailMerge",
};

// Children of w:mailMerge, in the schema's order.
constexpr std::string_view kMailMergeSequence[] = {
    "mainDocumentType", "linkToQuery",      "dataType",       "connectString", "query",
    "dataSource",       "headerSource",     "doNotSuppressBlankLines", "destination", "addressFieldName",
    "mailSubject",      "mailAsAttachment", "viewMergedData", "activeRecord",  "checkErrors",
    "odso",
};

constexpr std::pair<std::string_view, int> kMainDocumentTypes[] = {
    {"formLetters", 0}, {"mailingLabels", 1}, {"envelopes", 2}, {"catalog", 3}, {"email", 4}, {"fax", 5},
};
constexpr std::string_view kDestinations[] = {"newDocument", "printer", "email", "fax"};

// ---- libxml2 helpers -------------------------------------------------------

struct FreeXmlDoc {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDoc = std::unique_ptr<xmlDoc, FreeXmlDoc>;

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }
const char* C(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

bool Is(const xmlNode* node, const char* ns, std::string_view name) {
  return node && node->type == XML_ELEMENT_NODE && node->ns && xmlStrEqual(node->ns->href, X(ns)) &&
         name == C(node->name);
}
bool IsW(const xmlNode* node, std::string_view name) { return Is(node, kW, name); }

xmlNode* FirstW(xmlNode* parent, std::string_view name) {
  for (xmlNode* child = parent ? parent->children : nullptr; child; child = child->next) {
    if (IsW(child, name)) return child;
  }
  return nullptr;
}

std::string Attribute(const xmlNode* node, const char* ns, const char* name) {
  xmlChar* value = ns ? xmlGetNsProp(node, X(name), X(ns)) : xmlGetNoNsProp(node, X(name));
  if (!value) return {};
  std::string text = C(value);
  xmlFree(value);
  return text;
}
std::string WVal(const xmlNode* node) { return Attribute(node, kW, "val"); }

std::string Content(const xmlNode* node) {
  xmlChar* value = xmlNodeGetContent(node);
  if (!value) return {};
  std::string text = C(value);
  xmlFree(value);
  return text;
}

// An on/off property (w:b, w:i, w:vanish): on unless its value says off.
bool IsOn(const xmlNode* property) {
  if (!property) return false;
  const std::string value = WVal(property);
  return value != "false" && value != "0" && value != "off";
}

XmlDoc ParseXml(std::string_view bytes) {
  xmlInitParser();
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return nullptr;
  // No network, no external entities, no messages on standard error.
  return XmlDoc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

std::string DumpXml(xmlDoc* doc) {
  xmlChar* memory = nullptr;
  int size = 0;
  xmlDocDumpMemoryEnc(doc, &memory, &size, "UTF-8");
  if (!memory) throw std::bad_alloc();
  std::string text(C(memory), static_cast<std::size_t>(size));
  xmlFree(memory);
  return text;
}

// The namespace `href` as the document's root declares it, declared there
// (under `prefix`, or a free variant of it) when it is not.
xmlNs* NamespaceOf(xmlDoc* doc, const char* href, const char* prefix) {
  xmlNode* root = xmlDocGetRootElement(doc);
  if (xmlNs* ns = xmlSearchNsByHref(doc, root, X(href))) return ns;
  std::string name = prefix;
  for (int n = 1; xmlSearchNs(doc, root, X(name.c_str())); ++n) name = prefix + std::to_string(n);
  xmlNs* ns = xmlNewNs(root, X(href), X(name.c_str()));
  if (!ns) throw std::bad_alloc();
  return ns;
}

xmlNode* NewW(xmlDoc* doc, const char* name) {
  xmlNode* node = xmlNewDocNode(doc, NamespaceOf(doc, kW, "w"), X(name), nullptr);
  if (!node) throw std::bad_alloc();
  return node;
}

void SetWAttribute(xmlNode* node, const char* name, const std::string& value) {
  if (!xmlSetNsProp(node, NamespaceOf(node->doc, kW, "w"), X(name), X(value.c_str()))) throw std::bad_alloc();
}

xmlNode* NewWWithVal(xmlDoc* doc, const char* name, const std::string& value) {
  xmlNode* node = NewW(doc, name);
  SetWAttribute(node, "val", value);
  return node;
}

void AppendText(xmlNode* parent, std::string_view text) {
  xmlNode* node = xmlNewDocTextLen(parent->doc, X(std::string(text).c_str()), static_cast<int>(text.size()));
  if (!node) throw std::bad_alloc();
  xmlAddChild(parent, node);
}

void Remove(xmlNode* node) {
  xmlUnlinkNode(node);
  xmlFreeNode(node);
}

// Inserts `node` into `parent` in the place the schema gives it: before the
// first element child whose name does not come before `name` in `sequence`.
template <std::size_t N>
void PlaceInSequence(xmlNode* parent, xmlNode* node, const std::string_view (&sequence)[N], std::string_view name) {
  const auto* end = std::find(std::begin(sequence), std::end(sequence), name);
  for (xmlNode* child = parent->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    const bool before = child->ns && xmlStrEqual(child->ns->href, X(kW)) &&
                        std::find(std::begin(sequence), end, std::string_view(C(child->name))) != end;
    if (!before) {
      xmlAddPrevSibling(child, node);
      return;
    }
  }
  xmlAddChild(parent, node);
}

// A deep copy of `node` (of any document) for a place under `parent`, with
// namespaces resolved against the parent's, so the copy declares none anew.
xmlNode* CloneFor(xmlNode* node, xmlNode* parent) {
  xmlNode* clone = nullptr;
  if (xmlDOMWrapCloneNode(nullptr, node->doc, node, &clone, parent->doc, parent, 1, 0) != 0 || !clone) {
    throw std::bad_alloc();
  }
  return clone;
}

// ---- package paths and relationships ---------------------------------------

std::string FolderOfPart(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash);
}

// "word/document.xml" -> "word/_rels/document.xml.rels"
std::string RelationshipsPartOf(const std::string& part) {
  const std::string folder = FolderOfPart(part);
  const std::string name = folder.empty() ? part : part.substr(folder.size() + 1);
  return (folder.empty() ? "" : folder + "/") + "_rels/" + name + ".rels";
}

std::string ResolveTarget(const std::string& sourcePart, const std::string& target) {
  if (!target.empty() && target[0] == '/') return target.substr(1);
  std::string folder = FolderOfPart(sourcePart);
  std::string rest = target;
  while (rest.rfind("../", 0) == 0) {
    rest.erase(0, 3);
    folder = FolderOfPart(folder);
  }
  return folder.empty() ? rest : folder + "/" + rest;
}

std::string RelationshipTarget(xmlDoc* relationships, const char* type) {
  if (!relationships) return {};
  for (xmlNode* node = xmlDocGetRootElement(relationships)->children; node; node = node->next) {
    if (Is(node, kPackageRelationships, "Relationship") && Attribute(node, nullptr, "Type") == type) {
      return Attribute(node, nullptr, "Target");
    }
  }
  return {};
}

std::string NewRelationshipId(xmlDoc* relationships) {
  for (int n = 1;; ++n) {
    const std::string id = "rId" + std::to_string(n);
    bool used = false;
    for (xmlNode* node = xmlDocGetRootElement(relationships)->children; node && !used; node = node->next) {
      used = Is(node, kPackageRelationships, "Relationship") && Attribute(node, nullptr, "Id") == id;
    }
    if (!used) return id;
  }
}

void AddRelationship(xmlDoc* relationships, const std::string& id, const char* type, const std::string& target,
                     bool external) {
  xmlNode* root = xmlDocGetRootElement(relationships);
  xmlNode* node = xmlNewDocNode(relationships, root->ns, X("Relationship"), nullptr);
  if (!node) throw std::bad_alloc();
  xmlSetProp(node, X("Id"), X(id.c_str()));
  xmlSetProp(node, X("Type"), X(type));
  xmlSetProp(node, X("Target"), X(target.c_str()));
  if (external) xmlSetProp(node, X("TargetMode"), X("External"));
  xmlAddChild(root, node);
}

XmlDoc EmptyRelationships() {
  return ParseXml(
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>");
}

// A data source's path as a file URL ("/srv/a b.txt" -> "file:///srv/a%20b.txt").
std::string FileUrl(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = path.empty() || path[0] != '/' ? "file:///" : "file://";
  for (unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       std::string_view("-._~/:\\").find(static_cast<char>(c)) != std::string_view::npos;
    if (plain) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

// The path a data-source relationship names: a file URL as written by this
// server or by other programs ("file:///C:\DATA\CUST.TXT"), or a plain path.
std::string PathOfTarget(std::string target) {
  if (target.size() >= 5 && EqualIgnoringAsciiCase(std::string_view(target).substr(0, 5), "file:")) {
    target.erase(0, 5);
    if (target.rfind("///", 0) == 0) target.erase(0, 2);  // keep the root's slash
    // "/C:/..." is a drive path.
    if (target.size() >= 3 && target[0] == '/' && target[2] == ':') target.erase(0, 1);
  }
  std::string path;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && std::isxdigit(static_cast<unsigned char>(target[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(target[i + 2]))) {
      path += static_cast<char>(std::strtol(target.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      path += target[i];
    }
  }
  return path;
}

// The file a data-source query names ("SELECT * FROM `C:\DATA\CUST.TXT`").
std::string PathOfQuery(const std::string& query) {
  std::size_t from = std::string::npos;
  for (std::size_t i = 0; i + 5 <= query.size(); ++i) {
    if (EqualIgnoringAsciiCase(std::string_view(query).substr(i, 5), "FROM ")) {
      from = i + 5;
      break;
    }
  }
  if (from == std::string::npos) return {};
  std::string path = query.substr(from);
  while (!path.empty() && path.front() == ' ') path.erase(0, 1);
  while (!path.empty() && path.back() == ' ') path.pop_back();
  if (path.size() >= 2 && ((path.front() == '`' && path.back() == '`') ||
                           (path.front() == '"' && path.back() == '"') ||
                           (path.front() == '[' && path.back() == ']') ||
                           (path.front() == '\'' && path.back() == '\''))) {
    path = path.substr(1, path.size() - 2);
  }
  return path;
}

// What one record of a merge may produce: its copy of the body, every field
// filled in, holds at most this much text.  A letter is a few thousand
// characters; a record beyond this is a wrong data source or main document,
// and is refused before it fills memory or a printer.
constexpr std::size_t kMaxRecordText = 2'000'000;

// ---- merge fields in the body ------------------------------------------------

struct FieldSite {
  MergeField field;
  xmlNode* simple = nullptr;    // a w:fldSimple, or
  xmlNode* begin = nullptr;     // the runs of a complex field
  xmlNode* separate = nullptr;  // null when the field has no result
  xmlNode* end = nullptr;
};

struct OpenField {
  xmlNode* begin;
  xmlNode* separate = nullptr;
  std::string instruction;
};

// Finds the top-level merge fields in `node` and under it, in document
// order.  `open` carries the complex fields begun and not yet ended.
void CollectFields(xmlNode* node, std::vector<OpenField>& open, std::vector<FieldSite>* sites) {
  if (node->type != XML_ELEMENT_NODE || IsW(node, "del")) return;  // deleted text is no longer there
  if (IsW(node, "fldSimple") && open.empty()) {
    FieldSite site;
    if (ParseMergeField(Attribute(node, kW, "instr"), &site.field)) {
      site.simple = node;
      sites->push_back(std::move(site));
      return;  // its runs are the field's last result
    }
  }
  if (!IsW(node, "r")) {
    for (xmlNode* child = node->children; child; child = child->next) CollectFields(child, open, sites);
    return;
  }
  for (xmlNode* part = node->children; part; part = part->next) {
    if (IsW(part, "fldChar")) {
      const std::string type = Attribute(part, kW, "fldCharType");
      if (type == "begin") {
        open.push_back(OpenField{node, nullptr, {}});
      } else if (type == "separate" && !open.empty()) {
        open.back().separate = node;
      } else if (type == "end" && !open.empty()) {
        OpenField field = std::move(open.back());
        open.pop_back();
        FieldSite site;
        if (open.empty() && field.begin->parent == node->parent && ParseMergeField(field.instruction, &site.field)) {
          site.begin = field.begin;
          site.separate = field.separate;
          site.end = node;
          sites->push_back(std::move(site));
        }
      }
    } else if (IsW(part, "instrText") && !open.empty() && !open.back().separate) {
      open.back().instruction += Content(part);
    }
  }
}

std::vector<FieldSite> FieldsUnder(const std::vector<xmlNode*>& blocks) {
  std::vector<FieldSite> sites;
  std::vector<OpenField> open;
  for (xmlNode* block : blocks) {
    if (block) CollectFields(block, open, &sites);
  }
  return sites;
}

xmlNode* ParagraphOf(xmlNode* node) {
  while (node && !IsW(node, "p")) node = node->parent;
  return node;
}

// Whether a character may stand in an XML document.
bool IsXmlCharacter(char32_t ch) {
  return ch == 0x9 || ch == 0xA || ch == 0xD || (ch >= 0x20 && ch <= 0xD7FF) || (ch >= 0xE000 && ch <= 0xFFFD) ||
         (ch >= 0x10000 && ch <= 0x10FFFF);
}

// Inserts before `anchor` a run holding `text` in the formatting `format`
// (a w:rPr, or null): line breaks become w:br, tabs w:tab.
void InsertTextRun(xmlNode* anchor, xmlNode* format, std::string_view text) {
  if (text.empty()) return;
  xmlDoc* doc = anchor->doc;
  xmlNode* run = NewW(doc, "r");
  xmlAddPrevSibling(anchor, run);
  if (format) xmlAddChild(run, CloneFor(format, run));
  std::string pending;
  const auto flush = [&] {
    if (pending.empty()) return;
    xmlNode* t = NewW(doc, "t");
    xmlNodeSetSpacePreserve(t, 1);
    AppendText(t, pending);
    xmlAddChild(run, t);
    pending.clear();
  };
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const char32_t ch = NextCodePoint(text, &i);
    if (ch == '\r' || ch == '\n') {
      if (ch == '\r' && i < text.size() && text[i] == '\n') ++i;
      flush();
      xmlAddChild(run, NewW(doc, "br"));
    } else if (ch == '\t') {
      flush();
      xmlAddChild(run, NewW(doc, "tab"));
    } else if (IsXmlCharacter(ch) && !(ch == 0xFFFD && i - start == 1)) {  // not a malformed byte
      pending.append(text.substr(start, i - start));
    }
  }
  flush();
}

// The formatting of a complex field's result: its first result run with
// text, else the run that begins it.
xmlNode* ResultFormat(const FieldSite& site) {
  if (site.separate) {
    for (xmlNode* node = site.separate->next; node && node != site.end; node = node->next) {
      if (IsW(node, "r") && FirstW(node, "t")) return FirstW(node, "rPr");
    }
  }
  return FirstW(site.begin, "rPr");
}

void ReplaceField(const FieldSite& site, const std::string& text) {
  if (site.simple) {
    xmlNode* firstRun = FirstW(site.simple, "r");
    InsertTextRun(site.simple, firstRun ? FirstW(firstRun, "rPr") : nullptr, text);
    Remove(site.simple);
    return;
  }
  InsertTextRun(site.begin, ResultFormat(site), text);
  for (xmlNode* node = site.begin; node;) {
    xmlNode* next = node->next;
    const bool last = node == site.end;
    Remove(node);
    if (last) break;
    node = next;
  }
}

// Whether a paragraph shows nothing but blanks.
bool ShowsNothing(xmlNode* node) {
  for (xmlNode* child = node->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    if (IsW(child, "t")) {
      const std::string text = Content(child);
      for (std::size_t i = 0; i < text.size();) {
        const char32_t ch = NextCodePoint(text, &i);
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n' && ch != 0xA0) return false;
      }
      continue;
    }
    if (IsW(child, "drawing") || IsW(child, "pict") || IsW(child, "object") || IsW(child, "sym") ||
        IsW(child, "sectPr")) {
      return false;
    }
    if (!ShowsNothing(child)) return false;
  }
  return true;
}

bool IsOnlyParagraphOfCell(xmlNode* paragraph) {
  if (!IsW(paragraph->parent, "tc")) return false;
  int paragraphs = 0;
  for (xmlNode* child = paragraph->parent->children; child; child = child->next) paragraphs += IsW(child, "p");
  return paragraphs == 1;
}

void CollectElements(xmlNode* node, const char* ns, std::string_view name, std::vector<xmlNode*>* out) {
  for (xmlNode* child = node->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    if (Is(child, ns, name)) out->push_back(child);
    CollectElements(child, ns, name, out);
  }
}

// ---- running text ------------------------------------------------------------

struct RunStyle {
  bool bold = false;
  bool italic = false;
  double size = 10;
};

RunStyle StyleOf(xmlNode* format, const RunStyle& base) {
  RunStyle style = base;
  if (!format) return style;
  if (xmlNode* b = FirstW(format, "b")) style.bold = IsOn(b);
  if (xmlNode* i = FirstW(format, "i")) style.italic = IsOn(i);
  if (xmlNode* sz = FirstW(format, "sz")) {
    const double halfPoints = std::atof(WVal(sz).c_str());
    if (halfPoints >= 2 && halfPoints <= 3276) style.size = halfPoints / 2;
  }
  return style;
}

void AddRunText(FlowParagraph* paragraph, const RunStyle& style, const std::string& text) {
  if (text.empty()) return;
  if (!paragraph->runs.empty()) {
    FlowRun& last = paragraph->runs.back();
    if (last.bold == style.bold && last.italic == style.italic && last.size == style.size) {
      last.text += text;
      return;
    }
  }
  paragraph->runs.push_back({text, style.bold, style.italic, style.size});
}

// The text of the runs under `node` (a paragraph or part of one).
void CollectRuns(xmlNode* node, const RunStyle& base, FlowParagraph* paragraph) {
  for (xmlNode* child = node->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    if (IsW(child, "pPr") || IsW(child, "del") || IsW(child, "moveFrom")) continue;
    if (!IsW(child, "r")) {
      CollectRuns(child, base, paragraph);
      continue;
    }
    xmlNode* format = FirstW(child, "rPr");
    if (format && IsOn(FirstW(format, "vanish"))) continue;
    const RunStyle style = StyleOf(format, base);
    std::string text;
    for (xmlNode* part = child->children; part; part = part->next) {
      if (IsW(part, "t")) {
        text += Content(part);
      } else if (IsW(part, "tab") || IsW(part, "ptab")) {
        text += '\t';
      } else if (IsW(part, "br")) {
        text += Attribute(part, kW, "type") == "page" ? '\f' : '\n';
      } else if (IsW(part, "cr")) {
        text += '\n';
      } else if (IsW(part, "noBreakHyphen")) {
        text += '-';
      }
    }
    AddRunText(paragraph, style, text);
  }
}

FlowParagraph ParagraphFlow(xmlNode* p, const RunStyle& base) {
  FlowParagraph paragraph;
  paragraph.size = base.size;
  xmlNode* properties = FirstW(p, "pPr");
  if (properties) {
    const std::string alignment = WVal(FirstW(properties, "jc"));
    if (alignment == "center") paragraph.alignment = FlowParagraph::Alignment::kCenter;
    else if (alignment == "right" || alignment == "end") paragraph.alignment = FlowParagraph::Alignment::kRight;
    if (IsOn(FirstW(properties, "pageBreakBefore"))) paragraph.runs.push_back({"\f", false, false, base.size});
    paragraph.size = StyleOf(FirstW(properties, "rPr"), base).size;
    paragraph.newPageAfter = FirstW(properties, "sectPr") != nullptr;
  }
  CollectRuns(p, base, &paragraph);
  return paragraph;
}

// The text of a table row: each cell's paragraphs joined by blanks, cells
// separated by tabs.
FlowParagraph RowFlow(xmlNode* row, const RunStyle& base) {
  FlowParagraph paragraph;
  paragraph.size = base.size;
  bool firstCell = true;
  for (xmlNode* cell = row->children; cell; cell = cell->next) {
    if (!IsW(cell, "tc")) continue;
    if (!firstCell) AddRunText(&paragraph, base, "\t");
    firstCell = false;
    std::vector<xmlNode*> cellParagraphs;
    CollectElements(cell, kW, "p", &cellParagraphs);
    bool firstParagraph = true;
    for (xmlNode* p : cellParagraphs) {
      if (!firstParagraph) AddRunText(&paragraph, base, " ");
      firstParagraph = false;
      CollectRuns(p, base, &paragraph);
    }
  }
  for (FlowRun& run : paragraph.runs) {
    std::replace(run.text.begin(), run.text.end(), '\n', ' ');
    std::replace(run.text.begin(), run.text.end(), '\f', ' ');
  }
  return paragraph;
}

void BlocksFlow(xmlNode* container, const RunStyle& base, FlowDocument* flow) {
  for (xmlNode* child = container->children; child; child = child->next) {
    if (IsW(child, "p")) {
      flow->paragraphs.push_back(ParagraphFlow(child, base));
    } else if (IsW(child, "tbl")) {
      for (xmlNode* row = child->children; row; row = row->next) {
        if (IsW(row, "tr")) flow->paragraphs.push_back(RowFlow(row, base));
      }
    } else if (IsW(child, "sdt")) {
      if (xmlNode* content = FirstW(child, "sdtContent")) BlocksFlow(content, base, flow);
    } else if (IsW(child, "customXml") || IsW(child, "ins") || IsW(child, "moveTo")) {
      BlocksFlow(child, base, flow);
    }
  }
}

double Twips(const xmlNode* node, const char* name, double fallback) {
  const std::string value = Attribute(node, kW, name);
  if (value.empty()) return fallback;
  const double twips = std::atof(value.c_str());
  return twips > 0 && twips < 31680 * 4 ? twips / 20 : fallback;
}

// ---- a new document ----------------------------------------------------------

constexpr const char* kBlankContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "<Override PartName=\"/word/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
    "<Override PartName=\"/word/settings.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
    "</Types>";

constexpr const char* kBlankPackageRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/>"
    "</Relationships>";

constexpr const char* kBlankDocumentRelationships =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" Target=\"settings.xml\"/>"
    "</Relationships>";

constexpr const char* kBlankDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<w:body><w:p/>"
    "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/>"
    "<w:pgMar w:top=\"1440\" w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" "
    "w:footer=\"720\" w:gutter=\"0\"/></w:sectPr>"
    "</w:body></w:document>";

constexpr const char* kBlankStyles =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:docDefaults><w:rPrDefault><w:rPr><w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/></w:rPr></w:rPrDefault>"
    "<w:pPrDefault/></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "</w:styles>";

constexpr const char* kBlankSettings =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<w:settings xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<w:defaultTabStop w:val=\"720\"/><w:characterSpacingControl w:val=\"doNotCompress\"/>"
    "</w:settings>";

}  // namespace

// ---- the document ------------------------------------------------------------

struct WordDocument::Rep {
  Package package;
  std::string documentPart = "word/document.xml";
  std::string settingsPart = "word/settings.xml";
  XmlDoc document;
  XmlDoc settings;          // null while the package has no settings part
  XmlDoc settingsRelations;  // null while the settings part has no relationships
  bool settingsAdded = false;  // the settings part is new: the package must learn of it

  xmlNode* Body() const { return FirstW(xmlDocGetRootElement(document.get()), "body"); }

  // The body's own section properties (its last child), or null.
  xmlNode* FinalSection() const {
    xmlNode* last = xmlGetLastChild(Body());
    while (last && last->type != XML_ELEMENT_NODE) last = last->prev;
    return IsW(last, "sectPr") ? last : nullptr;
  }

  xmlNode* MailMerge() const {
    return settings ? FirstW(xmlDocGetRootElement(settings.get()), "mailMerge") : nullptr;
  }

  xmlNode* EnsureMailMerge() {
    if (!settings) {
      settings = ParseXml(kBlankSettings);
      if (!settings) throw std::bad_alloc();
      settingsAdded = true;
    }
    if (xmlNode* existing = MailMerge()) return existing;
    xmlNode* mailMerge = NewW(settings.get(), "mailMerge");
    PlaceInSequence(xmlDocGetRootElement(settings.get()), mailMerge, kSettingsSequence, "mailMerge");
    xmlNode* type = NewWWithVal(settings.get(), "mainDocumentType", "formLetters");
    xmlAddChild(mailMerge, type);
    return mailMerge;
  }

  void SetMailMergeChild(std::string_view name, const std::string& value) {
    xmlNode* mailMerge = EnsureMailMerge();
    if (xmlNode* existing = FirstW(mailMerge, name)) {
      SetWAttribute(existing, "val", value);
      return;
    }
    PlaceInSequence(mailMerge, NewWWithVal(settings.get(), std::string(name).c_str(), value), kMailMergeSequence,
                    name);
  }

  void RemoveMailMergeSources() {
    if (!settingsRelations) return;
    xmlNode* root = xmlDocGetRootElement(settingsRelations.get());
    for (xmlNode* node = root->children; node;) {
      xmlNode* next = node->next;
      if (Is(node, kPackageRelationships, "Relationship") &&
          Attribute(node, nullptr, "Type") == kRelMailMergeSource) {
        Remove(node);
      }
      node = next;
    }
  }

  // Tells the package about a settings part it did not have: its content
  // type and the document's relationship to it.
  void RegisterSettingsPart(Package* out) const {
    XmlDoc types;
    if (const std::string* part = out->Find("[Content_Types].xml")) types = ParseXml(*part);
    if (types && xmlDocGetRootElement(types.get())) {
      xmlNode* root = xmlDocGetRootElement(types.get());
      bool hasRelsDefault = false;
      for (xmlNode* node = root->children; node; node = node->next) {
        hasRelsDefault |= Is(node, kContentTypes, "Default") &&
                          EqualIgnoringAsciiCase(Attribute(node, nullptr, "Extension"), "rels");
      }
      const auto add = [&](const char* element, const char* key, const std::string& value, const char* type) {
        xmlNode* node = xmlNewDocNode(types.get(), root->ns, X(element), nullptr);
        xmlSetProp(node, X(key), X(value.c_str()));
        xmlSetProp(node, X("ContentType"), X(type));
        xmlAddChild(root, node);
      };
      if (!hasRelsDefault) add("Default", "Extension", "rels", kTypeRelationships);
      add("Override", "PartName", "/" + settingsPart, kTypeSettings);
      out->Put("[Content_Types].xml", DumpXml(types.get()));
    }
    const std::string relationsPart = RelationshipsPartOf(documentPart);
    XmlDoc relations;
    if (const std::string* part = out->Find(relationsPart)) relations = ParseXml(*part);
    if (!relations || !xmlDocGetRootElement(relations.get())) relations = EmptyRelationships();
    const std::string folder = FolderOfPart(documentPart);
    AddRelationship(relations.get(), NewRelationshipId(relations.get()), kRelSettings,
                    folder.empty() ? settingsPart : settingsPart.substr(folder.size() + 1), false);
    out->Put(relationsPart, DumpXml(relations.get()));
  }

  double DefaultTextSize() const {
    std::string stylesPart = ResolveTarget(documentPart, "styles.xml");
    const std::string* relations = package.Find(RelationshipsPartOf(documentPart));
    if (relations) {
      XmlDoc parsed = ParseXml(*relations);
      if (parsed && xmlDocGetRootElement(parsed.get())) {
        const std::string target = RelationshipTarget(parsed.get(), kRelStyles);
        if (!target.empty()) stylesPart = ResolveTarget(documentPart, target);
      }
    }
    const std::string* styles = package.Find(stylesPart);
    if (!styles) return 10;  // the file format's default
    XmlDoc parsed = ParseXml(*styles);
    xmlNode* root = parsed ? xmlDocGetRootElement(parsed.get()) : nullptr;
    xmlNode* defaults = FirstW(FirstW(FirstW(root, "docDefaults"), "rPrDefault"), "rPr");
    return StyleOf(defaults, RunStyle{}).size;
  }
};

WordDocument::WordDocument(std::unique_ptr<Rep> rep) : rep_(std::move(rep)) {}
WordDocument::~WordDocument() = default;

std::unique_ptr<WordDocument> WordDocument::Blank() {
  auto rep = std::make_unique<Rep>();
  rep->package.Put("[Content_Types].xml", kBlankContentTypes);
  rep->package.Put("_rels/.rels", kBlankPackageRelationships);
  rep->package.Put("word/document.xml", kBlankDocument);
  rep->package.Put("word/_rels/document.xml.rels", kBlankDocumentRelationships);
  rep->package.Put("word/styles.xml", kBlankStyles);
  rep->package.Put("word/settings.xml", kBlankSettings);
  rep->document = ParseXml(kBlankDocument);
  rep->settings = ParseXml(kBlankSettings);
  if (!rep->document || !rep->settings) throw std::bad_alloc();
  return std::unique_ptr<WordDocument>(new WordDocument(std::move(rep)));
}

std::unique_ptr<WordDocument> WordDocument::Read(std::string_view bytes, std::string* error) {
  auto rep = std::make_unique<Rep>();
  if (std::string problem = Package::Read(bytes, &rep->package); !problem.empty()) {
    *error = problem;
    return nullptr;
  }
  const auto parse = [&](const std::string& part) -> XmlDoc {
    const std::string* data = rep->package.Find(part);
    if (!data) return nullptr;
    XmlDoc doc = ParseXml(*data);
    return doc && xmlDocGetRootElement(doc.get()) ? std::move(doc) : nullptr;
  };
  if (XmlDoc relations = parse("_rels/.rels")) {
    const std::string target = RelationshipTarget(relations.get(), kRelOfficeDocument);
    if (!target.empty()) rep->documentPart = ResolveTarget("", target);
  }
  rep->document = parse(rep->documentPart);
  if (!rep->document || !Is(xmlDocGetRootElement(rep->document.get()), kW, "document") || !rep->Body()) {
    *error = "it is not a word-processing document";
    return nullptr;
  }
  rep->settingsPart = ResolveTarget(rep->documentPart, "settings.xml");
  if (XmlDoc relations = parse(RelationshipsPartOf(rep->documentPart))) {
    const std::string target = RelationshipTarget(relations.get(), kRelSettings);
    if (!target.empty()) rep->settingsPart = ResolveTarget(rep->documentPart, target);
  }
  if (rep->package.Find(rep->settingsPart)) {
    rep->settings = parse(rep->settingsPart);
    if (!rep->settings || !Is(xmlDocGetRootElement(rep->settings.get()), kW, "settings")) {
      *error = "its settings are damaged";
      return nullptr;
    }
    rep->settingsRelations = parse(RelationshipsPartOf(rep->settingsPart));
  }
  rep->settingsAdded = !rep->settings;
  return std::unique_ptr<WordDocument>(new WordDocument(std::move(rep)));
}

std::string WordDocument::Write(std::string* bytes) const {
  Package out = rep_->package;
  out.Put(rep_->documentPart, DumpXml(rep_->document.get()));
  if (rep_->settings) {
    out.Put(rep_->settingsPart, DumpXml(rep_->settings.get()));
    if (rep_->settingsAdded) rep_->RegisterSettingsPart(&out);
    const std::string relationsPart = RelationshipsPartOf(rep_->settingsPart);
    const xmlNode* root = rep_->settingsRelations ? xmlDocGetRootElement(rep_->settingsRelations.get()) : nullptr;
    bool any = false;
    for (const xmlNode* node = root ? root->children : nullptr; node; node = node->next) {
      any |= node->type == XML_ELEMENT_NODE;
    }
    if (any) out.Put(relationsPart, DumpXml(rep_->settingsRelations.get()));
    else out.Remove(relationsPart);
  }
  if (std::string error = out.Write(bytes); !error.empty()) return "The document could not be written: " + error;
  return {};
}

int WordDocument::MainDocumentType() const {
  xmlNode* mailMerge = rep_->MailMerge();
  if (!mailMerge) return -1;
  const std::string type = WVal(FirstW(mailMerge, "mainDocumentType"));
  for (const auto& [name, value] : kMainDocumentTypes) {
    if (type == name) return value;
  }
  return 0;
}

void WordDocument::SetMainDocumentType(int type) {
  if (type < 0) {
    if (xmlNode* mailMerge = rep_->MailMerge()) Remove(mailMerge);
    rep_->RemoveMailMergeSources();
    return;
  }
  for (const auto& [name, value] : kMainDocumentTypes) {
    if (value == type) rep_->SetMailMergeChild("mainDocumentType", std::string(name));
  }
}

std::string WordDocument::DataSourceName() const {
  xmlNode* mailMerge = rep_->MailMerge();
  if (!mailMerge) return {};
  if (xmlNode* source = FirstW(mailMerge, "dataSource"); source && rep_->settingsRelations) {
    const std::string id = Attribute(source, kR, "id");
    for (xmlNode* node = xmlDocGetRootElement(rep_->settingsRelations.get())->children; node; node = node->next) {
      if (Is(node, kPackageRelationships, "Relationship") && Attribute(node, nullptr, "Id") == id) {
        return PathOfTarget(Attribute(node, nullptr, "Target"));
      }
    }
  }
  if (xmlNode* query = FirstW(mailMerge, "query")) return PathOfQuery(WVal(query));
  return {};
}

void WordDocument::AttachDataSource(const std::string& path) {
  xmlNode* mailMerge = rep_->EnsureMailMerge();
  for (std::string_view stale : {"linkToQuery", "dataType", "connectString", "query", "dataSource", "headerSource",
                                 "odso"}) {
    while (xmlNode* node = FirstW(mailMerge, stale)) Remove(node);
  }
  rep_->RemoveMailMergeSources();
  if (!rep_->settingsRelations) {
    rep_->settingsRelations = EmptyRelationships();
    if (!rep_->settingsRelations) throw std::bad_alloc();
  }
  const std::string id = NewRelationshipId(rep_->settingsRelations.get());
  AddRelationship(rep_->settingsRelations.get(), id, kRelMailMergeSource, FileUrl(path), true);

  xmlDoc* settings = rep_->settings.get();
  PlaceInSequence(mailMerge, NewW(settings, "linkToQuery"), kMailMergeSequence, "linkToQuery");
  PlaceInSequence(mailMerge, NewWWithVal(settings, "dataType", "textFile"), kMailMergeSequence, "dataType");
  PlaceInSequence(mailMerge, NewWWithVal(settings, "connectString", ""), kMailMergeSequence, "connectString");
  PlaceInSequence(mailMerge, NewWWithVal(settings, "query", "SELECT * FROM " + path), kMailMergeSequence, "query");
  xmlNode* source = NewW(settings, "dataSource");
  if (!xmlSetNsProp(source, NamespaceOf(settings, kR, "r"), X("id"), X(id.c_str()))) throw std::bad_alloc();
  PlaceInSequence(mailMerge, source, kMailMergeSequence, "dataSource");
}

void WordDocument::SetDestination(int destination) {
  if (!rep_->MailMerge() || destination < 0 || destination >= static_cast<int>(std::size(kDestinations))) return;
  rep_->SetMailMergeChild("destination", std::string(kDestinations[destination]));
}

std::vector<MergeField> WordDocument::MergeFields() const {
  std::vector<xmlNode*> blocks;
  for (xmlNode* child = rep_->Body()->children; child; child = child->next) blocks.push_back(child);
  std::vector<MergeField> fields;
  for (FieldSite& site : FieldsUnder(blocks)) fields.push_back(std::move(site.field));
  return fields;
}

void WordDocument::TypeText(std::string_view text, bool bold, bool italic) {
  xmlDoc* doc = rep_->document.get();
  xmlNode* body = rep_->Body();
  xmlNode* paragraph = nullptr;
  for (xmlNode* child = xmlGetLastChild(body); child && !paragraph; child = child->prev) {
    if (IsW(child, "p")) paragraph = child;
  }
  if (!paragraph) {
    TypeParagraph();
    return TypeText(text, bold, italic);
  }
  xmlNode* anchor = NewW(doc, "r");  // a place holder to insert before
  xmlAddChild(paragraph, anchor);
  xmlNode* format = nullptr;
  if (bold || italic) {
    format = NewW(doc, "rPr");
    xmlAddChild(paragraph, format);  // in the tree while copied, so it carries no declarations
    if (bold) xmlAddChild(format, NewW(doc, "b"));
    if (italic) xmlAddChild(format, NewW(doc, "i"));
  }
  InsertTextRun(anchor, format, text);
  Remove(anchor);
  if (format) Remove(format);
}

void WordDocument::TypeParagraph() {
  xmlNode* paragraph = NewW(rep_->document.get(), "p");
  if (xmlNode* section = rep_->FinalSection()) xmlAddPrevSibling(section, paragraph);
  else xmlAddChild(rep_->Body(), paragraph);
}

std::unique_ptr<WordDocument> WordDocument::Merge(const DataSource& data, std::size_t first, std::size_t last,
                                                  bool suppressBlankLines, std::string* error) const {
  for (const MergeField& field : MergeFields()) {
    if (data.FieldIndex(field.name) >= 0) continue;
    *error = field.name.empty() ? "A merge field of the main document names no field."
                                : "The main document's merge field \"" + field.name +
                                      "\" is not a field of the data source.";
    return nullptr;
  }

  auto rep = std::make_unique<Rep>();
  rep->package = rep_->package;
  rep->documentPart = rep_->documentPart;
  rep->settingsPart = rep_->settingsPart;
  rep->settingsAdded = rep_->settingsAdded;
  rep->document = XmlDoc(xmlCopyDoc(rep_->document.get(), 1));
  if (rep_->settings) rep->settings = XmlDoc(xmlCopyDoc(rep_->settings.get(), 1));
  if (rep_->settingsRelations) rep->settingsRelations = XmlDoc(xmlCopyDoc(rep_->settingsRelations.get(), 1));
  if (!rep->document || (rep_->settings && !rep->settings) || (rep_->settingsRelations && !rep->settingsRelations)) {
    throw std::bad_alloc();
  }

  // The copy's body keeps only its own section properties; the records go
  // before them.
  xmlDoc* doc = rep->document.get();
  xmlNode* body = rep->Body();
  xmlNode* finalSection = rep->FinalSection();
  for (xmlNode* child = body->children; child;) {
    xmlNode* next = child->next;
    if (child != finalSection) Remove(child);
    child = next;
  }
  if (!finalSection) {
    finalSection = NewW(doc, "sectPr");
    xmlAddChild(body, finalSection);
  }
  // Records start on a new page even where the document's section ran on.
  if (xmlNode* type = FirstW(finalSection, "type")) {
    const std::string value = WVal(type);
    if (value == "continuous" || value == "nextColumn") SetWAttribute(type, "val", "nextPage");
  }

  std::vector<xmlNode*> blocks;
  xmlNode* templateSection = rep_->FinalSection();
  for (xmlNode* child = rep_->Body()->children; child; child = child->next) {
    if (child != templateSection && child->type == XML_ELEMENT_NODE) blocks.push_back(child);
  }

  const std::size_t stop = data.records.empty() ? 0 : std::min(last, data.records.size() - 1);
  for (std::size_t r = first; !data.records.empty() && r <= stop; ++r) {
    const std::vector<std::string>& record = data.records[r];
    std::vector<xmlNode*> copies;
    for (xmlNode* block : blocks) {
      xmlNode* copy = CloneFor(block, body);
      xmlAddPrevSibling(finalSection, copy);
      copies.push_back(copy);
    }

    struct Tally {
      int fields = 0;
      int filled = 0;
    };
    std::map<xmlNode*, Tally> tallies;
    for (const FieldSite& site : FieldsUnder(copies)) {
      const auto index = static_cast<std::size_t>(data.FieldIndex(site.field.name));
      const std::string text = MergeFieldText(site.field, record[index]);
      Tally& tally = tallies[ParagraphOf(site.simple ? site.simple : site.begin)];
      ++tally.fields;
      tally.filled += !text.empty();
      ReplaceField(site, text);
    }
    if (suppressBlankLines) {
      for (const auto& [paragraph, tally] : tallies) {
        if (!paragraph || tally.filled > 0 || !ShowsNothing(paragraph) || IsOnlyParagraphOfCell(paragraph)) continue;
        std::replace(copies.begin(), copies.end(), paragraph, static_cast<xmlNode*>(nullptr));
        Remove(paragraph);
      }
    }
    std::size_t produced = 0;
    for (xmlNode* copy : copies) produced += copy ? Content(copy).size() : 0;
    if (produced > kMaxRecordText) {
      *error = "Record " + std::to_string(r + 1) + " of the data source makes more than " +
               std::to_string(kMaxRecordText / 1000000) + " million characters of text: nothing was merged.";
      return nullptr;
    }

    if (r == stop) continue;  // the body's own section ends the last record
    xmlNode* end = nullptr;
    for (auto it = copies.rbegin(); it != copies.rend() && !end; ++it) end = *it;
    if (!IsW(end, "p")) {
      end = NewW(doc, "p");
      xmlAddPrevSibling(finalSection, end);
    }
    xmlNode* properties = FirstW(end, "pPr");
    if (!properties) {
      properties = NewW(doc, "pPr");
      if (end->children) xmlAddPrevSibling(end->children, properties);
      else xmlAddChild(end, properties);
    }
    xmlNode* section = CloneFor(finalSection, properties);
    if (xmlNode* change = FirstW(properties, "pPrChange")) xmlAddPrevSibling(change, section);
    else xmlAddChild(properties, section);
  }

  // Copies of one body would repeat bookmark names and drawing ids, which
  // must be unique in a document.
  std::vector<xmlNode*> found;
  CollectElements(body, kW, "bookmarkStart", &found);
  CollectElements(body, kW, "bookmarkEnd", &found);
  for (xmlNode* node : found) Remove(node);
  found.clear();
  CollectElements(body, kDrawing, "docPr", &found);
  for (std::size_t i = 0; i < found.size(); ++i) {
    xmlSetProp(found[i], X("id"), X(std::to_string(i + 1).c_str()));
  }

  auto merged = std::unique_ptr<WordDocument>(new WordDocument(std::move(rep)));
  merged->SetMainDocumentType(-1);
  return merged;
}

FlowDocument WordDocument::Flow() const {
  FlowDocument flow;
  RunStyle base;
  base.size = rep_->DefaultTextSize();
  BlocksFlow(rep_->Body(), base, &flow);
  if (xmlNode* section = rep_->FinalSection()) {
    if (xmlNode* size = FirstW(section, "pgSz")) {
      flow.page.width = Twips(size, "w", flow.page.width);
      flow.page.height = Twips(size, "h", flow.page.height);
    }
    if (xmlNode* margins = FirstW(section, "pgMar")) {
      flow.page.left = Twips(margins, "left", flow.page.left);
      flow.page.right = Twips(margins, "right", flow.page.right);
      flow.page.top = Twips(margins, "top", flow.page.top);
      flow.page.bottom = Twips(margins, "bottom", flow.page.bottom);
    }
  }
  // Margins that leave no room for text are ignored.
  if (flow.page.left + flow.page.right > flow.page.width - 72) flow.page.left = flow.page.right = 36;
  if (flow.page.top + flow.page.bottom > flow.page.height - 72) flow.page.top = flow.page.bottom = 36;
  return flow;
}

}  // namespace qx::automation::wordprocessor
