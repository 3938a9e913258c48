// The command table of group 3, one row per command id.
#include "dispatch/command_table.h"

#include <iterator>

#include "dispatch/command_entries.h"

namespace qxa3 {
namespace {

using E = CommandEntries;

// Arguments as the table writes them: `id` is the command id and `p` the
// parameter text of RunMenuCommand; any other value is passed as written.
struct CommandIdArgument {};
struct ParameterTextArgument {};
constexpr CommandIdArgument id;
constexpr ParameterTextArgument p;

constexpr int Argument(CommandIdArgument, int commandId, const char*) { return commandId; }
constexpr const char* Argument(ParameterTextArgument, int, const char* parameterText) { return parameterText; }
template <class T>
constexpr T Argument(T value, int, const char*) {
  return value;
}

template <auto Entry, auto... Arguments>
int Run(const E& entries, [[maybe_unused]] int commandId, [[maybe_unused]] const char* parameterText) {
  return (entries.*Entry)(Argument(Arguments, commandId, parameterText)...);
}

// Call<&E::RunCustVendAging, id, p>: the case calls RunCustVendAging(id, p).
template <auto Entry, auto... Arguments>
constexpr CaseRunner Call = &Run<Entry, Arguments...>;

constexpr CaseRunner kNoCase = nullptr;

constexpr CommandCase kCommandTable[] = {
    {301, Call<&E::RunGLJournal, p>},
    {302, Call<&E::RunArApJournal, id>},
    {303, Call<&E::RunArApJournal, id>},
    {304, Call<&E::RunPurchasingJournal, id>},
    {305, Call<&E::RunBillingJournal, id>},
    {306, Call<&E::RunAssemblyJournal>},
    {307, Call<&E::RunPhysicalInventoryJournal>},
    {308, Call<&E::RunPOStatusReport>},
    {309, kNoCase},
    {310, Call<&E::RunCashJournal>},
    {311, Call<&E::RunCashRecDisReport, 'R'>},
    {312, Call<&E::RunCashRecDisReport, 'P'>},
    {313, Call<&E::RunChecksToPrint>},
    {314, Call<&E::RunCheckRegister>},
    {315, kNoCase},
    {316, Call<&E::RunOnLineBalance>},
    {317, kNoCase},
    {318, kNoCase},
    {319, kNoCase},
    {320, Call<&E::RunGLPost>},
    {321, Call<&E::RunArApPost, 1>},  // receivables
    {322, Call<&E::RunArApPost, 0>},  // payables
    {323, Call<&E::PostCash>},
    {324, Call<&E::RunBiPoPost, 1>},  // purchase orders
    {325, Call<&E::RunBiPoPost, 0>},  // billing
    {326, Call<&E::RunAssemblyPost>},
    {327, Call<&E::RunPhysicalInventoryPost>},
    {328, Call<&E::RunInventoryPost>},
    {329, Call<&E::RunCustPurchaseHistory, p>},
    {330, kNoCase},
    {331, kNoCase},
    {332, kNoCase},
    {333, kNoCase},
    {334, kNoCase},
    {335, kNoCase},
    {336, Call<&E::RunCustVendStatements, id>},
    {337, Call<&E::RunCustVendAging, id, p>},
    {338, Call<&E::RunCustVendDirectory, id, p>},
    {339, Call<&E::RunCustVendLettersLabels, id, 0>},
    {340, Call<&E::RunBackorderReport, p>},
    {341, Call<&E::RunCustVendLettersLabels, id, 0>},
    {342, kNoCase},
    {343, Call<&E::RunCustVendStatements, id>},
    {344, Call<&E::RunCustVendAging, id, p>},
    {345, Call<&E::RunCustVendDirectory, id, p>},
    {346, Call<&E::RunCustVendLettersLabels, id, 0>},
    {347, Call<&E::RunVendorPaymentsReport>},
    {348, Call<&E::RunPrint1099>},
    {349, Call<&E::RunCustVendLettersLabels, id, 0>},
    {350, Call<&E::RunProductListing, p>},
    {351, Call<&E::RunServiceListing>},
    {352, Call<&E::RunProductPriceListing>},
    {353, Call<&E::RunPriceBreaksReport>},
    {354, Call<&E::RunProductActivityReport, p>},
    {355, Call<&E::RunProductAlertReport>},
    {356, Call<&E::RunProductCountSheets>},
    {357, Call<&E::RunProductAssemblyReport>},
    {358, Call<&E::RunProductComponentReport>},
    {359, Call<&E::RunProductActivityDetail, p>},
    {360, Call<&E::RunGLEndPeriod>},
    {361, Call<&E::RunEditAccountBudget>},
    {362, Call<&E::RunGLYearClose>},
    {363, Call<&E::PromoPriceReport, 0>},
    {364, Call<&E::RunGenerateFinanceCharges>},
    {365, Call<&E::RunArApEndPeriod, id>},
    {366, Call<&E::RunCustVendForecastReport, id>},
    {367, Call<&E::RunCustVendForecastCalc, id>},
    {368, Call<&E::RunCustVendForecastReport, id>},
    {369, Call<&E::RunCustVendYearEnd, 22>},  // customers' file
    {370, Call<&E::RunArApEndPeriod, id>},
    {371, Call<&E::RunCustVendForecastReport, id>},
    {372, Call<&E::RunCustVendForecastCalc, id>},
    {373, Call<&E::RunCustVendForecastReport, id>},
    {374, Call<&E::RunCustVendYearEnd, 66>},  // vendors' file
    {375, Call<&E::RunPrint1096, nullptr>},   // no batch: chosen on the screen
    {376, kNoCase},
    {377, kNoCase},
    {378, kNoCase},
    {379, kNoCase},
    {380, Call<&E::RunPriceAssignment>},
    {381, Call<&E::RunInventoryForecastReport, id>},
    {382, Call<&E::RunInventoryForecastCalc, 382>},
    {383, Call<&E::RunInventoryForecastReport, id>},
    {384, Call<&E::RunInventoryYearEnd>},
    {385, kNoCase},
    {386, kNoCase},
    {387, kNoCase},
    {388, kNoCase},
    {389, kNoCase},
    {390, Call<&E::RunPurgeFiles>},
    {391, Call<&E::RunPhysicalInventoryEntry>},
    {392, kNoCase},  // the cash entry menu's "ReconciliatioN": served by no handler here
    {393, Call<&E::RunGlobalChange>},
    {394, Call<&E::RunAuditTrailLog>},
    {395, Call<&E::Command395Run>},
    {396, Call<&E::MailMergeCustomers, 0>},
    {397, Call<&E::MailMergeVendors, 0>},
    {398, Call<&E::RunWarehouseStatusReport>},
    {399, Call<&E::RunInventoryTransactionJournal>},
};

constexpr bool OneRowPerIdInOrder() {
  if (std::size(kCommandTable) != kLastCommandId - kFirstCommandId + 1) return false;
  for (std::size_t i = 0; i < std::size(kCommandTable); ++i)
    if (kCommandTable[i].id != kFirstCommandId + static_cast<int>(i)) return false;
  return true;
}
// The lookup indexes the table by id − 301.
static_assert(OneRowPerIdInOrder(), "the command table holds ids 301-399, in order, once each");

}  // namespace

const CommandCase* FindCommandCase(int commandId) {
  // Unsigned, so that an id below 301 (−1 for a refused command) is out of range too.
  const unsigned index = static_cast<unsigned>(commandId) - static_cast<unsigned>(kFirstCommandId);
  if (index >= std::size(kCommandTable)) return nullptr;
  const CommandCase& c = kCommandTable[index];
  return c.run ? &c : nullptr;
}

}  // namespace qxa3
