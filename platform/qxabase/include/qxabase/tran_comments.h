// Transaction comments: the free text a user keeps with an entered
// transaction, printed by the journals under the transaction.
//
// The comments of one transaction are one text file in the folder
// "comments" of the company folder (SharedAppBlock::companyPath), named
// after the ledger and the transaction:
//   general ledger   GL_<journal code>_<transaction number>.txt   (CBaseGLTranComments)
//   receivables      AR_<transaction number>.txt                  (CBaseRPTranComments, file 6)
//   payables         AP_<transaction number>.txt                  (CBaseRPTranComments, file 3)
//   cash             CA_<transaction number>.txt                  (CBaseCashTranComments)
// Codes and numbers are taken without the blanks around them; a character
// other than a letter, a digit or '-' is written as '%' and its two hex
// digits ("2025/7" -> "2025%2F7"), so that a name never leaves the folder.
// The file is UTF-8 text (read as code page 437, as every text of the
// system inside), one comment line per line, LF or CR LF line ends.
//
// A comment object names one transaction at a time (Form...NoteName), tells
// whether it has comments (NoteExist), and reads them line by line:
//   if (comments.NoteExist() && comments.NoteOpen()) {
//     for (bool more = comments.NoteReadFirst(); more; more = comments.NoteReadNext())
//       print(comments.NoteLine());
//     comments.NoteClose();
//   }
// The file is closed by NoteClose, by naming another transaction, and by the
// destructor.  Nothing here throws.
#pragma once

#include <cstdio>
#include <string>

class CBaseTranComments {
 public:
  CBaseTranComments() = default;
  CBaseTranComments(const CBaseTranComments&) = delete;
  CBaseTranComments& operator=(const CBaseTranComments&) = delete;
  virtual ~CBaseTranComments();

  // True when the transaction named last has a comment file (a readable
  // regular file).  False when none was named.
  bool NoteExist() const;

  // Opens the comment file of the transaction named last.  False when it
  // cannot be opened (none was named, it does not exist or cannot be read).
  bool NoteOpen();

  // Reads the first line (again from the start) or the next line.  True when
  // a line was read (NoteLine then holds it), false at the end of the file or
  // when nothing is open.
  bool NoteReadFirst();
  bool NoteReadNext();

  // The line read last, code page 437, without its line end; "" before the
  // first read and after the end.
  const char* NoteLine() const { return line_.c_str(); }

  // Closes the file; safe when nothing is open.
  void NoteClose();

  // The full path of the comment file named last; "" when none was named
  // or the company folder is not set.
  const std::string& NotePath() const { return path_; }

  // The file name (without folder) of a ledger's transaction: `prefix`
  // ("GL") and each part, as described above.
  static std::string NoteFileName(const char* prefix, const char* first, const char* second = nullptr);

 protected:
  // Names the transaction whose comments are read next (closing any open file).
  void NameNote(const std::string& fileName);

 private:
  std::string path_;
  std::string line_;
  std::FILE* file_ = nullptr;
};

// Comments of a general-ledger transaction (files 27/26).
class CBaseGLTranComments : public CBaseTranComments {
 public:
  // Names the transaction of journal `journalCode` numbered `transactionNumber`
  // (the header's fields as stored: blank-padded, NUL-ended or not, at most 7
  // and 11 bytes are read).
  void FormGLNoteName(const char* journalCode, const char* transactionNumber);
};

// Comments of a receivables or payables transaction, by the ledger's detail
// file (6 receivables, 3 payables).
class CBaseRPTranComments : public CBaseTranComments {
 public:
  explicit CBaseRPTranComments(int detailFileNo) : detailFileNo_(detailFileNo) {}
  // Names transaction `transactionNumber` (at most 11 bytes read).
  void FormRPNoteName(const char* transactionNumber);

 private:
  int detailFileNo_;
};

// Comments of a cash transaction (files 18/17).
class CBaseCashTranComments : public CBaseTranComments {
 public:
  // Names transaction `transactionNumber` (at most 11 bytes read).
  void FormCashNoteName(const char* transactionNumber);
};
