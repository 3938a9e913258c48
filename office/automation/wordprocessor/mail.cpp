#include "automation/wordprocessor/mail.h"

#include <gmime/gmime.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "automation/wordprocessor/files.h"
#include "qxsys/run_program.h"
#include "qxsys/user_folders.h"

namespace qx::automation::wordprocessor {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string HostName() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0 || !host[0]) return "localhost";
  return host;
}

std::string UserName() {
  if (const struct passwd* user = ::getpwuid(::getuid()); user && user->pw_name && user->pw_name[0]) {
    return user->pw_name;
  }
  return "user";
}

bool IsAtext(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

bool IsAddress(std::string_view address) {
  const std::size_t at = address.find('@');
  if (at == std::string_view::npos || address.find('@', at + 1) != std::string_view::npos) return false;
  const std::string_view local = address.substr(0, at);
  const std::string_view domain = address.substr(at + 1);
  if (local.empty() || local.size() > 64 || domain.empty() || domain.size() > 255) return false;
  if (local.front() == '.' || local.back() == '.' || local.find("..") != std::string_view::npos) return false;
  for (char c : local) {
    if (!IsAtext(c) && c != '.') return false;
  }
  std::size_t label = 0;
  for (std::size_t i = 0; i <= domain.size(); ++i) {
    if (i == domain.size() || domain[i] == '.') {
      if (label == 0 || label > 63 || domain[i - 1] == '-' || domain[i - label] == '-') return false;
      label = 0;
      continue;
    }
    const char c = domain[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
    ++label;
  }
  return true;
}

std::string Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

std::string Sanitized(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

// GMime is set up once for the process and never shut down: the library
// may be loaded by a caller that goes on using it.
void Gmime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

// A leaf part of `type`/`subtype` holding `bytes`, written with `encoding`.
GMimePart* Part(const std::string& type, const std::string& subtype, const std::string& bytes,
                GMimeContentEncoding encoding) {
  GMimePart* part = g_mime_part_new_with_type(type.c_str(), subtype.c_str());
  GMimeStream* stream = g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size());
  GMimeDataWrapper* content = g_mime_data_wrapper_new_with_stream(stream, GMIME_CONTENT_ENCODING_DEFAULT);
  g_mime_part_set_content(part, content);
  g_object_unref(content);
  g_object_unref(stream);
  g_mime_part_set_content_encoding(part, encoding);
  return part;
}

}  // namespace

MailSettings MailSettings::FromEnvironment() {
  MailSettings settings;
  settings.sendmail = Environment("QXOFFICE_SENDMAIL");
  settings.outbox = Environment("QXOFFICE_OUTBOX");
  if (settings.outbox.empty()) {
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty() || data[0] != '/') {
      std::string home = Environment("HOME");
      if (home.empty()) {
        if (const struct passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) home = user->pw_dir;
      }
      data = home + "/.local/share";
    }
    settings.outbox = data + "/Quarlex/Outbox";
  }
  if (!ParseMailAddress(Environment("QXOFFICE_MAIL_FROM"), &settings.from)) {
    settings.from = MailAddress{"", UserName() + "@" + HostName()};
  }
  return settings;
}

bool ParseMailAddress(std::string_view field, MailAddress* mailbox) {
  const std::string text = Trim(field);
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  // GMime's parser forgives what a mail reader should (a missing ">", a
  // stray quote); a recipient taken from a data source must be exactly one
  // well-formed mailbox.
  if (text.find('<') != std::string::npos && text.back() != '>') return false;
  Gmime();
  InternetAddressList* list = internet_address_list_parse(nullptr, text.c_str());
  if (list == nullptr) return false;
  bool ok = internet_address_list_length(list) == 1;
  MailAddress parsed;
  if (ok) {
    InternetAddress* entry = internet_address_list_get_address(list, 0);
    ok = INTERNET_ADDRESS_IS_MAILBOX(entry);
    if (ok) {
      const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(entry));
      const char* name = internet_address_get_name(entry);
      parsed.address = addr ? addr : "";
      parsed.name = name ? Trim(name) : "";
      ok = IsAddress(parsed.address);
    }
  }
  g_object_unref(list);
  if (ok) *mailbox = std::move(parsed);
  return ok;
}

std::string NewMessageId() {
  Gmime();
  char* id = g_mime_utils_generate_message_id(HostName().c_str());
  std::string text = "<" + std::string(id ? id : "") + ">";
  g_free(id);
  return text;
}

std::string ComposeMessage(const MailMessage& message, const std::tm& date, const std::string& messageId) {
  Gmime();
  GMimeMessage* mime = g_mime_message_new(TRUE);
  g_mime_message_add_mailbox(mime, GMIME_ADDRESS_TYPE_FROM, Sanitized(message.from.name).c_str(),
                             message.from.address.c_str());
  g_mime_message_add_mailbox(mime, GMIME_ADDRESS_TYPE_TO, Sanitized(message.to.name).c_str(),
                             message.to.address.c_str());
  g_mime_message_set_subject(mime, Sanitized(message.subject).c_str(), "utf-8");
  GTimeZone* zone = g_time_zone_new_offset(static_cast<gint32>(date.tm_gmtoff));
  GDateTime* when = g_date_time_new(zone, date.tm_year + 1900, date.tm_mon + 1, date.tm_mday, date.tm_hour,
                                    date.tm_min, date.tm_sec);
  if (when != nullptr) {
    g_mime_message_set_date(mime, when);
    g_date_time_unref(when);
  }
  g_time_zone_unref(zone);
  std::string id = Sanitized(messageId);
  if (id.size() >= 2 && id.front() == '<' && id.back() == '>') id = id.substr(1, id.size() - 2);
  g_mime_message_set_message_id(mime, id.c_str());

  GMimePart* text = Part("text", "plain", message.body, GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
  g_mime_object_set_content_type_parameter(GMIME_OBJECT(text), "charset", "utf-8");
  if (!message.attachment) {
    g_mime_message_set_mime_part(mime, GMIME_OBJECT(text));
  } else {
    const MailAttachment& attachment = *message.attachment;
    const std::size_t slash = attachment.contentType.find('/');
    const std::string type = attachment.contentType.substr(0, slash);
    const std::string subtype = slash == std::string::npos ? "octet-stream" : attachment.contentType.substr(slash + 1);
    GMimePart* file = Part(type, subtype, attachment.bytes, GMIME_CONTENT_ENCODING_BASE64);
    g_mime_part_set_filename(file, Sanitized(attachment.fileName).c_str());
    GMimeMultipart* mixed = g_mime_multipart_new_with_subtype("mixed");
    g_mime_multipart_add(mixed, GMIME_OBJECT(text));
    g_mime_multipart_add(mixed, GMIME_OBJECT(file));
    g_object_unref(text);
    g_object_unref(file);
    g_mime_message_set_mime_part(mime, GMIME_OBJECT(mixed));
    text = nullptr;
    g_object_unref(mixed);
  }
  if (text != nullptr) g_object_unref(text);

  GMimeFormatOptions* format = g_mime_format_options_new();
  g_mime_format_options_set_newline_format(format, GMIME_NEWLINE_FORMAT_DOS);
  char* bytes = g_mime_object_to_string(GMIME_OBJECT(mime), format);
  std::string out = bytes ? bytes : "";
  g_free(bytes);
  g_mime_format_options_free(format);
  g_object_unref(mime);
  return out;
}

std::string DeliverMessage(const MailSettings& settings, const std::string& address, const std::string& message,
                           std::size_t record, std::string* outboxFile) {
  outboxFile->clear();
  if (!settings.sendmail.empty()) {
    // Mail commands take the message with the system's line ends.
    std::string local;
    local.reserve(message.size());
    for (std::size_t i = 0; i < message.size(); ++i) {
      if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
      local += message[i];
    }
    return qxsys::RunProgram({settings.sendmail, "-i", "--", address}, local);
  }
  if (std::string error = qxsys::MakeFolders(settings.outbox); !error.empty()) {
    return "The outbox: " + error + ".";
  }
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char stem[64];
  const std::size_t length = std::strftime(stem, sizeof stem, "%Y%m%d-%H%M%S", &local);
  std::snprintf(stem + length, sizeof stem - length, "-%06zu", record);
  return WriteNewFile(settings.outbox, stem, ".eml", message, outboxFile);
}

}  // namespace qx::automation::wordprocessor
