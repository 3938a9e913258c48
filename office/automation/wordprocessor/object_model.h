// The word-processor object model as controllers reach it: the dispatch ids
// of its members and the values of its enumerations.  The server in this
// folder answers these ids; controllers call them by the same names.
//
// Objects: Application -> Documents -> Document -> MailMerge -> DataSource /
// Fields; Application -> Selection -> Font.
//
// Several members have two ids: the older form (with fewer arguments) is
// what controllers use with a version-8 program; later versions answer both.
#pragma once

#include "automation/dispatch.h"

namespace qx::automation::wordprocessor {

namespace member {
// Application
inline constexpr DispId kSelection = 0x05;        // (get) -> Selection of the active document
inline constexpr DispId kDocuments = 0x06;        // (get) -> Documents
inline constexpr DispId kVisible = 0x17;          // (put) true hands the shown documents to the user
inline constexpr DispId kVersion = 0x18;          // (get) text such as "15.0"
inline constexpr DispId kActivate = 0x181;        // (method)
inline constexpr DispId kQuit = 0x451;            // (method) SaveChanges, OriginalFormat, RouteDocument

// Documents
inline constexpr DispId kAddVersion8 = 0x0B;      // (method) Template, NewTemplate
inline constexpr DispId kOpenVersion8 = 0x0C;     // (method) ten arguments, see Documents::Open
inline constexpr DispId kAdd = 0x0E;              // (method) Template, NewTemplate, DocumentType, Visible
inline constexpr DispId kOpen = 0x0F;             // (method) the ten, then Encoding, Visible

// Document
inline constexpr DispId kMailMerge = 0x1B;        // (get) -> MailMerge
inline constexpr DispId kShowInWindow = 0x5C;     // (put) Boolean: shown to the user with the application
inline constexpr DispId kSaveAs = 0x66;           // (method) FileName, FileFormat, and nine more
inline constexpr DispId kClose = 0x451;           // (method) SaveChanges, OriginalFormat, RouteDocument

// MailMerge
inline constexpr DispId kMainDocumentType = 0x01;     // (get, put)
inline constexpr DispId kState = 0x02;                // (get)
inline constexpr DispId kDestination = 0x03;          // (get, put)
inline constexpr DispId kDataSource = 0x04;           // (get) -> DataSource
inline constexpr DispId kFields = 0x05;               // (get) -> Fields
inline constexpr DispId kSuppressBlankLines = 0x07;   // (get, put)
inline constexpr DispId kMailAsAttachment = 0x08;     // (get, put)
inline constexpr DispId kMailAddressFieldName = 0x09; // (get, put)
inline constexpr DispId kMailSubject = 0x0A;          // (get, put)
inline constexpr DispId kOpenDataSourceVersion8 = 0x67;  // (method) fourteen arguments
inline constexpr DispId kExecute = 0x69;              // (method) Pause
inline constexpr DispId kEditMainDocument = 0x6D;     // (method)
inline constexpr DispId kOpenDataSource = 0x70;       // (method) the fourteen, then OpenExclusive, SubType

// DataSource
inline constexpr DispId kName = 0x06;             // (get) the data source's path
inline constexpr DispId kFirstRecord = 0x08;      // (get, put) 1-based
inline constexpr DispId kLastRecord = 0x09;       // (get, put) 1-based, or kLastRecordOfSource

// Fields
inline constexpr DispId kCount = 0x01;            // (get)

// Selection
inline constexpr DispId kFont = 0x10;             // (get) -> Font of what is typed next
inline constexpr DispId kInsertDateTimeVersion8 = 0xA3;  // (method) DateTimeFormat, InsertAsField, InsertAsFullWidth
inline constexpr DispId kInsertDateTime = 0x1BC;  // (method) the three, then DateLanguage, CalendarType
inline constexpr DispId kTypeText = 0x1FB;        // (method) Text
inline constexpr DispId kTypeParagraph = 0x200;   // (method)

// Font
inline constexpr DispId kBold = 0x82;             // (get, put)
inline constexpr DispId kItalic = 0x83;           // (get, put)
}  // namespace member

// MailMerge.MainDocumentType
inline constexpr int kNotAMergeDocument = -1;
inline constexpr int kFormLetters = 0;

// MailMerge.State
inline constexpr int kStateNormalDocument = 0;
inline constexpr int kStateMainDocumentOnly = 1;
inline constexpr int kStateMainAndDataSource = 2;
inline constexpr int kStateDataSourceDocument = 5;  // the document is itself a data source

// MailMerge.Destination
inline constexpr int kToNewDocument = 0;
inline constexpr int kToPrinter = 1;
inline constexpr int kToEmail = 2;

// DataSource.LastRecord: up to the last record of the source.
inline constexpr int kLastRecordOfSource = -16;

// Document.SaveAs FileFormat and Documents.Open Format: the program's own
// document format (.docx), and "whatever the file is".
inline constexpr int kFormatDocument = 0;
inline constexpr int kOpenFormatAuto = 0;

}  // namespace qx::automation::wordprocessor
