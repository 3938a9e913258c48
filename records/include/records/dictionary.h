// The data dictionary: every record file of a company, by `RecordFileNo`.
//
// One table (kFiles, in dictionary.cpp) gives for each file its name in the
// company folder, its record length, whether its records vary in length, its
// keys (segments: offset, length, type, flags) and the layout of its records.
// It is the one source the loader, the dumper and the base library use to
// create files (CreateSpecification feeds BtrvCreate) and to read and write
// records by field name.
//
// Key numbers are the record manager's: a key's position in FileDef::keys.
// Where the commands read a key number beyond keys whose contents nothing
// fixes, the table fills the gap with a placeholder key in the order of key 0
// (allowing duplicates), so that the numbered keys stand where the commands
// expect them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "records/field.h"

namespace records {

// The files of a company.
enum RecordFileNo : int {
  kFileGLAccounts = 1,
  kFilePayablesOpenInvoices = 2,
  kFilePayablesDetails = 3,
  kFilePayablesHeaders = 4,
  kFileReceivablesOpenInvoices = 5,
  kFileReceivablesDetails = 6,
  kFileReceivablesHeaders = 7,
  kFileBillsOfMaterials = 8,
  kFileNotes = 9,
  kFileAssemblyComponents = 10,
  kFileAssemblyHeaders = 11,
  kFileBillingCodes = 12,
  kFileBackOrders = 13,
  kFileCheckRegister = 14,
  kFileCashLines = 17,
  kFileCashHeaders = 18,
  kFileCustomerHistoryDetails = 19,
  kFileCustomerHistory = 20,
  kFileCustomerAddresses = 21,
  kFileCustomers = 22,
  kFileTranSequences = 23,
  kFileGLLines = 26,
  kFileGLHeaders = 27,
  kFileSettings = 29,
  kFileBillingLines = 31,
  kFileBillingHeaders = 32,
  kFileMessageCodes = 35,
  kFilePhysicalCounts = 36,
  kFilePurchasingCodes = 37,
  kFileOrderLines = 38,
  kFileOrderHeaders = 39,
  kFilePurchasingLines = 40,
  kFilePurchasingHeaders = 41,
  kFilePriceBreaks = 42,
  kFileProducts = 43,
  kFileServices = 52,
  kFileSalesHistory = 53,
  kFileSerialNumbers = 54,
  kFileSerialMovements = 55,
  kFileSalespersons = 56,
  kFileTerms = 57,
  kFileTaxCodes = 58,
  kFileVendorHistoryDetails = 59,
  kFileVendorHistory = 60,
  kFileVendorAddresses = 61,
  kFileInventoryTransactions = 62,
  kFileVendor1099Amounts = 63,
  kFileUsers = 64,
  kFileVendors = 66,
  kFileCustomerUserData = 67,
  kFileVendorUserData = 68,
  kFileProductUserData = 69,
  kFileServiceUserData = 70,
  kFilePayablesOpenInvoiceHeaders = 71,
  kFileReceivablesOpenInvoiceHeaders = 72,
  kFileAuditLog = 75,
  kFilePromotions = 77,
  kFilePromotionDetails = 78,
  kFilePromotionCustomers = 79,
  kFileQuoteHeaders = 81,
  kFileQuoteLines = 82,
  kFile1099Batches = 84,
  kFileMasterItemMembers = 85,
  kFileMasterItems = 86,
  kFileReportMru = 88,  // remembered report parameters (records/report_mru.h)
  kFileAutoComplete = 104,
  kFileProductPictures = 105,  // a file of ours: the picture of a product
};

// One segment of a key.  `type` is a KeyType of btrvc.h.
struct KeySegment {
  std::uint16_t offset;
  std::uint16_t length;
  std::uint8_t type;
  bool noCase;  // a string compared without case
};

inline constexpr std::size_t kMaxKeySegments = 6;

struct KeyDef {
  std::uint8_t segmentCount;
  KeySegment segments[kMaxKeySegments];
  bool duplicates;  // several records may share the key
  bool modifiable;  // an update may change the key

  constexpr std::span<const KeySegment> Segments() const { return {segments, segmentCount}; }
  constexpr std::size_t Length() const {
    std::size_t n = 0;
    for (const KeySegment& s : Segments()) n += s.length;
    return n;
  }
};

struct FileDef {
  int number;                 // RecordFileNo
  const char* name;           // the file's name in the company folder
  std::uint16_t recordLength; // the record length; for a variable-length file the longest record
  bool variableLength;        // records of several lengths (the settings file)
  std::span<const KeyDef> keys;
  const Layout* layout;       // the records' layout; null for a variable-length file
  std::span<const RecordVariant> variants;  // variable-length file: the layouts by key
};

// Every file of the dictionary, in file-number order.
std::span<const FileDef> AllFiles();

// The file with `number`, or null.
const FileDef* FindFile(int number);

// The file called `name` (compared without case), or null.
const FileDef* FindFile(std::string_view name);

// The layout that a record of `file` with the byte image `image` has: the
// file's layout, or, in a variable-length file, the layout its key names.
// Null when the key names no layout the system knows.
const Layout* LayoutOf(const FileDef& file, std::span<const std::uint8_t> image);

// The layout of the variable-length record whose key is `key`, or null.
const Layout* VariantLayout(const FileDef& file, std::string_view key);

// The file and key specification that BtrvCreate takes: a 16-byte file
// specification followed by one 16-byte segment per key segment.
std::vector<std::uint8_t> CreateSpecification(const FileDef& file);

// True when every file of the dictionary is consistent: keys inside the
// record, key lengths within the record manager's limit, layouts that fit the
// record length, and names and numbers that occur once.  Checked by the tests.
bool DictionaryIsConsistent();

}  // namespace records
