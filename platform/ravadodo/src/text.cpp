// Dates, numbers and strings.
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "daynumber.h"
#include "internal.h"

namespace {

int gToday = 0;  // fixed today; 0 = the clock (or QX_TODAY)

int TodayFromEnvironment() {
  const char* t = std::getenv("QX_TODAY");
  int y = 0, m = 0, d = 0;
  if (t && std::sscanf(t, "%d-%d-%d", &y, &m, &d) == 3) return daynum::FromCivil(y, m, d);
  return 0;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The year a two-digit year stands for: within 50 years of today.
int ExpandYear(int yy) {
  int t = daynum::ToCivil(DateToday()).year;
  if (t == 0) t = 2000;
  int y = t / 100 * 100 + yy;
  if (y > t + 49) y -= 100;
  if (y < t - 50) y += 100;
  return y;
}

int YearOf(const std::string& part) {
  if (part.size() <= 2) return ExpandYear(std::atoi(part.c_str()));
  if (part.size() == 4) return std::atoi(part.c_str());
  return -1;
}

}  // namespace

// --- Dates ---------------------------------------------------------------------

int DateToday() {
  if (gToday > 0) return gToday;
  if (int env = TodayFromEnvironment()) return env;
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return daynum::FromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

void DateSetToday(int day) { gToday = day > 0 ? day : 0; }

namespace {

// The two last digits of `n` at `out`.  Reports write dates on every row,
// so mm/dd/yy is put together here rather than through printf.
char* PutTwoDigits(char* out, unsigned n) {
  out[0] = static_cast<char>('0' + n / 10 % 10);
  out[1] = static_cast<char>('0' + n % 10);
  return out + 2;
}

}  // namespace

char* DateToText(char* out, int day) {
  daynum::CivilDate c = daynum::ToCivil(day);
  if (day <= 0 || c.year == 0 || c.year > 9999) {
    out[0] = 0;
  } else {
    char* p = PutTwoDigits(out, static_cast<unsigned>(c.month));
    *p++ = '/';
    p = PutTwoDigits(p, static_cast<unsigned>(c.day));
    *p++ = '/';
    p = PutTwoDigits(p, static_cast<unsigned>(c.year));
    *p = 0;
  }
  return out;
}

char* DateToTextLong(char* out, int day) {
  daynum::CivilDate c = daynum::ToCivil(day);
  if (day <= 0 || c.year == 0 || c.year > 9999)
    out[0] = 0;
  else
    std::snprintf(out, 11, "%02u/%02u/%04u", static_cast<unsigned>(c.month) % 100u, static_cast<unsigned>(c.day) % 100u,
                  static_cast<unsigned>(c.year) % 10000u);
  return out;
}

int DateFromText(const char* text) {
  if (!text) return 0;
  std::string parts[3];
  int n = 0;
  for (const char* p = text; *p; ++p) {
    char c = *p;
    if (c == '/' || c == '-' || c == '.') {
      if (++n > 2) return 0;
    } else if (c == ' ' || c == '\t') {
      // Blanks around the parts are the empty places of the mask.
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      parts[n] += c;
    } else {
      return 0;
    }
  }
  int y = 0, m = 0, d = 0;
  if (n == 0) {
    // Digits only: mmddyy or mmddyyyy.
    const std::string& s = parts[0];
    if (s.size() != 6 && s.size() != 8) return 0;
    m = std::atoi(s.substr(0, 2).c_str());
    d = std::atoi(s.substr(2, 2).c_str());
    y = YearOf(s.substr(4));
  } else if (n == 2) {
    if (!AllDigits(parts[0]) || !AllDigits(parts[1]) || !AllDigits(parts[2])) return 0;
    if (parts[0].size() == 4) {  // yyyy-mm-dd
      y = std::atoi(parts[0].c_str());
      m = std::atoi(parts[1].c_str());
      d = std::atoi(parts[2].c_str());
    } else {
      if (parts[0].size() > 2 || parts[1].size() > 2) return 0;
      m = std::atoi(parts[0].c_str());
      d = std::atoi(parts[1].c_str());
      y = YearOf(parts[2]);
    }
  } else {
    return 0;
  }
  return daynum::FromCivil(y, m, d);
}

int DateIsValid(const char* text) { return DateFromText(text) != 0 ? 1 : 0; }

int DateMake(int year, int month, int day) { return daynum::FromCivil(year, month, day); }

void DateSplit(int day, int* year, int* month, int* dayOfMonth) {
  daynum::CivilDate c = daynum::ToCivil(day);
  if (year) *year = c.year;
  if (month) *month = c.month;
  if (dayOfMonth) *dayOfMonth = c.day;
}

int DateYear(int day) { return daynum::ToCivil(day).year; }

int DateAddDays(int day, int days) {
  if (day <= 0) return 0;
  long r = static_cast<long>(day) + days;
  return r > 0 && r <= 0x7FFFFFFF ? static_cast<int>(r) : 0;
}

int DateAddYears(int day, int years) {
  if (day <= 0) return 0;
  daynum::CivilDate c = daynum::ToCivil(day);
  int y = c.year + years;
  int d = std::min(c.day, daynum::DaysInMonth(y, c.month));
  return daynum::FromCivil(y, c.month, d);
}

unsigned long DateTimeStamp() { return static_cast<unsigned long>(std::time(nullptr)); }

// --- Numbers ---------------------------------------------------------------------

namespace {

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
constexpr std::uint64_t kPow10Int[] = {1ULL,
                                       10ULL,
                                       100ULL,
                                       1000ULL,
                                       10000ULL,
                                       100000ULL,
                                       1000000ULL,
                                       10000000ULL,
                                       100000000ULL,
                                       1000000000ULL,
                                       10000000000ULL,
                                       100000000000ULL,
                                       1000000000000ULL,
                                       10000000000000ULL,
                                       100000000000000ULL,
                                       1000000000000000ULL};
constexpr std::uint64_t kDigits15 = kPow10Int[15];
constexpr std::uint64_t kDigits14 = kPow10Int[14];
constexpr int kMaxScale = 27;  // 5^27 < 2^63

constexpr std::array<std::uint64_t, kMaxScale + 1> Powers5() {
  std::array<std::uint64_t, kMaxScale + 1> p{};
  p[0] = 1;
  for (int i = 1; i <= kMaxScale; ++i) p[i] = p[i - 1] * 5;
  return p;
}
constexpr std::array<std::uint64_t, kMaxScale + 1> kPow5 = Powers5();

// The decimal number a double stands for, to 15 significant digits: the
// nearest D (ties to even) with 10^14 <= D < 10^15 and `a` ~ D * 10^(e-14),
// computed exactly.  For 1e-12 <= a < 999999999999999.5; false (never, for
// such an `a`) when the scale leaves the exact range.
bool SignificantDigits(double a, std::uint64_t* digits, int* exponent) {
  int x = 0;
  const double f = std::frexp(a, &x);  // a = f * 2^x, 0.5 <= f < 1
  const auto m = static_cast<std::uint64_t>(std::ldexp(f, 53));
  const int q = x - 53;  // a = m * 2^q exactly
  // floor(log10(2^(x-1))): the exponent, or one below it.
  int e = static_cast<int>(std::floor((x - 1) * 0.30102999566398120));
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int s = 14 - e;  // D = a * 10^s = m * 5^s * 2^(s+q)
    if (s < 0 || s > kMaxScale) return false;
    const unsigned __int128 p = static_cast<unsigned __int128>(m) * kPow5[s];
    const int k = s + q;
    unsigned __int128 d = 0;
    if (k >= 0) {
      d = p << k;
    } else if (-k < 128) {
      const int r = -k;
      d = p >> r;
      const unsigned __int128 rest = p - (d << r);
      const unsigned __int128 half = static_cast<unsigned __int128>(1) << (r - 1);
      if (rest > half || (rest == half && (d & 1) != 0)) ++d;
    }
    if (d >= kDigits15) {
      ++e;  // a larger exponent, or the rounding carried into a new digit
    } else if (d < kDigits14) {
      --e;
    } else {
      *digits = static_cast<std::uint64_t>(d);
      *exponent = e;
      return true;
    }
  }
  return false;
}

}  // namespace

double NumRound(double value, int decimals) {
  if (!std::isfinite(value) || value == 0.0) return value;
  decimals = std::clamp(decimals, 0, 10);
  // Round the decimal number the double stands for (its 15 significant
  // digits), not the binary value: 2.675 is stored as 2.67499999..., yet an
  // accountant rounds it to 2.68.
  const double a = std::fabs(value);
  // Below 1e-12 not one of the 15 digits reaches the tenth decimal.
  if (a < 1e-12) return 0.0;
  std::uint64_t digits = 0;
  int exponent = 0;
  if (a < 999999999999999.5 && SignificantDigits(a, &digits, &exponent)) {
    const int keep = exponent + 1 + decimals;  // digits kept before the rounding place
    if (keep < 0) return 0.0;
    if (keep < 15) {
      // Half up on the digits; the kept digits hold fewer than 16 figures,
      // so they and the power of ten are exact, and one division rounds.
      const std::uint64_t unit = kPow10Int[15 - keep];
      const std::uint64_t kept = (digits + unit / 2) / unit;
      const double r = static_cast<double>(kept) / kPow10[decimals];
      return value < 0 ? -r : r;
    }
  }
  // More digits than a double holds exactly: the binary value is the
  // decimal one, and rounding it directly is exact.
  const double p = kPow10[decimals];
  const double scaled = value * p;
  return std::fabs(scaled) < 9007199254740992.0 ? std::round(scaled) / p : value;
}

bool NumIsZero(double value) { return NumRound(value, 2) == 0.0; }

bool NumIsZero(double* value) {
  if (!value) return true;
  if (!NumIsZero(*value)) return false;
  *value = 0.0;
  return true;
}

bool NumEqual(double a, double b) { return NumRound(a, 2) == NumRound(b, 2); }

double NumDivide(double a, double b) { return b == 0.0 ? 0.0 : a / b; }

char* NumToText(char* out, double value, int decimals) {
  decimals = std::clamp(decimals, 0, 10);
  double r = NumRound(value, decimals);
  if (r == 0.0) r = 0.0;  // no "-0.00"
  // The digits "%.*f" prints, without printf's parsing and locale; a number
  // too long for the 32 bytes is cut by snprintf as before.
  const auto [end, error] = std::to_chars(out, out + 31, r, std::chars_format::fixed, decimals);
  if (error == std::errc())
    *end = '\0';
  else
    std::snprintf(out, 32, "%.*f", decimals, r);
  return out;
}

namespace {

// A printf number format split into its parts.
struct NumFormat {
  bool left = false, plus = false, zero = false, space = false;
  int width = 0;
  int precision = -1;
  char conv = 0;  // 'f', 'e', 'g', 'd', 'u'
};

bool ParseNumFormat(const char* format, NumFormat* f) {
  if (!format) return false;
  const char* p = std::strchr(format, '%');
  if (!p) return false;
  ++p;
  for (;; ++p) {
    if (*p == '-') f->left = true;
    else if (*p == '+') f->plus = true;
    else if (*p == '0') f->zero = true;
    else if (*p == ' ') f->space = true;
    else if (*p == '#') continue;
    else break;
  }
  while (std::isdigit(static_cast<unsigned char>(*p))) f->width = f->width * 10 + (*p++ - '0');
  if (*p == '.') {
    ++p;
    f->precision = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) f->precision = f->precision * 10 + (*p++ - '0');
  }
  while (*p == 'l' || *p == 'h') ++p;
  switch (*p) {
    case 'f': case 'F': case 'e': case 'g': f->conv = static_cast<char>(*p == 'F' ? 'f' : *p); break;
    case 'd': case 'i': f->conv = 'd'; break;
    case 'u': f->conv = 'u'; break;
    default: return false;
  }
  f->width = std::min(f->width, 60);
  return true;
}

int Emit(char* out, const NumFormat& f, double value, int precisionOverride) {
  std::string spec = "%";
  if (f.left) spec += '-';
  if (f.plus) spec += '+';
  if (f.zero) spec += '0';
  if (f.space) spec += ' ';
  if (f.width) spec += std::to_string(f.width);
  if (f.conv == 'd' || f.conv == 'u') {
    double r = NumRound(value, 0);
    if (f.conv == 'u' && r < 0) r = 0;
    spec += "lld";
    return std::snprintf(out, 64, spec.c_str(), static_cast<long long>(r));
  }
  int prec = precisionOverride > 0 ? precisionOverride : (f.precision < 0 ? 6 : f.precision);
  prec = std::min(prec, 10);
  double r = NumRound(value, prec);
  if (r == 0.0) r = 0.0;
  spec += "." + std::to_string(prec) + f.conv;
  return std::snprintf(out, 64, spec.c_str(), r);
}

std::string FractionText(double value, int divisor) {
  bool negative = value < 0;
  double a = std::fabs(value);
  double whole = std::floor(a);
  double rest = NumRound((a - whole) * divisor, 4);
  if (rest >= divisor) {
    whole += 1;
    rest = 0;
  }
  char buf[64];
  std::string s = negative && (whole > 0 || rest > 0) ? "-" : "";
  if (rest == 0) {
    std::snprintf(buf, sizeof buf, "%.0f", whole);
    return s + buf;
  }
  char restText[32];
  std::snprintf(restText, sizeof restText, "%.4f", rest);
  // Drop the zeros after the decimal point ("6.0000" -> "6").
  std::string r = restText;
  while (!r.empty() && r.back() == '0') r.pop_back();
  if (!r.empty() && r.back() == '.') r.pop_back();
  if (whole > 0) {
    std::snprintf(buf, sizeof buf, "%.0f ", whole);
    s += buf;
  }
  return s + r + "/" + std::to_string(divisor);
}

}  // namespace

int StrFormatValue(char* out, const char* format, int decimals, double value) {
  NumFormat f;
  if (!out) return -1;
  if (!ParseNumFormat(format, &f)) {
    out[0] = 0;
    return -1;
  }
  return Emit(out, f, value, decimals);
}

int StrFormatQuantity(char* out, const char* format, int decimal, int divisor, double value) {
  NumFormat f;
  if (!out) return -1;
  if (!ParseNumFormat(format, &f)) {
    out[0] = 0;
    return -1;
  }
  if (decimal || divisor <= 1 || f.conv == 'd' || f.conv == 'u') return Emit(out, f, value, 0);
  std::string t = FractionText(value, divisor);
  return std::snprintf(out, 64, f.left ? "%-*s" : "%*s", f.width, t.c_str());
}

int TextToValue(const char* text, int divisor, double* value) {
  if (!text || !value) return -1;
  std::string s = rv::Trimmed(text);
  if (s.empty()) {
    *value = 0.0;
    return 0;
  }
  bool negative = false;
  if (s[0] == '-' || s[0] == '+') {
    negative = s[0] == '-';
    s = rv::Trimmed(s.substr(1));
  }
  auto number = [](const std::string& t, double* v) {
    if (t.empty()) return false;
    int dots = 0;
    for (char c : t) {
      if (c == '.') ++dots;
      else if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    if (dots > 1 || t == ".") return false;
    *v = std::strtod(t.c_str(), nullptr);
    return true;
  };
  auto fraction = [&](const std::string& t, double* v) {
    std::size_t slash = t.find('/');
    if (slash == std::string::npos) return false;
    double n = 0, d = 0;
    if (!number(t.substr(0, slash), &n) || !number(t.substr(slash + 1), &d) || d == 0) return false;
    *v = n / d;
    return true;
  };
  double result = 0;
  std::size_t blank = s.find(' ');
  if (blank == std::string::npos) {
    if (!number(s, &result) && !fraction(s, &result)) return -1;
  } else {
    double whole = 0, part = 0;
    std::string rest = rv::Trimmed(s.substr(blank));
    if (!number(s.substr(0, blank), &whole) || whole != std::floor(whole)) return -1;
    if (fraction(rest, &part)) {
    } else if (divisor > 1 && number(rest, &part)) {
      part /= divisor;
    } else {
      return -1;
    }
    result = whole + part;
  }
  *value = negative ? -result : result;
  return 0;
}

// --- Strings ---------------------------------------------------------------------

bool StrIsBlank(const char* text) {
  if (!text) return true;
  for (; *text; ++text)
    if (*text != ' ') return false;
  return true;
}

char* StrTrimChar(char* text, int mode, char ch) {
  if (!text) return text;
  std::size_t n = std::strlen(text);
  std::size_t b = 0, e = n;
  if (mode & 1)
    while (b < e && text[b] == ch) ++b;
  if (mode & 4)
    while (e > b && text[e - 1] == ch) --e;
  std::size_t o = 0;
  for (std::size_t i = b; i < e; ++i) {
    if ((mode & 2) && text[i] == ch) continue;
    text[o++] = text[i];
  }
  text[o] = 0;
  return text;
}

char* StrTrim(int mode, char* text) { return StrTrimChar(text, mode, ' '); }

char* StrPad(char* text, int width) {
  if (!text || width < 0) return text;
  std::size_t n = std::strlen(text);
  for (std::size_t i = n; i < static_cast<std::size_t>(width); ++i) text[i] = ' ';
  text[width] = 0;
  return text;
}

char* StrJustify(char* text, int width) {
  if (!text) return text;
  StrTrim(5, text);
  int n = static_cast<int>(std::strlen(text));
  if (n >= width) return text;
  std::memmove(text + (width - n), text, static_cast<std::size_t>(n) + 1);
  std::memset(text, ' ', static_cast<std::size_t>(width - n));
  return text;
}

namespace {
bool IsPlace(char p) { return p == 'n' || p == 'c' || p == 'C' || p == 'N' || p == 'X' || p == 'x'; }
}  // namespace

int StrApplyMask(const char* text, const char* picture) {
  if (!text || !picture) return 1;
  std::size_t tn = std::strlen(text);
  for (std::size_t i = 0; i < tn; ++i) {
    char c = text[i];
    if (c == ' ') continue;
    // A character that stands where the picture shows that same literal is
    // part of the empty picture ("  /  /  ").
    if (i < std::strlen(picture) && !IsPlace(picture[i]) && picture[i] == c) continue;
    return 0;
  }
  return 1;
}

char* StrMaskFormat(char* out, const char* text, const char* picture) {
  if (!out) return out;
  if (!picture) {
    out[0] = 0;
    return out;
  }
  const char* t = text ? text : "";
  std::size_t n = std::strlen(picture);
  // A text already laid out in the picture is taken as it stands.
  bool laidOut = std::strlen(t) == n;
  for (std::size_t i = 0; laidOut && i < n; ++i)
    if (!IsPlace(picture[i]) && t[i] != picture[i]) laidOut = false;
  if (laidOut) {
    std::memcpy(out, t, n + 1);
    return out;
  }
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!IsPlace(picture[i])) {
      out[i] = picture[i];
      if (t[k] == picture[i]) ++k;
      continue;
    }
    out[i] = t[k] ? t[k++] : ' ';
  }
  out[n] = 0;
  return out;
}
