#include "automation/wordprocessor/mail.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "automation/wordprocessor/files.h"
#include "automation/wordprocessor/program.h"
#include "automation/wordprocessor/text.h"

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

bool IsPrintableAscii(std::string_view text) {
  for (char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

std::string Base64(std::string_view bytes, std::size_t lineLength) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t column = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const auto byte = [&](std::size_t k) { return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u; };
    const unsigned value = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
    out += kAlphabet[value >> 18 & 63];
    out += kAlphabet[value >> 12 & 63];
    out += i + 1 < bytes.size() ? kAlphabet[value >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[value & 63] : '=';
    column += 4;
    if (lineLength && column >= lineLength && i + 3 < bytes.size()) {
      out += "\r\n";
      column = 0;
    }
  }
  return out;
}

// A header text as RFC 2047 encoded words (UTF-8, base64), split between
// characters so that each word stays within 75 characters.
std::string EncodedWords(std::string_view text) {
  std::string out;
  std::string chunk;
  const auto flush = [&] {
    if (chunk.empty()) return;
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + Base64(chunk, 0) + "?=";
    chunk.clear();
  };
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    NextCodePoint(text, &i);
    if (chunk.size() + (i - start) > 45) flush();
    chunk.append(text.substr(start, i - start));
  }
  flush();
  return out;
}

// A phrase (a display name, a subject) for a header: as it stands when it is
// plain ASCII, else encoded words.
std::string HeaderText(const std::string& text) { return IsPrintableAscii(text) ? text : EncodedWords(text); }

std::string QuotedPrintable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  std::size_t column = 0;
  const auto put = [&](std::string_view piece) {
    if (column + piece.size() > 75) {
      out += "=\r\n";
      column = 0;
    }
    out += piece;
    column += piece.size();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      out += "\r\n";
      column = 0;
      continue;
    }
    if (c == '\r') continue;
    const bool lineEnd = i + 1 == text.size() || text[i + 1] == '\n' || text[i + 1] == '\r';
    if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEnd)) {
      put(std::string(1, static_cast<char>(c)));
    } else {
      const char encoded[] = {'=', kHex[c >> 4], kHex[c & 15], '\0'};
      put(encoded);
    }
  }
  return out;
}

std::string Sanitized(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

std::string DateHeader(const std::tm& date) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const long offset = date.tm_gmtoff / 60;
  const long magnitude = offset < 0 ? -offset : offset;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[(date.tm_wday % 7 + 7) % 7],
                date.tm_mday, kMonths[(date.tm_mon % 12 + 12) % 12], date.tm_year + 1900, date.tm_hour, date.tm_min,
                date.tm_sec, offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

// The filename parameter of an attachment: quoted when plain ASCII, else in
// the RFC 2231 form.
std::string FileNameParameter(const std::string& name) {
  if (IsPrintableAscii(name) && name.find_first_of("\"\\") == std::string::npos) return "filename=\"" + name + "\"";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded = "filename*=UTF-8''";
  for (unsigned char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        std::string_view("-._~").find(static_cast<char>(c)) != std::string_view::npos) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

std::string RandomHex(int digits) {
  std::random_device random;
  std::string out;
  char piece[16];
  while (static_cast<int>(out.size()) < digits) {
    std::snprintf(piece, sizeof piece, "%08x", random());
    out += piece;
  }
  return out.substr(0, static_cast<std::size_t>(digits));
}

std::string MakeFolders(const std::string& folder) {
  std::string path;
  for (std::size_t i = 0; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    path = folder.substr(0, i);
    if (path.empty()) continue;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
      return "The outbox folder \"" + folder + "\" cannot be made: " + std::strerror(errno) + ".";
    }
  }
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return "The outbox \"" + folder + "\" is not a folder.";
  }
  return {};
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
  std::string address, header;
  if (ParseMailAddress(Environment("QXOFFICE_MAIL_FROM"), &address, &header)) {
    settings.from = header;
  } else {
    settings.from = UserName() + "@" + HostName();
  }
  return settings;
}

bool ParseMailAddress(std::string_view field, std::string* address, std::string* header) {
  const std::string text = Trim(field);
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  std::string bare = text;
  std::string name;
  if (const std::size_t open = text.rfind('<'); open != std::string::npos) {
    if (text.back() != '>') return false;
    bare = text.substr(open + 1, text.size() - open - 2);
    name = Trim(std::string_view(text).substr(0, open));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
  }
  if (!IsAddress(bare)) return false;
  *address = bare;
  if (name.empty()) {
    *header = bare;
  } else if (IsPrintableAscii(name)) {
    std::string quoted = "\"";
    for (char c : name) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    *header = quoted + "\" <" + bare + ">";
  } else {
    *header = EncodedWords(name) + " <" + bare + ">";
  }
  return true;
}

std::string NewMessageId() {
  const std::time_t now = std::time(nullptr);
  std::tm utc {};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &utc);
  return "<" + std::string(stamp) + "." + RandomHex(16) + "@" + HostName() + ">";
}

std::string ComposeMessage(const MailMessage& message, const std::tm& date, const std::string& messageId) {
  std::string text;
  text += "From: " + Sanitized(message.from) + "\r\n";
  text += "To: " + Sanitized(message.to) + "\r\n";
  text += "Subject: " + HeaderText(Sanitized(message.subject)) + "\r\n";
  text += "Date: " + DateHeader(date) + "\r\n";
  text += "Message-ID: " + Sanitized(messageId) + "\r\n";
  text += "MIME-Version: 1.0\r\n";
  std::string body = QuotedPrintable(message.body);
  if (body.size() < 2 || body.compare(body.size() - 2, 2, "\r\n") != 0) body += "\r\n";
  const std::string textPart =
      "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" + body;
  if (!message.attachment) return text + textPart;

  const std::string boundary = "=_qx_" + RandomHex(24);
  const MailAttachment& attachment = *message.attachment;
  text += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
  text += "This is a message in MIME format.\r\n";
  text += "--" + boundary + "\r\n" + textPart;
  text += "--" + boundary + "\r\n";
  text += "Content-Type: " + attachment.contentType + "\r\n";
  text += "Content-Transfer-Encoding: base64\r\n";
  text += "Content-Disposition: attachment; " + FileNameParameter(Sanitized(attachment.fileName)) + "\r\n\r\n";
  text += Base64(attachment.bytes, 76) + "\r\n";
  text += "--" + boundary + "--\r\n";
  return text;
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
    return RunProgram({settings.sendmail, "-i", "--", address}, local);
  }
  if (std::string error = MakeFolders(settings.outbox); !error.empty()) return error;
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char stem[64];
  const std::size_t length = std::strftime(stem, sizeof stem, "%Y%m%d-%H%M%S", &local);
  std::snprintf(stem + length, sizeof stem - length, "-%06zu", record);
  return WriteNewFile(settings.outbox, stem, ".eml", message, outboxFile);
}

}  // namespace qx::automation::wordprocessor
