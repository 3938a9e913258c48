// Remembered report parameters: the values a user last accepted on a
// report's selection screen, kept per company, per user and per report, and
// put back on the screen the next time it runs.
//
// A selection screen uses three objects, each held by a pointer of the
// screen's own:
//   CQxDataCopy / CQxDataCopyCollection  the screen's defaults of this run,
//       backed up once they are shown (BackupAll) so that Shift+F9 can bring
//       them back (RestoreAll);
//   CQxRepMRUParam (or the screen's class derived from it)  the remembered
//       values of one user and one report key ("CustAging"), loaded from the
//       company's store and put on the screen.
// The calling order of one screen run:
//   1. the form is built (fields, callbacks, keys), then
//      CQxBaseRepParam::ReportDefAndMRUInit(copy, collection, mru, form, records);
//   2. FormRun.  The form's start hook fills the defaults, then
//      collection->BackupAll(); mru = null; when
//      CQxRepMRUParam::IsSysPrefsSaveRepMRUParams(): mru = new <class>;
//      mru->Initialize(user, key, table); when mru->LoadAllFields():
//      mru->StructToScreen(form).  Shift+F9 refills the defaults and calls
//      collection->RestoreAll();
//   3. unless FormWasCancelled: CQxBaseRepParam::ReportMRUSave(mru, form);
//   4. FormEnd, then in every case CQxBaseRepParam::ReportDefAndMRUFree(...).
// Any pointer may be null (the preference is off, or memory ran out): each
// step then does nothing and the screen runs on its defaults.
//
// The store is the record file kFileReportMru ("report_mru",
// records/report_mru.h) of the company's folder in the user's state folder
// ($XDG_STATE_HOME/quarlex/remembered/<company>-<hash>, see FilePathGet):
// the values are the user's, not the books'.  One record per remembered
// field, keyed by user
// name, report key (both compared without case) and field number.  A save
// replaces the user's whole set for the key in one record-manager
// transaction, so a crash leaves the previous set or the new one, never a
// mix.  The file is made by the first save.  A store that cannot be read or
// written is reported once per company and run in a message box; the screen
// then shows its defaults and the report runs.
//
// What is kept for a field, by the form's field and the table's kind:
//   a choice field          its entry number (1-based);
//   an open range end       the word it shows, "FIRST" or "LAST";
//   kind 2 (date)           its day number, "" for a blank;
//   any other field         its text as FieldGetText gives it.
// A value longer than 77 characters is not remembered (the field keeps its
// default).  An open end is put back as the open end it was: the field shows
// "FIRST" or "LAST " again (a field that cannot show the word, a date
// picture, is left blank).  A blank end, kept as "", is put back as a blank,
// except on a field that reads as open already: it keeps what the screen put
// there.  A remembered field whose kind differs from the table's (the screen
// changed) is ignored.
//
// Everything runs on the UI thread.  No exception leaves these classes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ravadodo/forms.h"

// The base library's name for a form.
using TagForm = Form;

#pragma pack(push, 1)
// One remembered screen field: the screen's static tables hold one per
// field, ended by a record whose fieldNumber is 0.
struct TAG_REPORT_MRU_FIELD {
  std::uint8_t fieldNumber;  // the form field
  std::uint32_t valueCode;   // the caller's (20 × the field number); not used by the store
  std::uint32_t kind;        // kMruKind...
  char value[78];            // zero in the static tables; the object keeps its own copy
};
#pragma pack(pop)
static_assert(sizeof(TAG_REPORT_MRU_FIELD) == 87);

inline constexpr std::uint32_t kMruKindText = 0;
inline constexpr std::uint32_t kMruKindDate = 2;
inline constexpr std::uint32_t kMruKindChoice = 8;
inline constexpr std::uint32_t kMruKindNumber = 16;

// The backed-up values of one form's fields 1 .. count − 1 (the count of a
// remembered-field table with its closing record).
class CQxDataCopy {
 public:
  CQxDataCopy(Form* form, unsigned records);
  CQxDataCopy(const CQxDataCopy&) = delete;
  CQxDataCopy& operator=(const CQxDataCopy&) = delete;

  // Takes the fields' current values, replacing an earlier backup.  False
  // (the earlier backup kept) when memory ran out or there is no form.
  bool Backup();
  // Puts the backed-up values back.  False when nothing was backed up.
  bool Restore();

 private:
  struct Saved {
    int field;
    std::string value;  // as the store keeps a text field's or a choice field's value
  };
  Form* form_;
  unsigned records_;
  std::vector<Saved> saved_;
  bool backedUp_ = false;
};

// The copies a screen backs up and restores together.  Holds at most eight
// copies; it does not own them.
class CQxDataCopyCollection {
 public:
  // False when the collection is full or `copy` is null.
  bool Add(CQxDataCopy* copy);
  // Backs up every copy.  True when every copy was backed up.
  bool BackupAll();
  // Restores every copy.  True when every copy had a backup to restore.
  bool RestoreAll();

 private:
  static constexpr int kMaxCopies = 8;
  CQxDataCopy* copies_[kMaxCopies] = {};
  int count_ = 0;
};

// The remembered values of one user and one report key.  Screens derive
// their own class from it; it is deleted through this class.
class CQxRepMRUParam {
 public:
  CQxRepMRUParam();
  virtual ~CQxRepMRUParam();
  CQxRepMRUParam(const CQxRepMRUParam&) = delete;
  CQxRepMRUParam& operator=(const CQxRepMRUParam&) = delete;

  // Names the user (SharedAppBlock::userName; null is "") and the report
  // key, and copies the remembered-field table (up to its closing record,
  // at most 255 fields; a field named twice counts once).  Returns false,
  // leaving the object unable to load or save, for a null or empty key, a
  // user or key longer than 31 characters, or a null table.
  bool Initialize(const char* user, const char* key, const TAG_REPORT_MRU_FIELD* table);

  // Reads the values remembered for the user and key into the object's
  // table.  True when a value was found for at least one of its fields;
  // false when none was (or the store could not be read: shown once).
  bool LoadAllFields();

  // Puts the loaded values on the form's fields (fields without a loaded
  // value keep theirs).
  void StructToScreen(Form* form);

  // Takes the form's values of the table's fields into the object.  False
  // when the object was not initialised.
  bool ScreenToStruct(Form* form);

  // Replaces the user's remembered set for the key with the object's
  // values, in one transaction; the store is made when it does not exist.
  // Returns 0, or the record-manager status that stopped the save (after
  // the message; the previous set is then whole); 1 when the object was not
  // initialised.
  int SaveAllFields();

  // True when the company's system settings let screens remember report
  // parameters (SysFlagGet(kSysFlagRememberReportParams): on unless the
  // company's settings say no; read once per command).  Sets m_IsSysPrefsMRU
  // to the answer.
  static bool IsSysPrefsSaveRepMRUParams();
  // The preference as last read (IsSysPrefsSaveRepMRUParams, which
  // ReportDefAndMRUInit calls before each screen runs).
  static bool m_IsSysPrefsMRU;

  const std::string& User() const { return user_; }
  const std::string& Key() const { return key_; }

 private:
  std::string user_;
  std::string key_;
  std::vector<TAG_REPORT_MRU_FIELD> fields_;
  std::vector<bool> hasValue_;  // per entry of fields_: its value was loaded or taken
  bool ready_ = false;
};

// The three steps around a screen run.
class CQxBaseRepParam {
 public:
  // Makes the copy of the form's fields 1 .. records − 1 and the collection
  // holding it, and reads the preference (CQxRepMRUParam::m_IsSysPrefsMRU).
  // Whatever the three pointers still hold from an earlier run is freed
  // first, and `mru` becomes null (the start hook makes it).  When memory
  // runs out the pointers stay null and false is returned.
  static bool ReportDefAndMRUInit(CQxDataCopy*& copy, CQxDataCopyCollection*& collection,
                                  CQxRepMRUParam*& mru, Form* form, unsigned records);

  // Stores the form's values under the object's user and key.  A null
  // object stores nothing (0).  Returns SaveAllFields' result.
  static int ReportMRUSave(CQxRepMRUParam*& mru, Form* form);

  // Steps 1-3 of a screen run: ReportDefAndMRUInit, FormRun, and
  // ReportMRUSave unless the form was cancelled.  True when it was not.
  static bool RunRemembered(CQxDataCopy*& copy, CQxDataCopyCollection*& collection, CQxRepMRUParam*& mru,
                            Form* form, unsigned records);

  // Deletes the three objects and nulls the pointers; null pointers are
  // left alone.
  static void ReportDefAndMRUFree(CQxDataCopy*& copy, CQxDataCopyCollection*& collection,
                                  CQxRepMRUParam*& mru);
};

// For tests: a function called inside a save after each record written
// (with the number written so far), before the transaction commits.  Null
// removes it.
void ReportMruSaveStepHookForTest(void (*hook)(int recordsWritten));
