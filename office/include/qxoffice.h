/*
 * QxOffice: spreadsheet export and mail merge for callers outside the system.
 *
 * Spreadsheet export (QxExcelAutomation): a caller builds a workbook step by
 * step: each call passes one request record whose `operation` picks the step.
 * Operation 2 starts a connection with a new workbook saved at
 * `workbookPath` and stores the connection's handle in the record;
 * operations 3..13 name the connection by that handle; operation 3 saves the
 * workbook for the last time and ends the connection.  The workbook is a real
 * .xlsx file that any spreadsheet program opens.
 *
 * Mail merge (QxMailMergeAutomation): each call runs one step on a main
 * document (a .docx file) and its data source (a delimited text file): make
 * a new main document, open one for editing, check which data source it
 * uses, or merge it to the printer, to a new document or to e-mail.  Every
 * call starts its own word-processor connection and ends it before it
 * returns.
 *
 * Texts in the requests (paths, cell text, font names, subject) are code
 * page 437, NUL-ended or filling their whole field; they are converted to
 * UTF-8 for the files and the file system.
 *
 * Calls must come from one thread at a time.  No exception leaves the library;
 * every failure is the operation's failure result.
 */
#ifndef QXOFFICE_H
#define QXOFFICE_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define QXOFFICE_API __attribute__((visibility("default")))
#else
#define QXOFFICE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* A font (44 bytes). */
typedef struct CellFont {
  char faceName[32]; /*  0  NUL-ended face name ("Arial") */
  uint32_t style;    /* 32  bit 0 bold, bit 1 italic, bit 2 underline; other bits ignored */
  uint32_t size;     /* 36  tenths of a point: 100 = 10 pt */
  int32_t color;     /* 40  Windows RGB value 0x00BBGGRR: red in the low byte (0x0000FF is red) */
} CellFont;

/*
 * The request record (2,464 bytes, packed: no gaps; byte offsets at left).
 * Callers in other languages lay it out from these offsets.
 *
 *    0 handle        connection handle: set by operation 2, cleared to 0 by a
 *                    successful operation 3; 0 = no connection
 *    2 operation     1..13 (below)
 *    6 workbookPath  where operation 2 saves the workbook: the exact path,
 *                    whatever its extension
 *  266 cellText      text written to the cells (operations 7, 8), read as
 *                    typed into a spreadsheet (see "Typed text" below)
 *  522 cellFont      font of the cells (operations 7, 9)
 *  566 alignment     horizontal alignment of the cells (operations 7..9):
 *                    1 left, 2 right, 3 centre; any other value keeps it
 *  570 row           first row (1-based); also the row of operations 10, 11
 *  574 column        first column (1-based, 1..256)
 *  578 lastColumn    last column of a range; 0 or 1 = none
 *  582 lastRow       last row of a range; 0 or 1 = none
 *  586 sheetNumber   1-based worksheet number (operation 6)
 *  590 (4 bytes)     not read
 *  594 sheetFont     font of every column of a new worksheet (operations 2, 4)
 *  638 (4 bytes)     not read
 *  642 borderEdges   edges drawn by operation 13 (bits below)
 *  646 borderStyle   line style 1..8 (table below)
 *  650 borderWeight  weight 1..4 (table below)
 *  654 borderColor   Windows RGB value of the lines
 *  658 (4 bytes)     not read
 *  662 widthStart    per entry: start position of the column's text
 * 1174 widthEnd      per entry: end position of the column's text
 * 1686 widthColumn   per entry: 1-based column number
 * 2198 widthUsed     per entry: non-zero while the list goes on; the first
 *                    zero (or the 256th entry) ends it
 * 2454 (6 bytes)     not read
 * 2460 handOver      operation 3: non-zero hands the workbook to the user,
 *                    zero just closes it
 *
 * A cell range runs from (row, column) to (lastRow, lastColumn) when either
 * of those is 2 or more, else it is the one cell; its corners may come in any
 * order.  Rows run 1..1,048,576 and columns 1..256 (A..IV).
 */
typedef struct SpreadsheetRequest {
  uint16_t handle;
  int32_t operation;
  char workbookPath[260];
  char cellText[256];
  CellFont cellFont;
  int32_t alignment;
  int32_t row;
  int32_t column;
  int32_t lastColumn;
  int32_t lastRow;
  int32_t sheetNumber;
  uint8_t reserved1[4];
  CellFont sheetFont;
  uint8_t reserved2[4];
  uint32_t borderEdges;
  int32_t borderStyle;
  int32_t borderWeight;
  int32_t borderColor;
  uint8_t reserved3[4];
  int16_t widthStart[256];
  int16_t widthEnd[256];
  int16_t widthColumn[256];
  uint8_t widthUsed[256];
  uint8_t reserved4[6];
  int32_t handOver;
} SpreadsheetRequest;

#pragma pack(pop)

#ifdef __cplusplus
#define QXOFFICE_STATIC_ASSERT static_assert
#else
#define QXOFFICE_STATIC_ASSERT _Static_assert
#endif
QXOFFICE_STATIC_ASSERT(sizeof(CellFont) == 44, "CellFont is 44 bytes");
QXOFFICE_STATIC_ASSERT(offsetof(CellFont, style) == 32 && offsetof(CellFont, size) == 36 &&
                           offsetof(CellFont, color) == 40,
                       "CellFont layout");
QXOFFICE_STATIC_ASSERT(sizeof(SpreadsheetRequest) == 2464, "SpreadsheetRequest is 2464 bytes");
QXOFFICE_STATIC_ASSERT(offsetof(SpreadsheetRequest, operation) == 2 &&
                           offsetof(SpreadsheetRequest, workbookPath) == 6 &&
                           offsetof(SpreadsheetRequest, cellText) == 266 &&
                           offsetof(SpreadsheetRequest, cellFont) == 522 &&
                           offsetof(SpreadsheetRequest, alignment) == 566 &&
                           offsetof(SpreadsheetRequest, row) == 570 &&
                           offsetof(SpreadsheetRequest, column) == 574 &&
                           offsetof(SpreadsheetRequest, lastColumn) == 578 &&
                           offsetof(SpreadsheetRequest, lastRow) == 582 &&
                           offsetof(SpreadsheetRequest, sheetNumber) == 586 &&
                           offsetof(SpreadsheetRequest, sheetFont) == 594 &&
                           offsetof(SpreadsheetRequest, borderEdges) == 642 &&
                           offsetof(SpreadsheetRequest, borderStyle) == 646 &&
                           offsetof(SpreadsheetRequest, borderWeight) == 650 &&
                           offsetof(SpreadsheetRequest, borderColor) == 654 &&
                           offsetof(SpreadsheetRequest, widthStart) == 662 &&
                           offsetof(SpreadsheetRequest, widthEnd) == 1174 &&
                           offsetof(SpreadsheetRequest, widthColumn) == 1686 &&
                           offsetof(SpreadsheetRequest, widthUsed) == 2198 &&
                           offsetof(SpreadsheetRequest, handOver) == 2460,
                       "SpreadsheetRequest layout");
#undef QXOFFICE_STATIC_ASSERT

/*
 * Operations and their results.  A null request, and an operation code
 * outside 1..13, return 0 and do nothing.  Operations 3..13 with a handle of
 * 0 or one that is not open return their failure result at once.
 *
 *  op  step                                                  result
 *   1  can the spreadsheet server be started?                 0 yes, -1 no
 *   2  new workbook with one sheet ("Sheet1", sheetFont on    0 done, -2 failed
 *      every column), saved at workbookPath; stores the
 *      handle.  Fails when all 65,535 handles are open.
 *   3  save, then hand over (handOver != 0) or close;         1 done, 0 failed
 *      frees the handle and sets it to 0 in the request
 *   4  new sheet after the current one, which becomes         1 / 0
 *      current and active; sheetFont on every column; save
 *   5  the number of worksheets                               count, -1 failed
 *   6  make sheet `sheetNumber` current and active            1 / 0 (0 also for
 *                                                              a number above the count)
 *   7  write cellText, cellFont and alignment to the range    1 / 0
 *   8  write cellText and alignment                           1 / 0
 *   9  write cellFont and alignment                           1 / 0
 *  10  freeze the rows above `row` of the current sheet       1 / 0
 *  11  unfreeze the panes                                     1 / 0
 *  12  column widths: for each used entry, the width of       1 / 0
 *      column widthColumn is widthEnd - widthStart + 1
 *      characters (a width below 1 counts as 1; one above
 *      255 is refused: the operation fails with a message,
 *      the entries before it keeping their widths); leaves
 *      row, column, lastRow, lastColumn set to the last
 *      entry's cell (row 1, its column)
 *  13  borders of the range (below)                           1 / 0
 *
 * Fonts: bold, italic and underline are set when their bit is set (a clear
 * bit keeps what the cells had); size (1..409 points), face name and colour
 * are always set.  A font the server refuses (size 0, an empty face name)
 * fails operations 7 and 9; for operations 2 and 4 the sheet keeps the
 * default font for what was not set, and the operation goes on.
 *
 * Typed text (operations 7, 8): the text becomes what a spreadsheet makes of
 * typed text.
 *   'text       text without the apostrophe
 *   =formula    a formula ("=SUM(B2:B9)") when it reads as one: parentheses
 *               and quotes close, no "==", no operator missing an operand
 *               at either end; else text, so that separator lines such as
 *               "=====" stay as typed
 *   numbers     optional sign or parentheses (negative), optional leading
 *               "$", digits with optional grouping commas, optional decimals,
 *               optional trailing "%": a number whose format shows it as
 *               typed ("1,234.50" -> 1234.5 as #,##0.00; "$5" -> 5 as $0;
 *               "12.5%" -> 0.125 as 0.0%; "(1,234)" -> -1234 as
 *               #,##0_);(#,##0); plain digits such as "-42" keep the cell's
 *               format)
 *   m/d/yyyy, m/d/yy   a date shown m/d/yyyy (yy 00-29 is 20yy, 30-99 19yy)
 *   anything else      text
 * An 8-character text holding "/" whose last "/" is three places after its
 * first ("12/31/09") is kept as text.
 *
 * Borders (operation 13): borderEdges bits
 *   0x20 left edge   0x80 top edge   0x10 bottom edge   0x40 right edge
 *   0x02 inside vertical lines       0x01 inside horizontal lines
 *   0x04 diagonal down (top left to bottom right)   0x08 diagonal up
 * Outer edges are drawn on the range's outer cells; an inside line is drawn
 * on both cells it separates.  borderStyle 1..8 and borderWeight 1..4 give
 * the line as the file stores it:
 *
 *   borderStyle          weight 1 hair  4 thin      2 medium / other  3 thick
 *   1 continuous         hair           thin        medium            thick
 *   2 dash               dashed         dashed      mediumDashed      mediumDashed
 *   3 dash dot           dashDot        dashDot     mediumDashDot     mediumDashDot
 *   4 dash dot dot       dashDotDot     dashDotDot  mediumDashDotDot  mediumDashDotDot
 *   5 dot                dotted         dotted      dotted            dotted
 *   6 double             double         double      double            double
 *   7 slant dash dot     slantDashDot   slantDashDot slantDashDot     slantDashDot
 *   8 none               (the edges are cleared)
 *   other                refused: operation 13 fails with a message
 *
 * The file has one diagonal style per cell: with both diagonals drawn, the
 * down line's style and colour apply to both.
 *
 * Hand-over (operation 3 with handOver != 0): the saved file is opened with
 * the desktop's opener (xdg-open) when a display exists (DISPLAY or
 * WAYLAND_DISPLAY set) and not otherwise; the file is saved either way.
 *
 * Files: every save writes the whole workbook to a temporary file in the
 * same folder and renames it over workbookPath, so the path holds either the
 * previous file or the new one, never a part.
 */
QXOFFICE_API int QxExcelAutomation(SpreadsheetRequest* request);

#pragma pack(push, 1)

/* The e-mail part of a mail-merge request (325 bytes, packed). */
typedef struct MergeMailRecord {
  char subject[256];          /*   0  the messages' subject */
  char addressFieldName[65];  /* 256  the data-source field holding each record's e-mail address */
  int32_t attach;             /* 321  1: the merged document goes as a .docx attachment; else as the text */
} MergeMailRecord;

/*
 * The mail-merge request (796 bytes on 64-bit systems, packed; byte offsets
 * at left).
 *
 *    0 suppressBlankLines  non-zero: a paragraph whose merge fields are all
 *                          empty and that holds nothing else but blanks is
 *                          left out of the merged records (operations 4..6)
 *    4 mainDocumentPath    the main document (.docx)
 *  264 dataSourcePath      the data source: a text file whose first line
 *                          names the fields, values separated by commas or
 *                          tabs (quotes as in RFC 4180), UTF-8
 *  524 dataSourceName      out: operation 7 writes the path of the main
 *                          document's data source here (at most 259
 *                          characters, the rest of the field zeroed)
 *  784 operation           1..7 (below)
 *  788 mailRecord          the e-mail part (operation 6); not read otherwise
 */
typedef struct MailMergeRequest {
  int32_t suppressBlankLines;
  char mainDocumentPath[260];
  char dataSourcePath[260];
  char dataSourceName[260];
  int32_t operation;
  MergeMailRecord* mailRecord;
} MailMergeRequest;

#pragma pack(pop)

#ifdef __cplusplus
#define QXOFFICE_STATIC_ASSERT static_assert
#else
#define QXOFFICE_STATIC_ASSERT _Static_assert
#endif
QXOFFICE_STATIC_ASSERT(sizeof(MergeMailRecord) == 325 && offsetof(MergeMailRecord, addressFieldName) == 256 &&
                           offsetof(MergeMailRecord, attach) == 321,
                       "MergeMailRecord layout");
QXOFFICE_STATIC_ASSERT(offsetof(MailMergeRequest, mainDocumentPath) == 4 &&
                           offsetof(MailMergeRequest, dataSourcePath) == 264 &&
                           offsetof(MailMergeRequest, dataSourceName) == 524 &&
                           offsetof(MailMergeRequest, operation) == 784 &&
                           offsetof(MailMergeRequest, mailRecord) == 788 &&
                           sizeof(MailMergeRequest) == 788 + sizeof(void*),
                       "MailMergeRequest layout");
#undef QXOFFICE_STATIC_ASSERT

/*
 * Operations and results.
 *
 *  op  step
 *   1  close the word processor
 *   2  open the main document for editing: one with another data source
 *      asks whether to go on with dataSourcePath (No: -4); the document is
 *      then handed to the user (below) as its file stands.  The data source
 *      is attached for this call only and is not written into the file: a
 *      document that had none still has none (operation 7 then gives -2).
 *      Operation 3 makes a main document whose file names its data source.
 *   3  new main document at mainDocumentPath (replacing a file there) with
 *      dataSourcePath as its data source and a sample text, handed to the
 *      user
 *   4  merge to the printer: the merged records as a PDF to the print
 *      command; the main document is handed to the user
 *   5  merge to a new document: "<main document>-merged.docx" beside the
 *      main document ("-merged-2.docx", ... when taken), each record a
 *      section starting on a new page; handed to the user
 *   6  merge to e-mail: one message per record to the address in the field
 *      mailRecord->addressFieldName, with mailRecord->subject, the merged
 *      record as the text or (attach == 1) as a .docx attachment; through
 *      the mail command, or into the outbox folder when none is set up
 *   7  check: writes the main document's data source into dataSourceName
 *  For 4..6, a main document without merge fields says so (-3), and one made
 *  for another data source asks whether to go on (No: -4); the data source
 *  always used is dataSourcePath.  A data source counts as the document's own
 *  when the last components of the two paths are equal without regard to
 *  case ("C:\DATA\CUST.TXT" and "/srv/cust.txt").
 *
 *  result  0 done; -1 the word processor could not be started; -2 operation
 *          7: the document is not a main document with a data source; -3
 *          the main document has no merge fields; -4 the user declined to go
 *          on with another data source; -5 a step failed and the user was
 *          told why (in a message), or the request was null, or operation 6
 *          came without its mailRecord.  Operation codes outside 1..7 do
 *          nothing and return 0.
 *
 * Whatever the result, the main document's file is not changed (only
 * operation 3 writes it), and the call's word-processor connection is ended.
 *
 * Hand-over: the file is opened with the desktop's opener (xdg-open) when a
 * display exists (DISPLAY or WAYLAND_DISPLAY set).
 *
 * Environment: QXOFFICE_LP (print command, default "lp"), QXOFFICE_PRINTER
 * (its printer; default the command's own), QXOFFICE_SENDMAIL (mail command,
 * run as  command -i -- address;  unset: the outbox), QXOFFICE_OUTBOX
 * (default $XDG_DATA_HOME/Quarlex/Outbox), QXOFFICE_MAIL_FROM (the sender;
 * default user@host).  No command runs through a shell.
 */
QXOFFICE_API int QxMailMergeAutomation(MailMergeRequest* request);

/*
 * Messages.  When an operation fails because a server refused a step, the
 * user is told: "source - description" (the description alone when there is
 * no source; "unknown error" for an empty description).  Mail merge also
 * shows the warning that a main document has no merge fields, the question
 * whether to go on with another data source (QXOFFICE_MB_YESNO), and notes on
 * e-mail written to the outbox or records without an address.  The host
 * receives these texts through its hook, in code page 437; without a hook
 * they are written to standard error (in UTF-8).
 *
 * The hook gets the caller's context, the text, the box style (the bits
 * below) and a help context (0 for none), and returns the button chosen
 * (QXOFFICE_IDOK, or QXOFFICE_IDYES / QXOFFICE_IDNO for a question).  Without
 * a hook, a question is answered No.
 */
#define QXOFFICE_MB_OK 0x0u
#define QXOFFICE_MB_YESNO 0x4u
#define QXOFFICE_MB_ICONEXCLAMATION 0x30u
#define QXOFFICE_IDOK 1
#define QXOFFICE_IDYES 6
#define QXOFFICE_IDNO 7

typedef int (*QxOfficeMessageHook)(void* context, const char* text, unsigned int style,
                                   unsigned int helpContext);

/* Installs `hook` (null restores standard error) with the context it gets back. */
QXOFFICE_API void QxOfficeSetMessageHook(QxOfficeMessageHook hook, void* context);

#ifdef __cplusplus
}
#endif

#endif /* QXOFFICE_H */
