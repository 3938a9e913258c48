// The data dictionary's services: definitions by table and number, the
// dictionary record files, field lists, and the temporary sort indexes.
#include "qxabase/dictionary.h"

#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "field_dictionary.h"
#include "internal.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "ravadodo.h"
#include "records/dictionary.h"

namespace {

constexpr int kMsgUnknownField = 1961;  // %1 field, %2 table
constexpr int kMsgNoIndexField = 1963;  // %1 file

// --- Record files of the dictionary ---------------------------------------------

// A record of the field dictionary (file 95): the table name, then the
// definition.  Key 0: the table name (without case) and the field number.
#pragma pack(push, 1)
struct FieldDictRecord {
  char table[32];
  DictFieldDef def;
};
// A record of the journals' column dictionary WQXACCOL.DB (file 94).
struct ColumnDictRecord {
  char table[12];    // blank-padded ("Apth")
  char caption[16];  // NUL-ended
  std::int16_t column;
  std::uint8_t rest[100];  // zero; bytes 30-31 complete the key's 32-bit column number
};
#pragma pack(pop)
static_assert(sizeof(FieldDictRecord) == 117);
static_assert(sizeof(ColumnDictRecord) == 130);
static_assert(offsetof(ColumnDictRecord, column) == 28);

void Put16(std::uint8_t* p, unsigned v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

// One 16-byte key segment.
void Segment(std::uint8_t* p, unsigned offset, unsigned length, std::uint8_t type, unsigned flags) {
  std::memset(p, 0, kKeySegmentSize);
  Put16(p, offset + 1);  // positions count from 1
  Put16(p + 2, length);
  Put16(p + 4, flags | kKeyFlagExtendedType);
  p[10] = type;
}

std::vector<std::uint8_t> FileSpec(unsigned recordLength, unsigned keys) {
  std::vector<std::uint8_t> spec(kFileSpecSize, 0);
  Put16(spec.data(), recordLength);
  Put16(spec.data() + 2, 4096);
  spec[4] = static_cast<std::uint8_t>(keys);
  return spec;
}

// Makes a record file at `path` holding `records` (each `length` bytes).
int WriteRecordFile(const std::string& path, unsigned length, const std::vector<std::uint8_t>& keySegments,
                    const std::vector<std::vector<std::uint8_t>>& records) {
  const std::vector<std::uint8_t> spec = FileSpec(length, 1);
  int status = BtrvCreate(path.c_str(), spec.data(), keySegments.data(), true);
  if (status != kStatusOk) return status;
  BtrvHandle h = 0;
  status = BtrvOpen(&h, path.c_str(), kOpenNormal, 0);
  if (status != kStatusOk) return status;
  BtrvTransaction(kOpBeginTransaction);
  for (const auto& r : records) {
    char key[255] = {};
    status = BtrvWriteOp(kOpInsert, h, key, r.data(), length);
    if (status != kStatusOk) break;
  }
  BtrvTransaction(status == kStatusOk ? kOpEndTransaction : kOpAbortTransaction);
  BtrvClose(h);
  return status;
}

int WriteFieldDictionary(const std::string& path) {
  std::vector<std::vector<std::uint8_t>> records;
  for (const qxb::TableEntry& t : qxb::FieldTables()) {
    for (const qxb::FieldEntry& e : t.fields) {
      FieldDictRecord r{};
      std::strncpy(r.table, t.name, sizeof r.table - 1);
      qxb::FillDefinition(t, e, &r.def);
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
      records.emplace_back(bytes, bytes + sizeof r);
    }
  }
  std::vector<std::uint8_t> segments(2 * kKeySegmentSize);
  Segment(segments.data(), 0, sizeof FieldDictRecord::table, kKeyTypeString, kKeyFlagSegmented | kKeyFlagNoCase);
  Segment(segments.data() + kKeySegmentSize, offsetof(FieldDictRecord, def) + offsetof(DictFieldDef, fieldNumber),
          2, kKeyTypeInteger, 0);
  return WriteRecordFile(path, sizeof(FieldDictRecord), segments, records);
}

// The columns the journals offer for selection: their dictionary table, the
// column number (a field of the header file's table) and the caption.
struct Column {
  const char* table;
  int column;
  const char* caption;
};
constexpr Column kColumns[] = {
    {"Apth", 1, "Transaction No."}, {"Apth", 2, "Vendor Code"},  {"Apth", 3, "Invoice No."},
    {"Apth", 4, "Reference"},       {"Apth", 5, "Type"},         {"Apth", 9, "Date"},
    {"Apth", 11, "Invoice Date"},   {"Apth", 12, "Due Date"},    {"Apth", 13, "Disc. Available"},
    {"Arth", 1, "Transaction No."}, {"Arth", 2, "Customer Code"}, {"Arth", 3, "Invoice No."},
    {"Arth", 4, "Reference"},       {"Arth", 5, "Type"},         {"Arth", 9, "Date"},
    {"Arth", 11, "Invoice Date"},   {"Arth", 12, "Due Date"},    {"Arth", 13, "Disc. Available"},
    {"Inhd", 1, "Type"},            {"Inhd", 2, "Invoice No."},  {"Inhd", 4, "Customer Code"},
    {"Inhd", 6, "Department"},      {"Inhd", 32, "Date"},        {"Inhd", 33, "Tax Code"},
    {"Inhd", 35, "Name"},           {"Pohd", 1, "Type"},         {"Pohd", 2, "P.O. No."},
    {"Pohd", 4, "Vendor Code"},     {"Pohd", 5, "Document Code"}, {"Pohd", 6, "Department"},
    {"Pohd", 32, "Date"},           {"Pohd", 33, "Tax Code"},    {"Pohd", 35, "Name"},
    {"Asth", 1, "Transaction No."}, {"Asth", 2, "Product No."},  {"Asth", 3, "Reference"},
    {"Asth", 4, "Date"},            {"Asth", 5, "Quantity"},     {"Asth", 6, "Value"},
    {"Chth", 1, "Journal"},         {"Chth", 2, "Transaction No."}, {"Chth", 3, "Bank Account"},
    {"Chth", 4, "Check/Deposit"},   {"Chth", 5, "Reference"},    {"Chth", 6, "Paid To"},
    {"Chth", 15, "Date"},           {"Chth", 17, "Amount"},      {"Chth", 18, "Payee Name"},
};

int WriteColumnDictionary(const std::string& path) {
  std::vector<std::vector<std::uint8_t>> records;
  for (const Column& c : kColumns) {
    ColumnDictRecord r{};
    std::memset(r.table, ' ', sizeof r.table);
    std::memcpy(r.table, c.table, std::strlen(c.table));
    std::strncpy(r.caption, c.caption, sizeof r.caption - 1);
    r.column = static_cast<std::int16_t>(c.column);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
    records.emplace_back(bytes, bytes + sizeof r);
  }
  std::vector<std::uint8_t> segments(2 * kKeySegmentSize);
  Segment(segments.data(), 0, sizeof ColumnDictRecord::table, kKeyTypeString, kKeyFlagSegmented);
  Segment(segments.data() + kKeySegmentSize, offsetof(ColumnDictRecord, column), 4, kKeyTypeInteger, 0);
  return WriteRecordFile(path, sizeof(ColumnDictRecord), segments, records);
}

// The field dictionary this program reads: the installation's in the
// data-dictionary folder.  An installation that lacks it (or the journals'
// column dictionary beside it) has both made there; where that folder cannot
// be written, a copy of the field dictionary in the temporary folder serves.
std::string FieldDictionaryPath() {
  const std::string installed = FilePathGet(kFileFieldDictionary);
  const std::string columns = FilePathGet(kFileColumnDictionary);
  if (!installed.empty()) {
    if (BtrvFileExists(installed.c_str()) == kStatusOk && BtrvFileExists(columns.c_str()) == kStatusOk) {
      return installed;
    }
    std::error_code ec;
    const char* folder = SharedAppBlockGet()->dictFolder;
    std::filesystem::create_directories(folder, ec);
    if (DictionaryFilesWrite(folder) == kStatusOk) return installed;
  }
  static std::string copy;
  static int copyFor = 0;
  const std::string folder = TempFolderGet();
  if (folder.empty()) return "";
  // A fork's child gets a temporary folder of its own.
  if (copy.empty() || copyFor != ::getpid() || copy.rfind(folder, 0) != 0) {
    const std::string path = qxb::JoinPath(folder, FileTableName(kFileFieldDictionary));
    if (WriteFieldDictionary(path) != kStatusOk) return "";
    copy = path;
    copyFor = ::getpid();
  }
  return copy;
}

void UnknownField(int field, std::string_view table) {
  const std::string t(table.substr(0, table.find_last_not_of(' ') + 1));
  MsgShowArgsList(kMsgUnknownField, 0, 0, 1,
                  {MsgArg{MsgArg::Kind::kNumber, nullptr, field, 0}, MsgArg{MsgArg::Kind::kText, t.c_str(), 0, 0}});
}

// --- Temporary indexes -------------------------------------------------------------

std::map<BtrvHandle, int>& MadeIndexes() {
  static std::map<BtrvHandle, int> made;
  return made;
}

// The number of the key BtrvCreateIndex made last on `handle`: supplementary
// keys are numbered after the file's keys and the handle's other added keys,
// so it is the highest number the handle accepts.
int LastKeyNumber(BtrvHandle handle) {
  int last = -1;
  for (int k = 0; k < 128 && BtrvSetKey(handle, k, -1) == kStatusOk; ++k) last = k;
  return last;
}

}  // namespace

// --- Definitions ---------------------------------------------------------------------

const char* DictTableOf(int fileNo) { return qxb::TableNameOfFile(fileNo & ~kFileModeMask); }

const DictFieldDef* DictFieldFind(const char* tableName, int fieldNumber) {
  static std::map<std::pair<const qxb::TableEntry*, int>, DictFieldDef> defs;
  const qxb::TableEntry* t = qxb::FindTable(tableName ? tableName : "");
  if (t == nullptr) return nullptr;
  const qxb::FieldEntry* e = qxb::FindField(*t, fieldNumber);
  if (e == nullptr) return nullptr;
  auto [it, added] = defs.try_emplace({t, fieldNumber});
  if (added) qxb::FillDefinition(*t, *e, &it->second);
  return &it->second;
}

int DictQueryInit(BtrvHandle* handle) {
  if (handle == nullptr) return kStatusInvalidOperation;
  *handle = 0;
  const std::string path = FieldDictionaryPath();
  if (path.empty()) return kStatusFileNotFound;
  return BtrvOpen(handle, path.c_str(), kOpenReadOnly, 0);
}

int DictQueryJoin(BtrvHandle handle, int fieldNumber, const char* tableName, DictFieldDef* def) {
  if (def == nullptr) return kStatusInvalidOperation;
  std::memset(def, 0, sizeof *def);
  const std::string_view asked = tableName ? tableName : "";
  const qxb::TableEntry* t = qxb::FindTable(asked);
  if (t == nullptr) {
    UnknownField(fieldNumber, asked);
    return kStatusKeyNotFound;
  }
  char key[255] = {};
  std::strncpy(key, t->name, sizeof FieldDictRecord::table - 1);
  const std::int16_t number = static_cast<std::int16_t>(fieldNumber);
  std::memcpy(key + sizeof FieldDictRecord::table, &number, sizeof number);
  FieldDictRecord r{};
  const int status = BtrvGetOp(kOpGetEqual, handle, key, &r, sizeof r);
  if (status == kStatusKeyNotFound) {
    UnknownField(fieldNumber, asked);
    return status;
  }
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpGetEqual, kFileFieldDictionary, 0);
    return status;
  }
  *def = r.def;
  return kStatusOk;
}

int DictQueryLink(void* segment16, const DictFieldDef* def, int* needsCollating) {
  if (needsCollating) *needsCollating = 0;
  if (segment16 == nullptr || def == nullptr || def->length <= 0) return 1;
  unsigned flags = kKeyFlagDuplicates | kKeyFlagModifiable;
  if (def->keyType == kKeyTypeString && (def->flags & kDictNoCase)) flags |= kKeyFlagNoCase;
  Segment(static_cast<std::uint8_t*>(segment16), static_cast<unsigned>(def->offset),
          static_cast<unsigned>(def->length), def->keyType, flags);
  return 0;
}

int DictFieldListCount(const void* list) {
  if (list == nullptr) return 0;
  std::int16_t n = 0;
  std::memcpy(&n, list, sizeof n);
  return n;
}

const DictFieldDef* DictFieldListAt(const void* list, int index) {
  if (index < 0 || index >= DictFieldListCount(list)) return nullptr;
  return reinterpret_cast<const DictFieldDef*>(static_cast<const std::uint8_t*>(list) + 2 +
                                               sizeof(DictFieldDef) * static_cast<std::size_t>(index));
}

int DictFieldListBuildList(const char* tableName, int capacity, void* list, const int* fields) {
  if (list == nullptr || capacity < 2) return 2;
  std::vector<DictFieldDef> defs;
  for (const int* f = fields; f && *f != -1; ++f) {
    const DictFieldDef* d = DictFieldFind(tableName, *f);
    if (d == nullptr) {
      UnknownField(*f, tableName ? tableName : "");
      return 1;
    }
    defs.push_back(*d);
  }
  const std::size_t need = 2 + defs.size() * sizeof(DictFieldDef);
  if (need > static_cast<std::size_t>(capacity)) return 2;
  const std::int16_t n = static_cast<std::int16_t>(defs.size());
  std::memcpy(list, &n, sizeof n);
  if (!defs.empty()) std::memcpy(static_cast<std::uint8_t*>(list) + 2, defs.data(), defs.size() * sizeof(DictFieldDef));
  return 0;
}

namespace {

// A field of the record as a pick list shows it.
std::string ColumnText(const DictFieldDef& def, const unsigned char* record) {
  const unsigned char* at = record + def.offset;
  char text[128] = {};
  switch (def.valueType) {
    case kDictChar: std::snprintf(text, sizeof text, "%c", at[0] ? at[0] : ' '); break;
    case kDictText: {
      std::string s(reinterpret_cast<const char*>(at), strnlen(reinterpret_cast<const char*>(at), def.length));
      std::snprintf(text, sizeof text, "%s", s.c_str());
      break;
    }
    case kDictDate: {
      std::int32_t day = 0;
      std::memcpy(&day, at, 4);
      DateToText(text, day);
      break;
    }
    case kDictInt16: {
      std::int16_t v = 0;
      std::memcpy(&v, at, 2);
      std::snprintf(text, sizeof text, "%d", v);
      break;
    }
    case kDictInt32: {
      std::int32_t v = 0;
      std::memcpy(&v, at, 4);
      std::snprintf(text, sizeof text, "%d", v);
      break;
    }
    case kDictAmount:
    case kDictDouble: {
      double v = 0;
      std::memcpy(&v, at, 8);
      NumToText(text, v, def.valueType == kDictAmount ? 2 : def.decimals);
      break;
    }
    default: break;
  }
  return text;
}

// The width a column takes in the list: its values' and its caption's.
int ColumnWidth(const DictFieldDef& def) {
  int width = 0;
  switch (def.valueType) {
    case kDictChar: width = 4; break;
    case kDictText: width = std::min<int>(def.length - 1, 30); break;
    case kDictDate: width = 8; break;
    case kDictInt16: width = 6; break;
    case kDictInt32: width = 9; break;
    default: width = 12; break;
  }
  return std::max<int>(width, static_cast<int>(strnlen(def.caption, 12)));
}

bool RightAligned(const DictFieldDef& def) {
  return def.valueType != kDictText && def.valueType != kDictChar && def.valueType != kDictDate;
}

}  // namespace

std::string DictFieldListRow(const void* list, const void* record) {
  std::string row;
  const auto* image = static_cast<const unsigned char*>(record);
  const int count = DictFieldListCount(list);
  for (int i = 0; i < count; ++i) {
    const DictFieldDef& def = *DictFieldListAt(list, i);
    std::string value = ColumnText(def, image);
    const int width = ColumnWidth(def);
    if (static_cast<int>(value.size()) > width) value.resize(static_cast<std::size_t>(width));
    char cell[160];
    std::snprintf(cell, sizeof cell, RightAligned(def) ? "%*s" : "%-*s", width, value.c_str());
    if (i) row += "  ";
    row += cell;
  }
  return row;
}

std::string DictFieldListHeading(const void* list) {
  std::string row = " ";
  const int count = DictFieldListCount(list);
  for (int i = 0; i < count; ++i) {
    const DictFieldDef& def = *DictFieldListAt(list, i);
    char cell[160];
    const std::string caption(def.caption, strnlen(def.caption, 12));
    std::snprintf(cell, sizeof cell, RightAligned(def) ? "%*s" : "%-*s", ColumnWidth(def), caption.c_str());
    if (i) row += "  ";
    row += cell;
  }
  return row;
}

int DictionaryFilesWrite(const char* folder) {
  if (folder == nullptr || *folder == '\0') return kStatusInvalidFileName;
  const int status = WriteFieldDictionary(qxb::JoinPath(folder, FileTableName(kFileFieldDictionary)));
  if (status != kStatusOk) return status;
  return WriteColumnDictionary(qxb::JoinPath(folder, FileTableName(kFileColumnDictionary)));
}

namespace qxb {
bool TempFileKeys(const std::string& name, int* keyCount, std::vector<std::uint8_t>* segments) {
  const bool financeList = oem::CompareText(name, "TEMPCUST.DB") == 0;
  const bool selection = oem::CompareText(name, "TEMPCSVD.DB") == 0;
  const TableEntry* t = FindTable(name);
  if (t == nullptr || (!financeList && !selection)) return false;
  // TEMPCUST.DB keeps one customer's lines together in code, then invoice
  // order; TEMPCSVD.DB, whose callers give their own index, by the code.
  const int fields[] = {1, financeList ? 2 : -1};
  segments->clear();
  std::vector<const FieldEntry*> used;
  for (int f : fields)
    if (f > 0)
      if (const FieldEntry* e = FindField(*t, f)) used.push_back(e);
  segments->resize(used.size() * kKeySegmentSize);
  for (std::size_t i = 0; i < used.size(); ++i) {
    unsigned flags = kKeyFlagDuplicates | kKeyFlagModifiable | kKeyFlagNoCase;
    if (i + 1 < used.size()) flags |= kKeyFlagSegmented;
    Segment(segments->data() + i * kKeySegmentSize, used[i]->offset, used[i]->length, kKeyTypeString, flags);
  }
  *keyCount = 1;
  return true;
}
}  // namespace qxb

// --- Temporary sort indexes -------------------------------------------------------------

int TempIndexCreate(int fileNo, BtrvHandle handle, int sortField, int rankField, int thirdField) {
  TempIndexDrop(fileNo, handle);
  const char* table = DictTableOf(fileNo);
  std::vector<const DictFieldDef*> defs;
  for (int f : {sortField, rankField, thirdField}) {
    if (f < 0) continue;
    bool again = false;
    for (const DictFieldDef* d : defs) again = again || d->fieldNumber == f;
    if (again) continue;
    const DictFieldDef* d = DictFieldFind(table, f);
    if (d == nullptr) {
      UnknownField(f, table);
      return kStatusInvalidKeyNumber;
    }
    defs.push_back(d);
  }
  if (defs.empty()) {
    MsgShowArgsList(kMsgNoIndexField, 0, 0, 1, {MsgArg{MsgArg::Kind::kNumber, nullptr, fileNo & ~kFileModeMask, 0}});
    return kStatusInvalidKeyNumber;
  }
  std::vector<std::uint8_t> spec(defs.size() * kKeySegmentSize);
  for (std::size_t i = 0; i < defs.size(); ++i) {
    std::uint8_t* seg = spec.data() + i * kKeySegmentSize;
    DictQueryLink(seg, defs[i], nullptr);
    if (i + 1 < defs.size()) Put16(seg + 4, static_cast<unsigned>(seg[4] | (seg[5] << 8)) | kKeyFlagSegmented);
  }
  const bool ownWait = std::strcmp(MsgWaitTopKey(), "RSMsgCreateIndex") != 0;
  const int wait = ownWait ? MsgWaitOpen("RSMsgCreateIndex", 0) : 0;
  const int status = BtrvCreateIndex(handle, static_cast<unsigned>(spec.size()), spec.data());
  if (wait) MsgWaitClose(wait);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kOpCreateIndex, fileNo & ~kFileModeMask, 0);
    return status;
  }
  const int key = LastKeyNumber(handle);
  BtrvSetKey(handle, key, -1);
  MadeIndexes()[handle] = key;
  return kStatusOk;
}

int TempIndexDrop(int, BtrvHandle handle) {
  auto& made = MadeIndexes();
  auto it = made.find(handle);
  if (it == made.end()) return kStatusOk;
  const int key = it->second;
  made.erase(it);
  return BtrvDropIndex(handle, key);
}

int TempIndexKey(BtrvHandle handle) {
  auto it = MadeIndexes().find(handle);
  return it == MadeIndexes().end() ? -1 : it->second;
}
