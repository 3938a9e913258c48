#include "oemtext.h"

#include <array>
#include <unordered_map>

namespace oem {
namespace {

// Code page 437, bytes 0x80-0xFF.
constexpr std::array<char16_t, 128> kHigh = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  // 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

// The pictures of the control bytes 0x00-0x1F on a PC screen.
constexpr std::array<char16_t, 32> kLowGlyphs = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};

// Lower/upper pairs of the code-page-437 letters that have both cases.
constexpr std::array<std::pair<unsigned char, unsigned char>, 8> kCasePairs = {{
    {0x87, 0x80}, {0x81, 0x9A}, {0x82, 0x90}, {0x84, 0x8E},
    {0x86, 0x8F}, {0x91, 0x92}, {0x94, 0x99}, {0xA4, 0xA5},
}};

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  CaseTables() {
    for (int i = 0; i < 256; ++i) {
      upper[i] = lower[i] = static_cast<unsigned char>(i);
    }
    for (int c = 'a'; c <= 'z'; ++c) {
      upper[c] = static_cast<unsigned char>(c - 'a' + 'A');
      lower[c - 'a' + 'A'] = static_cast<unsigned char>(c);
    }
    for (auto [lo, up] : kCasePairs) {
      upper[lo] = up;
      lower[up] = lo;
    }
  }
};

const CaseTables& Cases() {
  static const CaseTables tables;
  return tables;
}

void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

bool IsBlankOrNul(char c) { return c == ' ' || c == '\0'; }

}  // namespace

char32_t ToUnicode(unsigned char byte, bool glyphs) {
  if (byte >= 0x80) return kHigh[byte - 0x80];
  if (glyphs) {
    if (byte < 0x20) return kLowGlyphs[byte];
    if (byte == 0x7F) return 0x2302;
  }
  return byte;
}

int FromUnicode(char32_t ch) {
  if (ch < 0x80) return static_cast<int>(ch);
  static const std::unordered_map<char32_t, int> reverse = [] {
    std::unordered_map<char32_t, int> map;
    for (int i = 0; i < 128; ++i) map.emplace(kHigh[i], 0x80 + i);
    for (int i = 1; i < 32; ++i) map.emplace(kLowGlyphs[i], i);
    map.emplace(0x2302, 0x7F);
    return map;
  }();
  auto it = reverse.find(ch);
  return it == reverse.end() ? -1 : it->second;
}

std::string ToUtf8(std::string_view cp437, bool glyphs) {
  std::string out;
  out.reserve(cp437.size());
  // Printable ASCII is itself in UTF-8: it goes in runs (most text is).
  std::size_t from = 0;
  for (std::size_t i = 0; i < cp437.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp437[i]);
    if (c >= 0x20 && c < 0x7F) continue;
    out.append(cp437, from, i - from);
    AppendUtf8(out, ToUnicode(c, glyphs));
    from = i + 1;
  }
  out.append(cp437, from, cp437.size() - from);
  return out;
}

std::string FromUtf8(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto b = static_cast<unsigned char>(utf8[i]);
    char32_t ch;
    std::size_t extra;
    if (b < 0x80) {
      ch = b;
      extra = 0;
    } else if ((b & 0xE0) == 0xC0) {
      ch = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      ch = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      ch = b & 0x07;
      extra = 3;
    } else {
      out += replacement;
      ++i;
      continue;
    }
    bool ok = true;
    for (std::size_t k = 1; k <= extra; ++k) {
      if (i + k >= utf8.size()) {
        ok = false;
        break;
      }
      auto cont = static_cast<unsigned char>(utf8[i + k]);
      if ((cont & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      ch = (ch << 6) | (cont & 0x3F);
    }
    if (!ok) {
      out += replacement;
      ++i;
      continue;
    }
    i += extra + 1;
    int byte = FromUnicode(ch);
    out += byte < 0 ? replacement : static_cast<char>(byte);
  }
  return out;
}

unsigned char ToUpper(unsigned char byte) { return Cases().upper[byte]; }
unsigned char ToLower(unsigned char byte) { return Cases().lower[byte]; }

std::size_t TrimmedLength(std::string_view text) {
  std::size_t n = text.size();
  while (n > 0 && IsBlankOrNul(text[n - 1])) --n;
  return n;
}

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t na = TrimmedLength(a);
  const std::size_t nb = TrimmedLength(b);
  const std::size_t n = na < nb ? na : nb;
  const auto& up = Cases().upper;
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = up[static_cast<unsigned char>(a[i])];
    const int cb = up[static_cast<unsigned char>(b[i])];
    if (ca != cb) return ca - cb;
  }
  if (na == nb) return 0;
  return na < nb ? -1 : 1;
}

}  // namespace oem
