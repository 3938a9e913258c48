// Master items: a master item (file 86) groups the products that stand for
// one item in several warehouses, its sub-items, which the master item
// members (file 85, key 0: master item then product) name.  CMasterItem
// finds a master item's sub-items and consolidates them into one product
// record, for the warehouse reports.
//
// A run:
//   CMasterItem items;  items.TableOpen();
//   read file 86 (GetHandle) into *items.pItem() ...
//   items.QueryMasterItems(code, code);            // the sub-items of one master item
//   if (items.QueryGetCount() > 0) {
//     items.ConsolidateSubitems();                 // pProd(), GetProductAvg(), GetProductCurBal()
//     for (p = items.GetFirstProd(); p; p = items.GetNextProd()) ...
//   }
// Statuses are the record manager's, passed through: nothing is shown here;
// after a failure FailedOperation and FailedFile say what failed, for the
// caller's error box.  Everything runs on the UI thread.
#pragma once

#include <cstddef>
#include <vector>

#include "btrvc.h"
#include "qxabase/files.h"
#include "records/masters.h"

class CMasterItem {
 public:
  CMasterItem() = default;
  ~CMasterItem() = default;  // closes what TableOpen opened
  CMasterItem(const CMasterItem&) = delete;
  CMasterItem& operator=(const CMasterItem&) = delete;

  // Opens the master items (86), their members (85) and the products (43)
  // as one file set.  0, or the record manager's status.
  int TableOpen();

  // The handle of the master item file (0 before TableOpen).
  BtrvHandle GetHandle() const { return files_.handle[0]; }
  // The master item record buffer: the caller reads file 86 into it.
  records::TagMasterItem* pItem() { return &item_; }
  // The consolidated product of the sub-items found (ConsolidateSubitems).
  const records::TagProduct* pProd() const { return &consolidated_; }

  // Finds the sub-items of the master items from code `fromCode` to code
  // `toCode` (compared as the file's key compares them, without regard to
  // letter case), in master item then product number order.  A member that
  // names a product not on file is passed over.  0, or the status of the
  // read that failed (the sub-items found before it are kept).
  int QueryMasterItems(const char* fromCode, const char* toCode);
  // How many sub-items the last query found.
  int QueryGetCount() const { return static_cast<int>(subitems_.size()); }

  // Consolidates the sub-items found: the first's record with the quantity
  // on hand, the committed and the available quantities and the value on
  // hand summed over all of them (its fractions are the first's), and its
  // average cost GetProductAvg.  No sub-item: a zeroed record.
  void ConsolidateSubitems();

  // The sub-items found, in order; null after the last (or when none).
  const records::TagProduct* GetFirstProd();
  const records::TagProduct* GetNextProd();

  // The consolidated average cost: the value on hand over the quantity on
  // hand in buying units (a buying fraction of 0 counts as 1), to 4
  // decimals; 0 when nothing is on hand.
  double GetProductAvg() const;
  // The consolidated value on hand, to cents.
  double GetProductCurBal() const;

  // The operation (RecordOp) and the file of the read that failed last.
  int FailedOperation() const { return failedOp_; }
  int FailedFile() const { return failedFile_; }

 private:
  int Fail(int status, int op, int file);

  FileSet files_;
  records::TagMasterItem item_{};
  records::TagProduct consolidated_{};
  std::vector<records::TagProduct> subitems_;
  std::size_t next_ = 0;
  int failedOp_ = 0, failedFile_ = 0;
};
