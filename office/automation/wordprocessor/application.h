// The word-processor server: an automation object model over .docx
// documents kept in memory, with mail merge to a new document, the printer
// (PDF through the print command) and e-mail.  A controller starts it by its
// programmatic identifier ("Quarlex.WordProcessor", see automation/registry.h)
// and drives it by the member ids of object_model.h:
//
//   Application  Version (get), Documents (get), Selection (get), Visible
//                (put: true hands each shown document's file to the user
//                with the desktop's opener), Activate, Quit (SaveChanges,
//                OriginalFormat, RouteDocument: closes every document)
//   Documents    Open (FileName, ConfirmConversions, ReadOnly,
//                AddToRecentFiles, PasswordDocument, PasswordTemplate, Revert,
//                WritePasswordDocument, WritePasswordTemplate, Format
//                [, Encoding, Visible]) -> Document; Add ([Template],
//                [NewTemplate] [, [DocumentType], [Visible]]) -> a new
//                document, which becomes the active one
//   Document     MailMerge (get), ShowInWindow (get, put), SaveAs (FileName,
//                [FileFormat: 0, the .docx format], passwords empty, eight
//                more checked and ignored), Close (SaveChanges, ...)
//   MailMerge    MainDocumentType (-1 or 0), State, Destination (0 new
//                document, 1 printer, 2 e-mail), DataSource, Fields,
//                SuppressBlankLines, MailAsAttachment, MailAddressFieldName,
//                MailSubject (get, put), OpenDataSource (Name, Format 0, ...,
//                connection and SQL texts empty [, OpenExclusive, SubType]),
//                EditMainDocument, Execute ([Pause])
//   DataSource   Name (get), FirstRecord, LastRecord (get, put)
//   Fields       Count (get)
//   Selection    Font (get), TypeText (Text), TypeParagraph,
//                InsertDateTime (DateTimeFormat, [InsertAsField: false], ...)
//   Font         Bold, Italic (get, put): the style of what is typed next
//
// Documents are read from and written to files only by Open, SaveAs, Close
// with SaveChanges, Quit with SaveChanges, and the merge to a new document
// (which writes a new file beside the main document, never replacing one).
// A merge to e-mail composes one message per record, addressed from the
// field MailAddressFieldName names (records without a valid address are left
// out and counted in a message); see mail.h and printer.h for the settings.
//
// Refusals are exceptions whose source is "Word processor" and whose
// description says what was wrong.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "automation/dispatch.h"

namespace qx::automation::wordprocessor {

struct ServerOptions {
  // What Application.Version answers.
  std::string version = "15.0";
  // The local time InsertDateTime writes; empty: the clock.
  std::function<std::tm()> now;
};

// A new server instance: its Application object, with no document.
DispatchPtr CreateApplication(ServerOptions options = {});

}  // namespace qx::automation::wordprocessor
