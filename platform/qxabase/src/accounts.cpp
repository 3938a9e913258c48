// G/L account checks.
#include "qxabase/accounts.h"

#include <cstring>
#include <string>

#include "internal.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "qxabase/tables.h"
#include "records/dictionary.h"
#include "records/masters.h"

namespace {
constexpr int kMsgNoAdjustmentAccount = 1981;
constexpr int kMsgAdjustmentAccountMissing = 1983;  // %1 the account
}  // namespace

int AccountExists(char* account) {
  if (account == nullptr) return 0;
  if (qxb::FieldText(account, 11).empty()) {
    records::InterfaceRecord iface{};
    if (SettingsRecordRead(kSettingsRead, 0, sizeof iface, "0Interface", &iface) != kStatusOk) {
      MsgShow(kMsgNoAdjustmentAccount, 1);
      return 0;
    }
    std::memcpy(account, iface.costOfGoodsAccount, sizeof iface.costOfGoodsAccount);
    account[sizeof iface.costOfGoodsAccount - 1] = '\0';
  }
  const std::string code = qxb::FieldText(account, 11);
  if (code.empty()) {
    MsgShow(kMsgNoAdjustmentAccount, 1);
    return 0;
  }
  CDbTblActiveAcct accounts;
  int status = accounts.Open(records::kFileGLAccounts, kFileModeReadOnly, 0);
  if (status != kStatusOk) {
    MsgRecordError(status, 1, kErrorOpOpen, records::kFileGLAccounts, 0);
    return 0;
  }
  char key[255] = {};
  std::memcpy(key, code.c_str(), code.size());
  records::GLAccount record{};
  status = accounts.Read(kOpGetEqual, key, &record, sizeof record);
  if (status == kStatusOk) return 1;
  if (status == kStatusKeyNotFound) {
    MsgShowArgsList(kMsgAdjustmentAccountMissing, 0, 0, 1, {MsgArg{MsgArg::Kind::kText, code.c_str(), 0, 0}});
  } else {
    MsgRecordError(status, 1, kOpGetEqual, records::kFileGLAccounts, 0);
  }
  return 0;
}
