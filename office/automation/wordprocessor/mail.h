// E-mail of the word-processor server: a merged record as an RFC 5322
// message (MIME, UTF-8) built by GMime, delivered through the system's mail command or,
// where none is set up, written into an outbox folder as an .eml file.
//
// Settings come from the environment:
//   QXOFFICE_SENDMAIL   the mail command (a sendmail-compatible program, run
//                       as  command -i -- address  with the message on its
//                       standard input, no shell); unset or empty: outbox
//   QXOFFICE_OUTBOX     the outbox folder; default
//                       $XDG_DATA_HOME/Quarlex/Outbox (~/.local/share/...)
//   QXOFFICE_MAIL_FROM  the sender's address; default user@host
#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace qx::automation::wordprocessor {

// A mailbox: the display name (UTF-8, may be empty) and the bare address.
struct MailAddress {
  std::string name;
  std::string address;
};

struct MailSettings {
  std::string sendmail;
  std::string outbox;
  MailAddress from;

  static MailSettings FromEnvironment();
};

// Reads an address field: "name@example.com", "Name <name@example.com>",
// "\"Smith, Ann\" <ann@example.com>" or a name in encoded words, parsed by
// GMime.  Returns false for an empty or malformed field, one that holds
// more than one address or a group, or one holding control characters (so
// a data-source value can never add a header line); the address itself must
// be a plain local part and domain.  Otherwise fills *mailbox.
bool ParseMailAddress(std::string_view field, MailAddress* mailbox);

struct MailAttachment {
  std::string fileName;     // UTF-8
  std::string contentType;
  std::string bytes;
};

struct MailMessage {
  MailAddress from;
  MailAddress to;
  std::string subject;  // UTF-8; control characters become blanks
  std::string body;     // UTF-8 text
  std::optional<MailAttachment> attachment;
};

// The message as sent, built by GMime: headers (From, To, Subject, Date,
// Message-ID, MIME-Version) encoded where they are not plain ASCII and
// folded, and a quoted-printable UTF-8 text/plain body, or a multipart/mixed
// body with the text and the attachment (base64, its file name encoded as
// the standard says).  Lines end with CR LF.  `date` is local time with its
// offset from UTC in tm_gmtoff.
std::string ComposeMessage(const MailMessage& message, const std::tm& date, const std::string& messageId);

// A new Message-ID ("<20250101123000.8f3a...@host>").
std::string NewMessageId();

// Delivers a composed message to `address`.  Returns an empty text, or what
// went wrong.  *outboxFile is set to the file written when the message went
// to the outbox (named for the time and `record`, "20250101-123000-000007.eml")
// and left empty when it went to the mail command.
std::string DeliverMessage(const MailSettings& settings, const std::string& address, const std::string& message,
                           std::size_t record, std::string* outboxFile);

}  // namespace qx::automation::wordprocessor
