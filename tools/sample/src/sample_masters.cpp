// The sample company: settings, chart of accounts, customers, vendors,
// products and services, open invoices and the posted history that makes
// the account balances agree with them.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include <fmt/format.h>

#include "builder.h"
#include "daynumber.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace sample {

// ---- Small helpers ------------------------------------------------------------------

std::uint64_t Random::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int Random::Between(int lo, int hi) {
  if (hi <= lo) return lo;
  const auto span = static_cast<std::uint64_t>(hi - lo) + 1;
  return lo + static_cast<int>(Next() % span);
}

double Random::Amount(double lo, double hi) {
  const auto cents = static_cast<long long>(std::llround((hi - lo) * 100));
  const auto pick = cents > 0 ? static_cast<long long>(Next() % static_cast<std::uint64_t>(cents + 1)) : 0;
  return Cents(lo + static_cast<double>(pick) / 100.0);
}

// Adding 0.0 makes a negative zero a zero: a balance paid off is stored as 0.
double Cents(double value) { return std::round(value * 100.0) / 100.0 + 0.0; }

std::string DateText(std::int32_t day) {
  const daynum::CivilDate c = daynum::ToCivil(day);
  return fmt::format("{:04}-{:02}-{:02}", c.year, c.month, c.day);
}

std::string TranNo(long number) { return fmt::format("{:>10}", number); }

bool RaisesBalance(bool receivables, char lineType) {
  switch (lineType) {
    case 'P': return false;
    case 'C': return !receivables;
    case 'D': return receivables;
    default: return true;  // invoices, finance charges
  }
}

double LineEffect(bool receivables, char lineType, double amount, double discount) {
  return RaisesBalance(receivables, lineType) ? amount : -(amount + discount);
}

std::int32_t Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return daynum::FromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

namespace {

constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// The chart of accounts: the summary tree ('G') and the detail accounts ('D').
// Kinds: 1 asset, 2 liability (and the credit-balance contra asset), 3 equity,
// 4 revenue, 5 cost and expense (and the debit-balance contra revenue).
struct ChartLine {
  const char* code;
  const char* parent;
  const char* name;
  char level;
  int kind;
  char type;
};
constexpr ChartLine kChart[] = {
    {"1000", "", "ASSETS", '1', 1, 'G'},
    {"1001", "1000", "CURRENT ASSETS", '2', 1, 'G'},
    {acct::kCash, "1001", "Cash - Operating Account", '3', 1, 'D'},
    {acct::kPayrollCash, "1001", "Cash - Payroll Account", '3', 1, 'D'},
    {acct::kReceivables, "1001", "Accounts Receivable", '3', 1, 'D'},
    {acct::kInventory, "1001", "Inventory", '3', 1, 'D'},
    {acct::kPrepaid, "1001", "Prepaid Insurance", '3', 1, 'D'},
    {"1002", "1000", "FIXED ASSETS", '2', 1, 'G'},
    {acct::kEquipment, "1002", "Furniture and Equipment", '3', 1, 'D'},
    {acct::kDepreciation, "1002", "Accumulated Depreciation", '3', 2, 'D'},
    {"2000", "", "LIABILITIES", '1', 2, 'G'},
    {acct::kPayables, "2000", "Accounts Payable", '2', 2, 'D'},
    {acct::kSalesTax, "2000", "Sales Tax Payable - State", '2', 2, 'D'},
    {acct::kCityTax, "2000", "Sales Tax Payable - City", '2', 2, 'D'},
    {acct::kAccrued, "2000", "Accrued Liabilities", '2', 2, 'D'},
    {acct::kLoan, "2000", "Bank Loan", '2', 2, 'D'},
    {"3000", "", "EQUITY", '1', 3, 'G'},
    {acct::kCapital, "3000", "Owner's Capital", '2', 3, 'D'},
    {acct::kRetained, "3000", "Retained Earnings", '2', 3, 'D'},
    {"4000", "", "REVENUE", '1', 4, 'G'},
    {acct::kSales, "4000", "Sales - Merchandise", '2', 4, 'D'},
    {acct::kServiceSales, "4000", "Sales - Services", '2', 4, 'D'},
    {acct::kReturns, "4000", "Sales Returns and Allowances", '2', 5, 'D'},
    {acct::kFinanceCharges, "4000", "Finance Charge Income", '2', 4, 'D'},
    {acct::kFreight, "4000", "Freight Charged", '2', 4, 'D'},
    {acct::kPurchaseDiscounts, "4000", "Purchase Discounts", '2', 4, 'D'},
    {"5000", "", "COST OF SALES", '1', 5, 'G'},
    {acct::kCostOfGoods, "5000", "Cost of Goods Sold", '2', 5, 'D'},
    {acct::kAssemblyLabour, "5000", "Assembly Labour Applied", '2', 5, 'D'},
    {acct::kAdjustments, "5000", "Inventory Adjustments", '2', 5, 'D'},
    {acct::kFreightIn, "5000", "Freight In", '2', 5, 'D'},
    {acct::kSalesDiscounts, "5000", "Sales Discounts", '2', 5, 'D'},
    {"6000", "", "OPERATING EXPENSES", '1', 5, 'G'},
    {acct::kRent, "6000", "Rent", '2', 5, 'D'},
    {acct::kWages, "6000", "Wages and Salaries", '2', 5, 'D'},
    {acct::kUtilities, "6000", "Utilities", '2', 5, 'D'},
    {acct::kOfficeSupplies, "6000", "Office Supplies and Postage", '2', 5, 'D'},
    {acct::kAdvertising, "6000", "Advertising", '2', 5, 'D'},
    {acct::kInsurance, "6000", "Insurance", '2', 5, 'D'},
    {acct::kBankCharges, "6000", "Bank Charges", '2', 5, 'D'},
    {acct::kProfessionalFees, "6000", "Professional Fees", '2', 5, 'D'},
    {acct::kDepreciationExpense, "6000", "Depreciation", '2', 5, 'D'},
};

const Terms kTerms[] = {
    {"N30", 0, 30, 0}, {"2N30", 10, 30, 2}, {"N15", 0, 15, 0}, {"N60", 0, 60, 0}, {"COD", 0, 0, 0},
};

struct PartyLine {
  const char* code;
  const char* name;
  const char* address;
  const char* cityLine;
  const char* zip;
  const char* phone;
  char type;
  const char* terms;
  const char* salesperson;
  double creditLimit;
  bool form1099;
};

constexpr PartyLine kCustomers[] = {
    {"ALDERMED", "Alder Medical Group", "2210 Alder Street", "Port Alden, WA 98370", "98370",
     "(360) 5550117", 'O', "N30", "JM", 15000, false},
    {"BAYVIEW", "Bayview Property Management", "77 Waterfront Drive", "Port Alden, WA 98370",
     "98370", "(360) 5550188", 'O', "2N30", "JM", 10000, false},
    {"CEDARLAW", "Cedar & Finch Law Office", "14 Court Square", "Kingsport, WA 98346", "98346",
     "(360) 5550231", 'O', "N30", "AR", 8000, false},
    {"DUNMORE", "Dunmore Public Library", "500 Library Way", "Dunmore, WA 98383", "98383",
     "(360) 5550390", 'O', "N60", "AR", 12000, false},
    {"ELMCREST", "Elmcrest Elementary School", "3100 Elm Avenue", "Port Alden, WA 98370", "98370",
     "(360) 5550412", 'O', "N30", "KT", 9000, false},
    {"FOXGLOVE", "Foxglove Design Studio", "8 Mill Lane, Unit 3", "Kingsport, WA 98346", "98346",
     "(360) 5550476", 'O', "N15", "KT", 5000, false},
    {"GRANITE", "Granite Peak Builders", "1900 Quarry Road", "Silverton, WA 98381", "98381",
     "(360) 5550523", 'O', "2N30", "PL", 20000, false},
    {"HOLLOWAY", "Holloway Dental Care", "62 Harbor Lane", "Port Alden, WA 98370", "98370",
     "(360) 5550590", 'O', "N30", "PL", 6000, false},
    {"IRONWOOD", "Ironwood Fitness Center", "455 Summit Boulevard", "Silverton, WA 98381", "98381",
     "(360) 5550634", 'B', "N30", "JM", 7000, false},
    {"JUNIPER", "Juniper Café", "3 Market Street", "Port Alden, WA 98370", "98370",
     "(360) 5550671", 'B', "N15", "AR", 3000, false},
    {"KESTREL", "Kestrel Auto Repair", "1201 Industrial Way", "Kingsport, WA 98346", "98346",
     "(360) 5550712", 'C', "COD", "KT", 0, false},
    {"LAKESIDE", "Lakeside Walk-in Customer", "", "Port Alden, WA 98370", "98370", "", 'C', "COD",
     "PL", 0, false},
};

constexpr PartyLine kVendors[] = {
    {"PAPERMILL", "Northgate Paper Mill", "1 Pulp Road", "Everton, WA 98201", "98201",
     "(425) 5550101", 'O', "N30", "", 25000, false},
    {"INKWELL", "Inkwell Writing Instruments", "88 Quill Street", "Seaforth, OR 97035", "97035",
     "(503) 5550140", 'O', "2N30", "", 10000, false},
    {"CLEANPRO", "CleanPro Janitorial Supply", "740 Depot Avenue", "Everton, WA 98201", "98201",
     "(425) 5550177", 'O', "N30", "", 8000, false},
    {"HARDLINE", "Hardline Tool Distributors", "2600 Forge Street", "Tacombe, WA 98402", "98402",
     "(253) 5550219", 'O', "N60", "", 15000, false},
    {"OAKDESK", "Oakdesk Furniture Makers", "19 Timber Lane", "Millbrook, WA 98273", "98273",
     "(360) 5550266", 'O', "N30", "", 12000, false},
    {"RIVERPROP", "Riverside Properties LLC", "400 River Road", "Port Alden, WA 98370", "98370",
     "(360) 5550301", 'O', "N15", "", 5000, true},
    {"BYTEWISE", "Bytewise IT Consulting", "12 Circuit Court", "Kingsport, WA 98346", "98346",
     "(360) 5550345", 'O', "N30", "", 5000, true},
    {"CITYUTIL", "City of Port Alden Utilities", "City Hall, 1 Main Street", "Port Alden, WA 98370",
     "98370", "(360) 5550399", 'O', "N15", "", 2000, false},
};

struct ProductLine {
  const char* number;
  const char* description;
  const char* unit;
  const char* department;
  const char* bin;
  int type;
  int purchaseFactor;
  int salesFactor;
  double cost;   // per purchaseFactor units
  double price;  // per salesFactor units
  double quantity;
  const char* vendor;
  const char* warehouse;
  bool assembly;
};

// What a product is sold and reordered by: the selling measure, the vendor's
// own number, the minimum (whole sales units) and the reorder quantity
// (whole purchase units), beside kProducts line for line.  The toner and the
// drill stand below their minimum.
struct ProductOrdering {
  const char* sellingMeasure;
  const char* vendorPartNumber;
  int minimum;
  int reorder;
};

constexpr ProductLine kProducts[] = {
    {"PAP-A4-500", "Copy paper A4, 500 sheets", "REAM", "OF", "A-01", 1, 5, 1, 19.75, 6.49, 240, "PAPERMILL", "MAI", false},
    {"PAP-LTR-500", "Copy paper letter, 500 sheets", "REAM", "OF", "A-02", 1, 5, 1, 18.50, 5.99, 180, "PAPERMILL", "MAI", false},
    {"PAP-A4-WST", "Copy paper A4, west store", "REAM", "OF", "W-01", 1, 5, 1, 19.75, 6.49, 60, "PAPERMILL", "WST", false},
    {"PEN-BLK-12", "Ballpoint pens black, box 12", "BOX", "OF", "B-03", 1, 12, 1, 30.00, 4.49, 144, "INKWELL", "MAI", false},
    {"PEN-BLU-12", "Ballpoint pens blue, box 12", "BOX", "OF", "B-03", 1, 12, 1, 30.00, 4.49, 96, "INKWELL", "MAI", false},
    {"MRK-WB-4", "Whiteboard markers, 4 pack", "PACK", "OF", "B-04", 1, 6, 1, 15.60, 4.25, 54, "INKWELL", "MAI", false},
    {"STAPLER-HD", "Heavy-duty stapler", "EACH", "OF", "B-07", 1, 1, 1, 14.20, 24.95, 18, "HARDLINE", "MAI", false},
    {"STAPLES-5M", "Staples, box of 5000", "BOX", "OF", "B-07", 1, 10, 1, 11.00, 2.29, 120, "HARDLINE", "MAI", false},
    {"NOTE-3X3", "Sticky notes 3x3, 12 pads", "PACK", "OF", "B-05", 1, 10, 1, 32.00, 5.95, 70, "INKWELL", "MAI", false},
    {"FLD-MAN-100", "Manila folders, box of 100", "BOX", "OF", "C-02", 1, 4, 1, 36.00, 13.50, 40, "PAPERMILL", "MAI", false},
    {"TNR-LJ-85A", "Laser toner cartridge 85A", "EACH", "OF", "C-05", 1, 1, 1, 48.00, 79.00, 12, "INKWELL", "MAI", false},
    {"CLN-ALL-1G", "All-purpose cleaner, 1 gallon", "GAL", "JN", "D-01", 1, 4, 1, 22.00, 8.95, 32, "CLEANPRO", "MAI", false},
    {"CLN-GLS-32", "Glass cleaner, 32 oz", "EACH", "JN", "D-01", 1, 12, 1, 30.00, 3.75, 48, "CLEANPRO", "MAI", false},
    {"TWL-PPR-CS", "Paper towels, case of 12 rolls", "CASE", "JN", "D-02", 1, 1, 1, 21.50, 34.95, 25, "CLEANPRO", "MAI", false},
    {"GLV-NIT-100", "Nitrile gloves, box of 100", "BOX", "JN", "D-03", 3, 10, 1, 65.00, 11.25, 60, "CLEANPRO", "MAI", false},
    {"DRL-18V", "Cordless drill 18V", "EACH", "WS", "E-01", 1, 1, 1, 64.00, 109.00, 8, "HARDLINE", "MAI", false},
    {"SCR-ASST-200", "Screw assortment, 200 pieces", "BOX", "WS", "E-02", 1, 6, 1, 27.00, 8.49, 36, "HARDLINE", "MAI", false},
    {"TAPE-MSK-24", "Masking tape 24 mm", "ROLL", "WS", "E-03", 1, 24, 1, 31.20, 2.35, 96, "HARDLINE", "MAI", false},
    {"TAPE-PKG-6", "Packing tape roll, sold by 6", "ROLL", "WS", "E-03", 1, 36, 6, 57.60, 14.95, 72, "HARDLINE", "MAI", false},
    {"GIFTWRAP", "Gift wrapping service", "EACH", "OF", "", 2, 1, 1, 0.00, 3.50, 0, "", "MAI", false},
    {"KIT-DESK", "Desk starter kit", "KIT", "OF", "K-01", 1, 1, 1, 0, 59.00, 4, "", "MAI", true},
    {"KIT-CLEAN", "Cleaning starter kit", "KIT", "JN", "K-02", 1, 1, 1, 0, 39.00, 3, "", "MAI", true},
};

constexpr ProductOrdering kProductOrdering[] = {
    {"REAM", "PM-A4-80-500", 100, 40},   // PAP-A4-500
    {"REAM", "PM-LTR-80-500", 80, 30},   // PAP-LTR-500
    {"REAM", "PM-A4-80-500", 40, 12},    // PAP-A4-WST
    {"BOX", "IW-BP-BLK12", 48, 6},       // PEN-BLK-12
    {"BOX", "IW-BP-BLU12", 36, 4},       // PEN-BLU-12
    {"PACK", "IW-WBM-4PK", 24, 6},       // MRK-WB-4
    {"EACH", "HL-STP-HD60", 6, 12},      // STAPLER-HD
    {"BOX", "HL-STPL-5000", 40, 10},     // STAPLES-5M
    {"PACK", "IW-SN33-12", 30, 6},       // NOTE-3X3
    {"BOX", "PM-MF-100LTR", 20, 8},      // FLD-MAN-100
    {"EACH", "IW-TNR-85A", 15, 20},      // TNR-LJ-85A
    {"GAL", "CP-APC-128", 12, 6},        // CLN-ALL-1G
    {"EACH", "CP-GC-32OZ", 24, 3},       // CLN-GLS-32
    {"CASE", "CP-PT-12R", 10, 15},       // TWL-PPR-CS
    {"BOX", "CP-NG-100L", 20, 5},        // GLV-NIT-100
    {"EACH", "HL-CD18V-2B", 10, 6},      // DRL-18V
    {"BOX", "HL-SA-200", 12, 4},         // SCR-ASST-200
    {"ROLL", "HL-MT-24X55", 48, 4},      // TAPE-MSK-24
    {"PACK/6", "HL-PT-48X100", 6, 2},    // TAPE-PKG-6
    {"EACH", "", 0, 0},                  // GIFTWRAP
    {"KIT", "", 2, 0},                   // KIT-DESK: assembled here, not bought
    {"KIT", "", 2, 0},                   // KIT-CLEAN
};
static_assert(std::size(kProductOrdering) == std::size(kProducts));

// What is promised and ordered of some products (stock units), their tax
// letter and the price-break tables of their price levels A to F.  The
// toner, the drill, the screws and the gloves stand at or under their
// minimum once what is committed is taken off.
struct ProductStockLine {
  const char* number;
  double committed;
  double onOrder;
  char taxCode;
  const char* priceTables[6];
};
constexpr ProductStockLine kProductStock[] = {
    {"PAP-A4-500", 20, 0, 'T', {"QTY10", "PREF5", "BULK", "", "CASE", ""}},
    {"PAP-LTR-500", 0, 0, 'T', {"QTY10", "PREF5", "", "", "", ""}},
    {"PEN-BLK-12", 12, 0, 'T', {"QTY10", "", "", "DLR1", "", "FLAT2"}},
    {"TNR-LJ-85A", 2, 8, 'T', {"PREF5", "", "", "", "", ""}},
    {"DRL-18V", 0, 0, 'T', {"", "", "", "", "", ""}},
    {"SCR-ASST-200", 24, 30, 'T', {"BULK", "", "", "", "", ""}},
    {"GLV-NIT-100", 45, 25, 'T', {"CASE", "", "", "", "", ""}},
    {"GIFTWRAP", 0, 0, 'N', {"", "", "", "", "", ""}},
};

struct ServiceLine {
  const char* code;
  const char* description;
  const char* unit;
  const char* department;
  double rate;
  double cost;
};
constexpr ServiceLine kServices[] = {
    {"INSTALL", "Installation labour", "HOUR", "WS", 65.00, 0},
    {"REPAIR", "Repair labour", "HOUR", "WS", 72.00, 0},
    {"DELIVERY", "Local delivery", "TRIP", "OF", 25.00, 0},
    {"CONSULT", "Office layout consulting", "HOUR", "OF", 90.00, 0},
    {"TRAINING", "Equipment training", "HOUR", "OF", 55.00, 0},
    {"ASSEMBLY", "Kit assembly labour", "HOUR", "OF", 40.00, 22.00},
};

// This year's sales of each service (hours or trips) and how many days ago
// it was last sold; a service never sold has no date.
struct ServiceSalesLine {
  const char* code;
  double units;
  int daysSinceLastSale;  // -1: never sold
};
constexpr ServiceSalesLine kServiceSales[] = {
    {"INSTALL", 46.5, 3}, {"REPAIR", 18, 9},     {"DELIVERY", 64, 1},
    {"CONSULT", 12.5, 21}, {"TRAINING", 0, -1}, {"ASSEMBLY", 7.5, 12},
};

struct BomEntry {
  const char* assembly;
  const char* component;
  double units;
};
constexpr BomEntry kBom[] = {
    {"KIT-DESK", "STAPLER-HD", 1},  {"KIT-DESK", "PEN-BLK-12", 2}, {"KIT-DESK", "PAP-A4-500", 1},
    {"KIT-DESK", "NOTE-3X3", 1},    {"KIT-DESK", "ASSEMBLY", 0.25},
    {"KIT-CLEAN", "CLN-ALL-1G", 1}, {"KIT-CLEAN", "CLN-GLS-32", 2}, {"KIT-CLEAN", "GLV-NIT-100", 1},
    {"KIT-CLEAN", "ASSEMBLY", 0.25},
};

// Words for the parties and products of a scaled company.
const std::vector<std::string> kFirstWords = {
    "Acorn", "Beacon", "Cobalt", "Delta", "Ember", "Falcon", "Garnet", "Harbor", "Indigo", "Jasper",
    "Keystone", "Linden", "Meridian", "Northstar", "Orchard", "Pinecrest", "Quarry", "Redwood",
    "Summit", "Tidewater", "Upland", "Valley", "Willow", "Yarrow"};
const std::vector<std::string> kSecondWords = {
    "Supply", "Dental", "Studio", "Builders", "Clinic", "Bakery", "Works", "Partners", "Motors",
    "Academy", "Logistics", "Printing", "Florist", "Outfitters", "Realty", "Consulting"};
const std::vector<std::string> kStreets = {"Main Street", "Oak Avenue", "Harbor Lane", "Mill Road",
                                           "Pine Street", "Cedar Court", "Bay Drive", "Elm Way"};
const std::vector<std::string> kTowns = {"Port Alden, WA 98370", "Kingsport, WA 98346",
                                         "Silverton, WA 98381", "Dunmore, WA 98383"};
const std::vector<std::string> kItems = {"Binder", "Clipboard", "Envelope", "Label", "Marker",
                                         "Notebook", "Ruler", "Scissors", "Sponge", "Stapler",
                                         "Tape", "Toner", "Wrench", "Bucket", "Brush", "Lamp"};
const std::vector<std::string> kItemKinds = {"small", "large", "blue", "black", "heavy-duty",
                                             "economy", "premium", "recycled"};

}  // namespace

// ---- Builder basics ------------------------------------------------------------------

Builder::Builder(const Options& options, fixture::CompanyImage* company)
    : options_(options), company_(company), random_(options.seed) {}

void Builder::Add(int file, const Json& record) {
  if (!error_.empty()) return;
  const records::FileDef* def = records::FindFile(file);
  std::vector<std::uint8_t> image;
  fixture::FieldProblem problem;
  if (!def || !fixture::EncodeRecord(*def, record, &image, &problem)) {
    error_ = fmt::format("sample record of file {} refused: {}: {}", file, problem.field, problem.message);
    return;
  }
  company_->files[file].push_back(std::move(image));
}

Json Builder::OpenItemLine(const Party& party, const std::string& invoice, std::int32_t invoiceDate, char type,
                           double amount, std::int32_t date, double discount, const std::string& reference,
                           char status) {
  const Terms& terms = TermsOf(party.terms);
  const char precedence = type == 'I' ? '1' : type == 'D' ? '2' : type == 'C' ? '3' : '4';
  Json r{{"code", party.code},
         {"invoiceNumber", invoice},
         {"precedence", std::string(1, precedence)},
         {"reference", reference},
         {"lineType", std::string(1, type)},
         {"status", std::string(1, status)},
         {"precedenceCode", std::string(1, precedence)},
         {"itemNumber", nextItemNumber_++},
         {"dueDate", DateText(invoiceDate + terms.dueDays)},
         {"secondDate", DateText(invoiceDate + terms.discountDays)},
         {"invoiceDate", DateText(date)},
         {"amount", amount},
         {"precedenceByte", std::string(1, precedence)}};
  if (discount != 0) r["discount"] = discount;
  return r;
}

void Builder::TakeIntoParty(bool receivables, char type, double amount, double discount, std::int32_t date,
                            Party* party) {
  const bool raises = RaisesBalance(receivables, type);
  party->balance = Cents(party->balance + LineEffect(receivables, type, amount, discount));
  const bool thisPeriod = date >= periodStart_;
  const bool thisYear = daynum::ToCivil(date).year == year_;
  // What raises a customer's balance is a debit; a vendor's, a credit.
  if (raises) {
    if (thisPeriod) (receivables ? party->periodDebits : party->periodCredits) += amount;
    if (type == 'I' && date >= party->lastInvoiceDate) {
      party->lastInvoiceDate = date;
      party->lastInvoiceAmount = amount;
    }
    if (type == 'I' && thisYear) {
      ++party->invoicesThisYear;
      party->grossThisYear += amount;
    }
  } else {
    if (thisPeriod) (receivables ? party->periodCredits : party->periodDebits) += amount + discount;
    if (type == 'P') {
      if (date >= party->lastPaymentDate) {
        party->lastPaymentDate = date;
        party->lastPaymentAmount = amount;
      }
      if (thisYear) party->paymentsThisYear += amount;
    }
  }
}

std::int32_t Builder::Day(int daysBack) const { return today_ - daysBack; }

std::int32_t Builder::PeriodDay() { return random_.Between(periodStart_, today_); }

std::int32_t Builder::PeriodKey(std::int32_t date) const { return records::PeriodKeyOf(periods_, date); }

long Builder::NextNumber(const std::string& journal) { return ++sequences_.at(journal); }

Account& Builder::AccountOf(const std::string& code) { return accounts_[accountIndex_.at(code)]; }

void Builder::Book(const std::string& account, int entry, double debit) {
  Account& a = AccountOf(account);
  a.periods[static_cast<std::size_t>(entry)] += a.DebitKind() ? debit : -debit;
}

const Terms& Builder::TermsOf(const std::string& code) const {
  for (const Terms& t : terms_) {
    if (t.code == code) return t;
  }
  return terms_.front();
}

Product* Builder::FindProduct(const std::string& number) {
  for (Product& p : products_) {
    if (p.number == number) return &p;
  }
  return nullptr;
}

Party* Builder::FindParty(std::vector<Party>& parties, const std::string& code) {
  for (Party& p : parties) {
    if (p.code == code) return &p;
  }
  return nullptr;
}

bool Builder::Build(std::string* error) {
  if (options_.customers < 0 || options_.products < 0 || options_.openItems < 0 ||
      options_.transactions < 0) {
    *error = "the sizes of a sample company cannot be negative";
    return false;
  }
  if (options_.customers > 999999 || options_.products > 999999) {
    *error = "a sample company holds at most 999999 customers and 999999 products";
    return false;
  }
  today_ = options_.today ? options_.today : Today();
  const daynum::CivilDate civil = daynum::ToCivil(today_);
  if (civil.year < 1901 || civil.year > 9998) {
    *error = "the sample company's date must lie between 1901 and 9998";
    return false;
  }
  year_ = civil.year;
  month_ = civil.month;
  periodStart_ = daynum::FromCivil(year_, month_, 1);

  MakePeriods();
  AddSettings();
  MakeChart();
  AddReferenceFiles();
  MakeParties();
  MakeProducts();
  AddOpenInvoices();
  AddInventoryHistory();
  AddActivityHistory();
  AddCheckRegisterAndLogs();
  AddUnpostedTransactions();
  MakeLedgerHistory();
  PostCashTransactions();
  AddAccounts();
  AddParties();
  AddProducts();
  AddSequences();
  AddPurgeableRecords();
  if (!error_.empty()) {
    *error = error_;
    return false;
  }
  return true;
}

// ---- Settings ------------------------------------------------------------------------

void Builder::MakePeriods() {
  periods_.periodsPerYear = 12;
  periods_.nextOpenPeriod = static_cast<std::int16_t>(month_);
  for (int year = 0; year < 2; ++year) {
    for (int m = 1; m <= 12; ++m) {
      records::PeriodEntry& e = periods_.entries[year * 13 + m - 1];
      e.status = year == 0 && m < month_ ? 'C' : 'O';
      e.startDate = daynum::FromCivil(year_ + year, m, 1);
      e.endDate = daynum::FromCivil(year_ + year, m, daynum::DaysInMonth(year_ + year, m));
      std::snprintf(e.label, sizeof e.label, "%s %02d", kMonths[m - 1], (year_ + year) % 100);
    }
  }
  // Every journal of the G/L starts its numbers at 1000.
  for (const char* journal : {"GJ", "AR", "AP", "CR", "CD", "BI", "PO", "IA", "AS", "IN"}) {
    sequences_[journal] = 1000;
  }
}

double Builder::MonthShare(int m) const {
  if (m < month_ - 1) return 1.0;
  return std::max(0.15, (today_ - periodStart_ + 1) / 30.0);
}

void Builder::AddSettings() {
  using records::kFileSettings;
  Add(kFileSettings, Json{{"key", "0Company"},
                          {"name", "Bramblewood Trading Co."},
                          {"addressLine1", "418 Harbor Lane"},
                          {"addressLine2", "Suite 200"},
                          {"cityStateZip", "Port Alden, WA 98370"},
                          {"phone", "(360) 5550142"},
                          {"federalId", "91-4827365"},
                          {"stateNumber", "603-118-442"}});

  Json entries = Json::array();
  for (int i = 0; i < 25; ++i) {
    const records::PeriodEntry& e = periods_.entries[i];
    if (e.startDate == 0) {
      entries.push_back(Json::object());
      continue;
    }
    entries.push_back(Json{{"status", std::string(1, e.status)},
                           {"label", std::string(e.label)},
                           {"startDate", DateText(e.startDate)},
                           {"endDate", DateText(e.endDate)}});
  }
  Add(kFileSettings, Json{{"key", "0Periods"},
                          {"periodsPerYear", 12},
                          {"nextOpenPeriod", month_},
                          {"entries", entries}});

  // 'C': one company adjustment account for physical inventory; the billing
  // accounts take the customer's segment, which the sample's customers leave
  // blank, so the plain interface accounts are used.
  Add(kFileSettings, Json{{"key", "0Interface"},
                          {"glMode", "C"},
                          {"cashAccount", acct::kCash},
                          {"receivablesAccount", acct::kReceivables},
                          {"payablesAccount", acct::kPayables},
                          {"inventoryAccount", acct::kInventory},
                          {"costOfGoodsAccount", acct::kCostOfGoods},
                          {"salesAccount", acct::kSales},
                          {"salesReturnsAccount", acct::kReturns},
                          {"financeChargeAccount", acct::kFinanceCharges},
                          {"receivablesDiscountAccount", acct::kSalesDiscounts},
                          {"payablesDiscountAccount", acct::kPurchaseDiscounts},
                          {"closingAccount", acct::kRetained},
                          {"serviceComponentAccount", acct::kAssemblyLabour},
                          {"freightAccount", acct::kFreight}});

  Add(kFileSettings, Json{{"key", "0TransInfo"},
                          {"statementFooterAmounts", "Y"},
                          {"statementOption", "Y"},
                          {"statementDetailLines", 1}});
  Add(kFileSettings, Json{{"key", "0System"}});

  Json periodsOfAging = Json::array();
  const struct {
    const char* label;
    int from, to;
  } kAging[] = {// "Current" also takes the items not yet due (negative days past due),
                // so that the period columns of a report foot to its balance.
                {"Current", -9999, 30},    {"31-60", 31, 60},   {"61-90", 61, 90},     {"91-120", 91, 120},
                {"121-150", 121, 150}, {"151-180", 151, 180}, {"Over 180", 181, 9999}};
  for (const auto& a : kAging) periodsOfAging.push_back(Json{{"label", a.label}, {"fromDays", a.from}, {"toDays", a.to}});
  Add(kFileSettings, Json{{"key", "0Schedule"}, {"customerPeriods", periodsOfAging}, {"vendorPeriods", periodsOfAging}});

  // The texts of statements, letters and labels: the installation's (a
  // user's F3 edit makes the company's own); letters and labels print the
  // address lines as they are.
  Add(kFileSettings, Json{{"key", "0MergeForms"},
                          {"closingLine", "N"},
                          {"addressBottom", "N"},
                          {"addressApart", "N"},
                          {"lettersSamePage", "N"},
                          {"texts", Json::array({"statement.txt", "statement-invoice.txt", "customer-letter.txt",
                                                 "vendor-letter.txt", "labels.txt"})}});
  Add(kFileSettings, Json{{"key", "0Statements"},
                          {"lines", Json::array({"", "", "Thank you for your business.",
                                                 "We appreciate your prompt payment.",
                                                 "Your account has an amount past due.",
                                                 "Please send the past-due amount today.",
                                                 "Your account is more than 30 days late.",
                                                 "Please call us to arrange payment.",
                                                 "Your account is seriously past due.",
                                                 "New orders are held until it is paid."})}});
}

// ---- Chart of accounts -------------------------------------------------------------

void Builder::MakeChart() {
  for (const ChartLine& line : kChart) {
    Account a;
    a.code = line.code;
    a.parent = line.parent;
    a.name = line.name;
    a.level = line.level;
    a.kind = line.kind;
    a.type = line.type;
    accountIndex_[a.code] = accounts_.size();
    accounts_.push_back(std::move(a));
  }
}

// ---- Terms, salespeople, taxes and the other code files ------------------------------

void Builder::AddReferenceFiles() {
  for (const Terms& t : kTerms) {
    terms_.push_back(t);
    Json r{{"code", t.code}, {"type", "D"}, {"dueDays", t.dueDays}};
    if (t.discountPercent > 0) {
      r["termsText"] = fmt::format("{}%", t.discountPercent);
      r["discountDays"] = t.discountDays;
    }
    Add(records::kFileTerms, r);
  }

  const std::pair<const char*, const char*> kSalespeople[] = {
      {"JM", "Jordan Mills"}, {"AR", "Ana Reyes"}, {"KT", "Kenji Tanaka"}, {"PL", "Priya Laghari"}};
  int salespersonIndex = 0;
  for (const auto& [code, name] : kSalespeople) {
    Json sales = Json::array(), lastYear = Json::array(), commissions = Json::array();
    for (int m = 0; m < 12; ++m) {
      const double s = m < month_ ? random_.Amount(6000, 14000) : 0;
      sales.push_back(s);
      commissions.push_back(Cents(s * 0.05));
      lastYear.push_back(random_.Amount(5500, 13000));
    }
    Json salesperson{{"code", code},
                     {"name", name},
                     {"lastYearSales", lastYear},
                     {"sales", sales},
                     {"commissions", commissions}};
    AddCommission(&salesperson, salespersonIndex++);
    Add(records::kFileSalespersons, salesperson);
  }

  // The state tax's period amounts follow the billing tax the ledger books
  // each month (MakeLedgerHistory books the same figures).
  Json taxable = Json::array(), tax = Json::array();
  for (int m = 0; m < month_; ++m) {
    monthlyTax_[m] = Cents(random_.Amount(900, 1600) * MonthShare(m));
    taxable.push_back(Cents(monthlyTax_[m] / 0.065));
    tax.push_back(monthlyTax_[m]);
  }
  Add(records::kFileTaxCodes, Json{{"code", "ST"},
                                   {"billingRate", 6.5},
                                   {"billingAccounts", Json::array({Json{{"account", acct::kSalesTax}, {"rate", 6.5}}})},
                                   {"billingTaxable", taxable},
                                   {"billingTax", tax}});
  Add(records::kFileTaxCodes,
      Json{{"code", "CT"},
           {"billingRate", 8.25},
           {"billingAccounts", Json::array({Json{{"account", acct::kSalesTax}, {"rate", 6.25}},
                                            Json{{"account", acct::kCityTax}, {"rate", 2.0}}})}});
  Add(records::kFileTaxCodes, Json{{"code", "EX"}});

  Add(records::kFileMessageCodes, Json{{"code", "THANK"}, {"text", "Thank you for your business"}});
  Add(records::kFileMessageCodes, Json{{"code", "PAST"}, {"text", "Your account is past due"}});
  Add(records::kFileUsers, Json{{"userId", "ADMIN"}, {"name", "Administrator"}});
  Add(records::kFileUsers, Json{{"userId", "CLERK"}, {"name", "Accounts Clerk"}});
  Add(records::kFileUsers, Json{{"userId", "CONTROLLER"}, {"name", "Controller"}});

  Add(records::kFileBillingCodes, Json{{"code", "FRT"}, {"description", "Freight charge"}, {"glAccount", acct::kFreight}, {"price", 12.50}});
  Add(records::kFileBillingCodes, Json{{"code", "SETUP"}, {"description", "Setup fee"}, {"glAccount", acct::kServiceSales}, {"price", 45.00}});
  Add(records::kFileBillingCodes, Json{{"code", "RSTK"}, {"description", "Restocking fee"}, {"glAccount", acct::kSales}, {"price", 15.00}});
  Add(records::kFilePurchasingCodes, Json{{"code", "FRTIN"}, {"description", "Freight in"}, {"glAccount", acct::kFreightIn}});
  Add(records::kFilePurchasingCodes, Json{{"code", "HANDL"}, {"description", "Handling charge"}, {"glAccount", acct::kOfficeSupplies}, {"price", 5.00}});

  Add(records::kFilePriceBreaks,
      Json{{"tableCode", "QTY10"},
           {"description", "Quantity discount"},
           {"rounding", "P"},
           {"levels", Json::array({Json{{"limit", 10}, {"percent", 5}}, Json{{"limit", 50}, {"percent", 10}},
                                   Json{{"limit", 100}, {"percent", 15}}})},
           {"type", "Q"}});
  Add(records::kFilePriceBreaks, Json{{"tableCode", "PREF5"},
                                      {"description", "Preferred customer discount"},
                                      {"rounding", "N"},
                                      {"type", "P"},
                                      {"amount", 5.0}});
  Add(records::kFilePriceBreaks,
      Json{{"tableCode", "BULK"},
           {"description", "Bulk buyer ladder"},
           {"rounding", "D"},
           {"levels", Json::array({Json{{"limit", 12}, {"percent", 2.5}}, Json{{"limit", 24}, {"percent", 5}},
                                   Json{{"limit", 48}, {"percent", 7.5}}, Json{{"limit", 96}, {"percent", 10}},
                                   Json{{"limit", 500}, {"percent", 12.5}}})},
           {"type", "Q"}});
  Add(records::kFilePriceBreaks, Json{{"tableCode", "CASE"},
                                      {"description", "Full case discount"},
                                      {"rounding", "$"},
                                      {"levels", Json::array({Json{{"limit", 24}, {"percent", 4}}})},
                                      {"type", "Q"}});
  Add(records::kFilePriceBreaks, Json{{"tableCode", "DLR1"},
                                      {"description", "One dollar off"},
                                      {"type", "D"},
                                      {"amount", 1.0}});
  Add(records::kFilePriceBreaks, Json{{"tableCode", "FLAT2"},
                                      {"description", "Contract flat price"},
                                      {"rounding", "P"},
                                      {"type", "F"},
                                      {"amount", 27.5}});
}

// ---- Customers and vendors ----------------------------------------------------------

namespace {

Party PartyFrom(const PartyLine& line) {
  Party p;
  p.code = line.code;
  p.name = line.name;
  p.address = line.address;
  p.cityLine = line.cityLine;
  p.zip = line.zip;
  p.phone = line.phone;
  p.accountType = line.type;
  p.terms = line.terms;
  p.salesperson = line.salesperson;
  p.creditLimit = line.creditLimit;
  p.form1099 = line.form1099;
  return p;
}

}  // namespace

void Builder::MakeParties() {
  const int customers = options_.customers ? options_.customers : static_cast<int>(std::size(kCustomers));
  for (int i = 0; i < customers; ++i) {
    if (i < static_cast<int>(std::size(kCustomers))) {
      customers_.push_back(PartyFrom(kCustomers[i]));
      continue;
    }
    Party p;
    p.code = fmt::format("C{:06}", i + 1);
    p.name = fmt::format("{} {} {}", random_.Pick(kFirstWords), random_.Pick(kSecondWords), i + 1);
    p.address = fmt::format("{} {}", random_.Between(1, 9999), random_.Pick(kStreets));
    p.cityLine = random_.Pick(kTowns);
    p.zip = p.cityLine.substr(p.cityLine.size() - 5);
    p.phone = fmt::format("(360) 555{:04}", random_.Between(0, 9999));
    const int kind = random_.Between(1, 20);
    p.accountType = kind <= 16 ? 'O' : kind <= 18 ? 'B' : 'C';
    p.terms = p.accountType == 'C' ? "COD" : random_.Chance(30) ? "2N30" : "N30";
    p.salesperson = random_.Pick(std::vector<std::string>{"JM", "AR", "KT", "PL"});
    p.creditLimit = p.accountType == 'C' ? 0 : random_.Between(2, 30) * 1000.0;
    customers_.push_back(std::move(p));
  }
  for (const PartyLine& line : kVendors) vendors_.push_back(PartyFrom(line));
}

// ---- Products and services -----------------------------------------------------------

void Builder::MakeProducts() {
  for (const ServiceLine& s : kServices) {
    services_.push_back(Service{s.code, s.description, s.unit, s.department, s.rate, s.cost});
  }
  const int count = options_.products ? options_.products : static_cast<int>(std::size(kProducts));
  for (int i = 0; i < count; ++i) {
    Product p;
    if (i < static_cast<int>(std::size(kProducts))) {
      const ProductLine& line = kProducts[i];
      p.number = line.number;
      p.description = line.description;
      p.unit = line.unit;
      p.department = line.department;
      p.bin = line.bin;
      p.type = line.type;
      p.purchaseFactor = line.purchaseFactor;
      p.salesFactor = line.salesFactor;
      p.cost = line.cost;
      p.price = line.price;
      p.quantity = line.quantity;
      p.vendor = line.vendor;
      p.warehouse = line.warehouse;
      p.assembly = line.assembly;
      const ProductOrdering& ordering = kProductOrdering[i];
      p.sellingMeasure = ordering.sellingMeasure;
      p.vendorPartNumber = ordering.vendorPartNumber;
      p.minimum = ordering.minimum;
      p.reorder = ordering.reorder;
    } else {
      p.number = fmt::format("P{:06}", i + 1);
      p.description = fmt::format("{} {} #{}", random_.Pick(kItems), random_.Pick(kItemKinds), i + 1);
      p.unit = "EACH";
      p.department = random_.Pick(std::vector<std::string>{"OF", "JN", "WS"});
      p.bin = fmt::format("{}-{:02}", static_cast<char>('A' + random_.Between(0, 7)), random_.Between(1, 40));
      p.purchaseFactor = random_.Pick(std::vector<int>{1, 1, 6, 10, 12, 24});
      p.cost = random_.Amount(2, 60) * p.purchaseFactor;
      p.price = Cents(p.cost / p.purchaseFactor * 1.6 + 0.49);
      p.quantity = random_.Between(0, 40) * p.purchaseFactor;
      p.vendor = random_.Pick(vendors_).code;
      // Ordering figures follow from the product's number, so that the
      // generator's other figures stay those of the same seed.
      p.sellingMeasure = p.unit;
      p.vendorPartNumber = fmt::format("{}-{:06}", p.vendor.substr(0, 3), i + 1);
      p.minimum = p.purchaseFactor * (2 + i % 3);
      p.reorder = 3 + i % 5;
    }
    // The average cost has drifted a little from the last cost.
    p.averageCost = std::round(p.cost * random_.Between(970, 1030) / 1000.0 * 10000.0) / 10000.0;
    products_.push_back(std::move(p));
  }
  // Assemblies take their cost from their components; only whole bills of
  // materials (every component present) are kept.
  for (Product& kit : products_) {
    if (!kit.assembly) continue;
    double cost = 0;
    bool whole = true;
    std::vector<BomLine> lines;
    for (const BomEntry& b : kBom) {
      if (kit.number != b.assembly) continue;
      lines.push_back(BomLine{b.assembly, b.component, b.units});
      if (const Product* c = FindProduct(b.component)) {
        cost += c->UnitCost() * b.units;
      } else {
        auto s = std::find_if(services_.begin(), services_.end(),
                              [&](const Service& sv) { return sv.code == b.component; });
        if (s == services_.end()) whole = false;
        else cost += s->cost * b.units;
      }
    }
    if (!whole) {
      kit.assembly = false;
      kit.quantity = 0;
      continue;
    }
    kit.cost = kit.averageCost = Cents(cost);
    bom_.insert(bom_.end(), lines.begin(), lines.end());
  }
}

// ---- Open invoices -------------------------------------------------------------------

void Builder::AddOpenInvoices() {
  // Ages of open invoices: most current, some 31-60, fewer older.
  auto age = [&] {
    const int bucket = random_.Between(1, 100);
    if (bucket <= 45) return random_.Between(1, 30);
    if (bucket <= 70) return random_.Between(31, 60);
    if (bucket <= 85) return random_.Between(61, 90);
    if (bucket <= 95) return random_.Between(91, 120);
    return random_.Between(121, 200);
  };
  long& invoiceNumber = nextInvoice_;

  // One line of an open invoice; posted lines change the party's figures.
  struct LineAdder {
    Builder& b;
    bool receivables;
    Party& party;
    std::map<std::string, std::pair<double, double>>& headers;  // invoice -> amount, balance
    std::map<std::string, std::int32_t>& dates;

    void operator()(const std::string& invoice, char type, double amount, std::int32_t date,
                    double discount, const std::string& reference, char status = 'P') {
      const std::int32_t invoiceDate = dates.count(invoice) ? dates[invoice] : date;
      Json r = b.OpenItemLine(party, invoice, invoiceDate, type, amount, date, discount, reference, status);
      if (status == 'F') {
        r["origin"] = "B";
        r["dueDate"] = r["secondDate"] = r["invoiceDate"];
      }
      b.Add(receivables ? records::kFileReceivablesOpenInvoices : records::kFilePayablesOpenInvoices, r);
      auto& [total, balance] = headers[invoice];
      if (RaisesBalance(receivables, type)) total += amount;
      balance = Cents(balance + LineEffect(receivables, type, amount, discount));
      dates.try_emplace(invoice, date);
      b.TakeIntoParty(receivables, type, amount, discount, date, &party);
    }
  };

  auto addFor = [&](bool receivables, Party& party, int lines) {
    std::map<std::string, std::pair<double, double>> headers;
    std::map<std::string, std::int32_t> dates;
    LineAdder add{*this, receivables, party, headers, dates};
    const Terms& terms = TermsOf(party.terms);
    if (party.accountType == 'B') {
      // Balance forward: last period's balance in one line, then this
      // period's invoices and a payment.
      const std::int32_t closed = periodStart_ - 1;
      const std::string forward = std::to_string(closed);
      add(forward, 'I', random_.Amount(300, 2000), closed, 0, "BALFORWARD", 'F');
      for (int i = 1; i < lines; ++i) {
        const std::string invoice = std::to_string(++invoiceNumber);
        add(invoice, 'I', random_.Amount(80, 900), PeriodDay(), 0, "Invoice");
      }
      add(forward, 'P', Cents(headers[forward].second * 0.6), PeriodDay(), 0, "Payment");
    } else {
      int made = 0;
      while (made < lines) {
        const std::string invoice = receivables ? std::to_string(++invoiceNumber)
                                                : fmt::format("{}-{}", party.code.substr(0, 3), random_.Between(1000, 99999));
        if (headers.count(invoice)) continue;
        const std::int32_t date = Day(age());
        const double amount = random_.Amount(120, 3500);
        add(invoice, 'I', amount, date, 0, "Invoice");
        ++made;
        if (made < lines && random_.Chance(35)) {
          // A part payment, a few days to weeks later (never after today).
          const std::int32_t paid = std::min(today_, date + random_.Between(5, 40));
          const double discount = terms.discountPercent > 0 && paid - date <= terms.discountDays
                                      ? Cents(amount * terms.discountPercent / 100) : 0;
          add(invoice, 'P', Cents(amount * random_.Between(20, 80) / 100.0), paid, discount, "Payment");
          ++made;
        }
        if (made < lines && random_.Chance(8)) {
          // An allowance for damaged goods: a credit memo to a customer, a
          // debit memo to a vendor; either lowers the balance.
          add(invoice, receivables ? 'C' : 'D', random_.Amount(10, 60), std::min(today_, date + 3), 0,
              receivables ? "Credit" : "Debit memo");
          ++made;
        }
      }
    }
    for (const auto& [invoice, figures] : headers) {
      const int headerFile =
          receivables ? records::kFileReceivablesOpenInvoiceHeaders : records::kFilePayablesOpenInvoiceHeaders;
      const std::size_t at = company_->files[headerFile].size();
      Add(headerFile,
          Json{{"code", party.code},
               {"invoiceNumber", invoice},
               {"invoiceDate", DateText(dates[invoice])},
               {"dueDate", DateText(dates[invoice] + terms.dueDays)},
               {"amount", figures.first},
               {"balance", figures.second}});
      if (figures.second > 0.005) {
        openInvoiceHeaderAt_[{headerFile, party.code, invoice}] = at;
        party.openInvoices.push_back(invoice);
        (receivables ? receivableItems_ : payableItems_)
            .push_back(OpenItem{party.code, invoice, 0, figures.second, dates[invoice]});
      }
    }
  };

  // Receivables: the open-item lines are shared among the customers that
  // keep open items; balance-forward customers have a few lines each.
  int openItemCustomers = 0;
  for (const Party& c : customers_) openItemCustomers += c.accountType == 'O';
  const int perCustomer = options_.openItems && openItemCustomers
                              ? std::max(1, options_.openItems / openItemCustomers) : 0;
  int remaining = options_.openItems;
  int seen = 0;
  for (Party& c : customers_) {
    if (c.accountType == 'C') continue;
    if (c.accountType == 'B') {
      addFor(true, c, 3);
      continue;
    }
    ++seen;
    int lines = perCustomer ? (seen == openItemCustomers ? std::max(1, remaining) : perCustomer)
                            : random_.Between(2, 6);
    remaining -= lines;
    addFor(true, c, lines);
  }
  for (Party& v : vendors_) addFor(false, v, random_.Between(1, 4));

  // Statements: every third customer that keeps open items has an invoice
  // paid in full a month ago, which a statement leaves out unless asked to
  // show it.  Amounts and dates follow from the customer's place, so the
  // rest of the company stays as the seed makes it.
  int place = 0;
  for (Party& c : customers_) {
    if (c.accountType != 'O' || place++ % 3 != 0) continue;
    std::map<std::string, std::pair<double, double>> headers;
    std::map<std::string, std::int32_t> dates;
    LineAdder add{*this, true, c, headers, dates};
    const std::string invoice = fmt::format("PD{:04d}", place);
    const double amount = 150 + 25 * (place % 7);
    add(invoice, 'I', amount, Day(65), 0, "Invoice");
    add(invoice, 'P', amount, Day(35), 0, "Payment");
    Add(records::kFileReceivablesOpenInvoiceHeaders,
        Json{{"code", c.code},
             {"invoiceNumber", invoice},
             {"invoiceDate", DateText(Day(65))},
             {"dueDate", DateText(Day(65) + TermsOf(c.terms).dueDays)},
             {"amount", amount},
             {"balance", 0.0}});
  }
}

// ---- Posted inventory activity ---------------------------------------------------------

void Builder::AddInventoryHistory() {
  long purchaseNumber = 5000, invoiceNumber = 23000;
  for (Product& p : products_) {
    if (p.type == 2) continue;
    auto activity = [&](std::int32_t date, char kind, char source, char second, double quantity,
                        double unitCost, const std::string& document, const std::string& reference) {
      AddPostedActivity(p, source == 'M' ? purchaseNumber : invoiceNumber, date, kind, source, second, quantity,
                        unitCost, Cents(quantity / p.purchaseFactor * unitCost), document, reference);
    };
    if (p.quantity <= 0) continue;
    if (p.assembly) {
      const std::int32_t date = Day(random_.Between(20, 60));
      activity(date, '1', 'A', 'A', p.quantity, p.averageCost, fmt::format("ASM{}", ++purchaseNumber),
               "Assembly");
      continue;
    }
    // A purchase some weeks ago, then sales since; the purchase is never more
    // than what is on hand now and was sold since, so the history starts
    // from a quantity of zero or more.
    std::vector<double> sold(static_cast<std::size_t>(random_.Between(1, 3)));
    double totalSold = 0;
    for (double& q : sold) totalSold += q = p.salesFactor * static_cast<double>(random_.Between(1, 6));
    const std::int32_t bought = Day(random_.Between(35, 80));
    const double lot = std::min(p.purchaseFactor * static_cast<double>(random_.Between(2, 8)),
                                p.quantity + totalSold);
    ++purchaseNumber;
    activity(bought, '1', 'M', 'I', lot, p.cost, fmt::format("PO{}", purchaseNumber), "Receipt");
    p.lastPurchase = bought;
    p.boughtThisYear += daynum::ToCivil(bought).year == year_ ? lot : 0;
    p.purchasesThisYear += daynum::ToCivil(bought).year == year_ ? Cents(lot / p.purchaseFactor * p.cost) : 0;
    for (double quantity : sold) {
      const std::int32_t date = Day(random_.Between(1, 34));
      ++invoiceNumber;
      activity(date, '5', 'B', 'I', -quantity, p.averageCost, std::to_string(invoiceNumber), "Invoice");
      p.lastSale = std::max(p.lastSale, date);
      if (daynum::ToCivil(date).year == year_) {
        p.soldThisYear += quantity;
        p.salesThisYear += Cents(quantity / p.salesFactor * p.price);
      }
    }
  }
}

// ---- Check register, 1099 amounts, audit log, addresses --------------------------------

// The cases of the 1099 run beside the two 1099 vendors paid every month:
// a 1099 vendor paid less than the 600.00 a form needs, one with no 1099
// amount recorded, and a vendor that is not a 1099 vendor although an
// amount was recorded for it; and the batch of last year's forms, its 1096
// transmitted.  Fixed values, so that what is drawn at random stays as it was.
void Builder::Add1099Cases(int lastYearForms, double lastYearTotal) {
  const struct {
    const char* code;
    const char* name;
    const char* street;
    const char* city;
    const char* zip;
    const char* id;
  } kVendors1099[] = {
      {"GREENWAY", "Greenway Lawn Care", "7 Meadow Lane", "Port Alden, WA 98370", "98370", "91-2345678"},
      {"SIGNPOST", "Signpost Sign Painting", "55 Harbor Street", "Kingsport, WA 98346", "98346", "92-3456789"},
  };
  for (const auto& v : kVendors1099)
    Add(records::kFileVendors, Json{{"code", v.code}, {"termsCode", "N30"}, {"vendorType", "SERV"},
                                    {"idNumber", v.id}, {"accountType", "O"}, {"form1099", "Y"}, {"name", v.name},
                                    {"addressLines", Json::array({v.street, v.city})}, {"zipCode", v.zip},
                                    {"creditLimit", 1000.0}});
  Add(records::kFileVendor1099Amounts, Json{{"vendorCode", "GREENWAY"}, {"taxYear", year_ - 1}, {"amount", 480.00}});
  Add(records::kFileVendor1099Amounts, Json{{"vendorCode", "CITYUTIL"}, {"taxYear", year_ - 1}, {"amount", 1850.00}});
  Add(records::kFile1099Batches, Json{{"name", fmt::format("B{}", year_ - 2)},
                                      {"formCount", lastYearForms},
                                      {"totalAmount", Cents(lastYearTotal * 0.9)},
                                      {"form1096", "Y"},
                                      {"contactName", "Dana Whitfield"},
                                      {"contactPhone", "(360) 5550123"},
                                      {"contactLine2", "Accounts payable"}});
}

void Builder::AddCheckRegisterAndLogs() {
  int check = 3120;
  for (int i = 0; i < 4; ++i) {
    const Party& v = vendors_[static_cast<std::size_t>(i) % vendors_.size()];
    const std::int32_t date = Day(random_.Between(35, 70));
    Add(records::kFileCheckRegister, Json{{"bankAccount", acct::kCash},
                                          {"checkNumber", std::to_string(++check)},
                                          {"transactionNumber", TranNo(NextNumber("CD"))},
                                          {"code", v.code},
                                          {"name", v.name},
                                          {"reference", "Payment"},
                                          {"status", "O"},
                                          {"entrySide", "C"},
                                          {"date", DateText(date)},
                                          {"amount", random_.Amount(200, 2500)},
                                          {"kind", "O"},
                                          {"state", "Y"}});
  }
  Add(records::kFileCheckRegister, Json{{"bankAccount", acct::kCash},
                                        {"checkNumber", "DEP-0311"},
                                        {"transactionNumber", TranNo(NextNumber("CR"))},
                                        {"name", "Deposit"},
                                        {"reference", "Deposit"},
                                        {"status", "O"},
                                        {"entrySide", "D"},
                                        {"date", DateText(Day(40))},
                                        {"amount", random_.Amount(1500, 6000)},
                                        {"kind", "S"},
                                        {"state", "Y"}});

  double lastYear1099 = 0;
  int lastYearForms = 0;
  for (const Party& v : vendors_) {
    if (!v.form1099) continue;
    const double monthly = v.code == "RIVERPROP" ? 2500.0 : random_.Amount(300, 900);
    Add(records::kFileVendor1099Amounts, Json{{"vendorCode", v.code}, {"taxYear", year_ - 1}, {"amount", Cents(monthly * 12)}});
    Add(records::kFileVendor1099Amounts, Json{{"vendorCode", v.code}, {"taxYear", year_}, {"amount", Cents(monthly * (month_ - 1))}});
    lastYear1099 += Cents(monthly * 12);
    ++lastYearForms;
  }
  Add1099Cases(lastYearForms, lastYear1099);

  const struct {
    const char* user;
    int entity;
    int change;
    const char* reference;
  } kLog[] = {{"ADMIN", 22, 1, "Customer ALDERMED added"},
              {"CLERK", 43, 2, "Product PAP-A4-500 price changed"},
              {"CONTROLLER", 1, 2, "Account 6400 renamed"}};
  int entry = 0;
  for (const auto& l : kLog) {
    ++entry;
    Add(records::kFileAuditLog, Json{{"entryNumber", entry},
                                     {"userId", l.user},
                                     {"date", DateText(Day(30 - entry * 7))},
                                     {"time", 9 * 3600 + entry * 1200},
                                     {"entityType", l.entity},
                                     {"changeType", l.change},
                                     {"reference", l.reference}});
  }

  if (!customers_.empty()) {
    const Party& c = customers_.front();
    Add(records::kFileCustomerAddresses,
        Json{{"code", c.code},
             {"addressLines", Json::array({"Receiving dock", "2230 Alder Street", c.cityLine})},
             {"phones", Json::array({c.phone})}});
    Add(records::kFileCustomerAddresses,
        Json{{"code", c.code}, {"addressLines", Json::array({"Billing office", "PO Box 410", c.cityLine})}});
  }
}

// ---- Posted ledger history ----------------------------------------------------------------
//
// Each month up to today books the company's sales, costs, purchases,
// collections, payments and expenses, every entry balanced.  The beginning
// balances are then chosen so that receivables, payables and inventory end
// where the customers', vendors' and products' own records say, and retained
// earnings balance the opening trial balance.

void Builder::MakeLedgerHistory() {
  double targetReceivables = 0, targetPayables = 0, targetInventory = 0;
  for (const Party& c : customers_) targetReceivables += c.balance;
  for (const Party& v : vendors_) targetPayables += v.balance;
  for (const Product& p : products_) targetInventory += p.Value();
  targetReceivables = Cents(targetReceivables);
  targetPayables = Cents(targetPayables);
  targetInventory = Cents(targetInventory);

  const int last = month_ - 1;
  for (int m = 0; m <= last; ++m) {
    // The current month is under way: its activity is about a part of a month.
    const double share = MonthShare(m);
    const double tax = monthlyTax_[m];
    const double sales = Cents(tax / 0.065);
    const double services = Cents(random_.Amount(1800, 4200) * share);
    const double billed = Cents(sales + services + tax);
    Book(acct::kReceivables, m, billed);
    Book(acct::kSales, m, -sales);
    Book(acct::kServiceSales, m, -services);
    Book(acct::kSalesTax, m, -tax);
    const double cost = Cents(sales * 0.58);
    Book(acct::kCostOfGoods, m, cost);
    Book(acct::kInventory, m, -cost);
    const double purchases = Cents(cost * random_.Between(90, 110) / 100.0);
    Book(acct::kInventory, m, purchases);
    Book(acct::kPayables, m, -purchases);
    const double collected = Cents(billed * random_.Between(92, 104) / 100.0);
    Book(acct::kCash, m, collected);
    Book(acct::kReceivables, m, -collected);
    const double paid = Cents(purchases * random_.Between(92, 104) / 100.0);
    Book(acct::kPayables, m, paid);
    Book(acct::kCash, m, -paid);
    if (m > 0) {
      Book(acct::kSalesTax, m, monthlyTax_[m - 1]);
      Book(acct::kCash, m, -monthlyTax_[m - 1]);
    }
    const double financeCharges = Cents(random_.Amount(10, 60) * share);
    Book(acct::kReceivables, m, financeCharges);
    Book(acct::kFinanceCharges, m, -financeCharges);
    const struct {
      const char* account;
      double lo, hi;
    } kExpenses[] = {{acct::kRent, 2500, 2500},      {acct::kWages, 8200, 9400},
                     {acct::kUtilities, 420, 700},   {acct::kOfficeSupplies, 150, 380},
                     {acct::kAdvertising, 250, 650}, {acct::kBankCharges, 25, 60},
                     {acct::kProfessionalFees, 300, 900}};
    for (const auto& e : kExpenses) {
      const double amount = Cents(random_.Amount(e.lo, e.hi) * share);
      Book(e.account, m, amount);
      Book(acct::kCash, m, -amount);
    }
    Book(acct::kInsurance, m, 250);
    Book(acct::kPrepaid, m, -250);
    Book(acct::kDepreciationExpense, m, 350);
    Book(acct::kDepreciation, m, -350);
    Book(acct::kLoan, m, 800);
    Book(acct::kCash, m, -800);
  }

  // Beginning balances.  Receivables, payables and inventory start near their
  // targets; the last month's collections, purchases and payments take up the
  // difference, so the balances come out exactly at the targets.
  auto net = [&](const char* code) {
    const Account& a = AccountOf(code);
    double sum = 0;
    for (int m = 0; m <= last; ++m) sum += a.periods[static_cast<std::size_t>(m)];
    return Cents(sum);
  };
  auto settle = [&](const char* code, double target, double begin, const char* offset) {
    const double difference = Cents(target - (begin + net(code)));
    Account& a = AccountOf(code);
    a.beginning = begin;
    // Natural-sign difference booked on the account, balanced on `offset`.
    const double debit = a.DebitKind() ? difference : -difference;
    Book(code, last, debit);
    Book(offset, last, -debit);
  };
  settle(acct::kInventory, targetInventory, Cents(std::max(targetInventory * 0.95, 500.0)), acct::kPayables);
  settle(acct::kReceivables, targetReceivables, Cents(std::max(targetReceivables * 0.85, 1000.0)), acct::kCash);
  settle(acct::kPayables, targetPayables, Cents(std::max(targetPayables * 0.9, 500.0)), acct::kCash);

  AccountOf(acct::kPayrollCash).beginning = 5000;
  AccountOf(acct::kPrepaid).beginning = 3000;
  AccountOf(acct::kEquipment).beginning = 48000;
  AccountOf(acct::kDepreciation).beginning = 12600;
  AccountOf(acct::kSalesTax).beginning = random_.Amount(900, 1400);
  AccountOf(acct::kLoan).beginning = 30000;
  AccountOf(acct::kCapital).beginning = 40000;
  const double cashNet = net(acct::kCash);
  AccountOf(acct::kCash).beginning = Cents(std::max(25000.0, random_.Amount(12000, 18000) - cashNet));

  // Retained earnings balance the opening trial balance.
  double debits = 0, credits = 0;
  for (const Account& a : accounts_) {
    if (a.type != 'D' || a.code == acct::kRetained) continue;
    (a.DebitKind() ? debits : credits) += a.beginning;
  }
  double retained = Cents(debits - credits);
  if (retained < 5000) {
    AccountOf(acct::kCapital).beginning = Cents(AccountOf(acct::kCapital).beginning - (5000 - retained));
    retained = 5000;
  }
  AccountOf(acct::kRetained).beginning = retained;

  // Last year's figures and this year's budget of the income accounts.
  for (Account& a : accounts_) {
    if (a.type != 'D') continue;
    double thisYear = 0;
    for (int m = 0; m <= last; ++m) thisYear += a.periods[static_cast<std::size_t>(m)];
    const double monthly = thisYear / month_;
    if (a.kind == 4 || a.kind == 5) {
      for (int m = 0; m < 12; ++m) {
        a.lastYearPeriods[static_cast<std::size_t>(m)] = Cents(monthly * random_.Between(85, 105) / 100.0);
        a.budget[static_cast<std::size_t>(m)] = std::round(monthly * 1.05 / 10.0) * 10.0;
      }
    } else {
      a.lastYearBeginning = Cents(a.beginning * random_.Between(85, 115) / 100.0);
    }
  }
  // A summary account's budget is the sum of its children's, as the budget
  // editor keeps it.  Children are listed after their parents.
  for (auto it = accounts_.rbegin(); it != accounts_.rend(); ++it) {
    if (it->parent.empty()) continue;
    Account& parent = AccountOf(it->parent);
    for (int m = 0; m < 13; ++m) parent.budget[static_cast<std::size_t>(m)] += it->budget[static_cast<std::size_t>(m)];
  }
}

void Builder::AddAccounts() {
  for (const Account& a : accounts_) {
    Json r{{"code", a.code}};
    if (!a.parent.empty()) r["parentCode"] = a.parent;
    r["name"] = a.name;
    r["level"] = std::string(1, a.level);
    r["kind"] = a.kind;
    r["type"] = std::string(1, a.type);
    double current = a.beginning;
    Json periods = Json::array();
    for (int m = 0; m < 12; ++m) {
      current += a.periods[static_cast<std::size_t>(m)];
      periods.push_back(Cents(a.periods[static_cast<std::size_t>(m)]));
    }
    if (a.type == 'D') {
      const bool income = a.kind == 4 || a.kind == 5;
      r["beginningBalance"] = a.beginning;
      r["currentBalance"] = Cents(current);
      double lastYear = 0;
      Json lastYearPeriods = Json::array();
      for (double v : a.lastYearPeriods) {
        lastYear += v;
        lastYearPeriods.push_back(v);
      }
      r["lastYearBeginningBalance"] = income ? 0.0 : a.lastYearBeginning;
      r["lastYearEndingBalance"] = income ? Cents(lastYear) : a.beginning;
      r["periodAmounts"] = periods;
      if (income) r["lastYearPeriodAmounts"] = lastYearPeriods;
    }
    Json budget = Json::array();
    for (double v : a.budget) budget.push_back(Cents(v));
    r["budget"] = budget;
    Add(records::kFileGLAccounts, r);
  }
}

void Builder::AddParties() {
  int partyIndex = 0;
  int customerIndex = 0, vendorIndex = 0;
  auto add = [&](const Party& p, bool customer) {
    Json r{{"code", p.code}, {"termsCode", p.terms}};
    const std::string note =
        NoteOf(p.code, customer ? customerIndex++ : vendorIndex++, sizeof(records::CustVendRecord::noteFile));
    if (!note.empty()) r["noteFile"] = note;
    AddBillingCodes(&r, p, customer, partyIndex++);
    if (customer) r["salesperson"] = p.salesperson;
    if (!customer) r["vendorType"] = p.form1099 ? "SERV" : "GOODS";
    if (p.form1099) r["idNumber"] = fmt::format("{:02}-{:07}", random_.Between(10, 99), random_.Between(0, 9999999));
    r["accountType"] = std::string(1, p.accountType);
    if (p.form1099) r["form1099"] = "Y";
    if (customer && p.accountType != 'C') r["financeChargeRate"] = 1.5;
    if (p.lastInvoiceDate) r["lastInvoiceDate"] = DateText(p.lastInvoiceDate);
    if (p.lastPaymentDate) r["lastPaymentDate"] = DateText(p.lastPaymentDate);
    r["creditLimit"] = p.creditLimit;
    const double periodStart = Cents(customer ? p.balance - p.periodDebits + p.periodCredits
                                              : p.balance - p.periodCredits + p.periodDebits);
    r["periodStartBalance"] = periodStart;
    r["periodDebits"] = Cents(p.periodDebits);
    r["periodCredits"] = Cents(p.periodCredits);
    r["balance"] = Cents(p.balance);
    r["lastInvoiceAmount"] = p.lastInvoiceAmount;
    r["lastPaymentAmount"] = p.lastPaymentAmount;
    // Statistics: slot 1 last year, slot 2 this year.
    const int lastYearCount = random_.Between(6, 30);
    const double lastYearGross = random_.Amount(2000, 30000);
    r["invoiceCounts"] = Json::array({random_.Between(4, 25), lastYearCount, p.invoicesThisYear});
    r["otherCounts"] = Json::array({0, random_.Between(0, 5), 0});
    r["grossAmounts"] = Json::array({random_.Amount(1500, 25000), lastYearGross, Cents(p.grossThisYear)});
    r["costOfGoods"] = Json::array({0.0, Cents(lastYearGross * 0.58), Cents(p.grossThisYear * 0.58)});
    r["payments"] = Json::array({0.0, Cents(lastYearGross * 0.97), Cents(p.paymentsThisYear)});
    r["name"] = p.name;
    Json lines = Json::array();
    if (!p.address.empty()) lines.push_back(p.address);
    lines.push_back(p.cityLine);
    r["addressLines"] = lines;
    r["zipCode"] = p.zip;
    if (!p.phone.empty()) r["phone1"] = p.phone;
    if (customer && p.accountType != 'C') r["minimumFinanceCharge"] = 2.0;
    Add(customer ? records::kFileCustomers : records::kFileVendors, r);
  };
  for (const Party& c : customers_) add(c, true);
  for (const Party& v : vendors_) add(v, false);
}

void Builder::AddProducts() {
  int productIndex = 0, serviceIndex = 0;
  for (const Product& p : products_) {
    Json r{{"number", p.number}, {"description", p.description}};
    if (const std::string note = NoteOf(p.number, productIndex++, sizeof(records::TagProduct::noteFile)); !note.empty())
      r["noteFile"] = note;
    if (!p.bin.empty()) r["bin"] = p.bin;
    r["unitOfMeasure"] = p.unit;
    r["sellingMeasure"] = p.sellingMeasure;
    r["department"] = p.department;
    if (!p.vendor.empty()) r["vendor"] = p.vendor;
    if (!p.vendorPartNumber.empty()) r["vendorPartNumber"] = p.vendorPartNumber;
    if (p.assembly) r["assemblyFlag"] = "Y";
    AddSaleFlags(&r, p);
    r["productType"] = p.type;
    r["purchaseUnitFactor"] = p.purchaseFactor;
    r["salesUnitFactor"] = p.salesFactor;
    r["minimumQuantity"] = p.minimum;
    r["reorderQuantity"] = p.reorder;
    if (p.lastSale) r["lastSaleDate"] = DateText(p.lastSale);
    if (p.lastPurchase) r["lastPurchaseDate"] = DateText(p.lastPurchase);
    r["sellingPrice"] = p.price;
    r["lastCost"] = p.cost;
    r["standardCost"] = p.cost;
    r["averageCost"] = p.averageCost;
    r["valueOnHand"] = p.Value();
    r["quantityOnHand"] = p.quantity;
    r["quantityAvailable"] = p.quantity;
    const double lastYearUnits = p.type == 2 ? 0 : random_.Between(2, 40) * static_cast<double>(p.salesFactor);
    const double lastYearSales = Cents(lastYearUnits / p.salesFactor * p.price);
    const double lastYearCost = Cents(lastYearUnits * p.UnitCost());
    const double cost = Cents(p.soldThisYear * p.UnitCost());
    r["purchaseUnits"] = Json::array({0.0, lastYearUnits, p.boughtThisYear});
    r["salesUnits"] = Json::array({0.0, lastYearUnits, p.soldThisYear});
    r["purchaseDollars"] = Json::array({0.0, lastYearCost, Cents(p.purchasesThisYear)});
    r["salesDollars"] = Json::array({0.0, lastYearSales, Cents(p.salesThisYear)});
    r["costOfSales"] = Json::array({0.0, lastYearCost, cost});
    r["grossProfit"] = Json::array({0.0, Cents(lastYearSales - lastYearCost), Cents(p.salesThisYear - cost)});
    // The activity history starts from these: on hand less what the posted
    // activity records add up to.
    r["purgedQuantity"] = p.quantity - p.historyQuantity;
    r["purgedAmount"] = Cents(p.Value() - p.historyValue);
    r["warehouse"] = p.warehouse;
    for (const ProductStockLine& stock : kProductStock) {
      if (p.number != stock.number) continue;
      if (stock.committed != 0) {
        r["secondQuantityOnHand"] = stock.committed;
        r["quantityAvailable"] = p.quantity - stock.committed;
      }
      if (stock.onOrder != 0) r["quantityOnOrder"] = stock.onOrder;
      r["taxCode"] = std::string(1, stock.taxCode);
      static constexpr const char* kTableFields[6] = {"priceTableA", "priceTableB", "priceTableC",
                                                      "priceTableD", "priceTableE", "priceTableF"};
      for (int t = 0; t < 6; ++t)
        if (*stock.priceTables[t] != '\0') r[kTableFields[t]] = stock.priceTables[t];
    }
    Add(records::kFileProducts, r);
  }
  for (const Service& s : services_) {
    Json r{{"code", s.code},
           {"description", s.description},
           {"department", s.department},
           {"unitOfMeasure", s.unit},
           {"unitFactor", 1},
           {"price", s.rate}};
    if (const std::string note = NoteOf(s.code, serviceIndex++, sizeof(records::ServiceRecord::noteFile));
        !note.empty())
      r["noteFile"] = note;
    for (const ServiceSalesLine& sales : kServiceSales) {
      if (s.code != sales.code) continue;
      if (sales.daysSinceLastSale >= 0) r["lastSaleDate"] = DateText(Day(sales.daysSinceLastSale));
      r["salesUnits"] = Json::array({0.0, 0.0, sales.units});
      r["salesDollars"] = Json::array({0.0, 0.0, Cents(sales.units * s.rate)});
    }
    Add(records::kFileServices, r);
  }
  for (const BomLine& b : bom_) {
    Add(records::kFileBillsOfMaterials,
        Json{{"assemblyNumber", b.assembly}, {"componentNumber", b.component}, {"unitsRequired", b.units}});
  }
  AddMasterItems();
}

void Builder::AddSequences() {
  for (const auto& [journal, last] : sequences_) {
    Add(records::kFileTranSequences, Json{{"journalCode", journal}, {"lastNumber", last}});
  }
}

bool BuildSampleCompany(const Options& options, fixture::CompanyImage* company, std::string* error) {
  company->files.clear();
  company->notes.clear();
  Builder builder(options, company);
  return builder.Build(error);
}

}  // namespace sample
