#include "platform/ListOrder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qvm {
namespace {

// How one CP1252 byte takes part in the order. `primary` holds up to three sort elements (a
// ligature such as AE, or a fraction, stands for several); all zero means the byte is ignored
// except to break ties. `accent` tells variants of the same base letter or digit apart.
struct Weight {
  std::array<std::uint8_t, 3> primary{};
  std::uint8_t accent = 0;
};

// Accent ranks: the plain letter first, then its variants.
enum Accent : std::uint8_t {
  kPlain = 0,
  kAcute,
  kGrave,
  kCircumflex,
  kDiaeresis,
  kTilde,
  kRing,
  kCedilla,
  kStroke,
  kCaron,
  kRaised,  // superscript digits, ordinal indicators
  kHook,
  kEth,
  kLigature,
};

// Punctuation and symbols in the order they take, all before the digits.
constexpr std::string_view kPunctuation =
    " \xA0!\xA1\"\x93\x94\x84\xAB\xBB\x91\x92\x82\x8B\x9B#$%\x89&()*,.\x85/:;?\xBF@[\\]^\x88_`"
    "\xB4\xA8\xAF\xB8\x98{|\xA6}~\x96\x97\xB6\xA7\xA9\xAE\x99\xB0\x86\x87\x95\xB7\xAC+\xB1<=>"
    "\xD7\xF7\xA2\xA3\xA4\xA5\x80";

struct WeightTable {
  std::array<Weight, 256> w{};

  constexpr std::uint8_t PunctuationWeight(char c) const {
    for (std::size_t i = 0; i < kPunctuation.size(); ++i) {
      if (kPunctuation[i] == c) return static_cast<std::uint8_t>(1 + i);
    }
    return 0;
  }
  static constexpr std::uint8_t kDigitBase = 1 + kPunctuation.size();
  static constexpr std::uint8_t kLetterBase = kDigitBase + 10;
  static constexpr std::uint8_t Digit(int d) { return static_cast<std::uint8_t>(kDigitBase + d); }
  static constexpr std::uint8_t Letter(char upper) {
    return static_cast<std::uint8_t>(kLetterBase + (upper - 'A'));
  }
  static constexpr std::uint8_t kThorn = kLetterBase + 26;  // after Z
  static constexpr std::uint8_t kMu = kLetterBase + 27;     // Greek after Latin

  constexpr void Set(int byte, std::uint8_t p0, Accent accent = kPlain, std::uint8_t p1 = 0,
                     std::uint8_t p2 = 0) {
    w[byte] = Weight{{p0, p1, p2}, accent};
  }
  // Both cases of a letter variant.
  constexpr void Pair(int upper, int lower, char base, Accent accent) {
    Set(upper, Letter(base), accent);
    Set(lower, Letter(base), accent);
  }

  constexpr WeightTable() {
    // Control characters, hyphen, apostrophe and soft hyphen keep the all-zero weight.
    for (int c = 0x20; c < 0x100; ++c) {
      std::uint8_t p = PunctuationWeight(static_cast<char>(c));
      if (p) Set(c, p);
    }
    for (int d = 0; d < 10; ++d) Set('0' + d, Digit(d));
    for (char c = 'A'; c <= 'Z'; ++c) Pair(c, c + 32, c, kPlain);
    Set(0xB9, Digit(1), kRaised);
    Set(0xB2, Digit(2), kRaised);
    Set(0xB3, Digit(3), kRaised);
    const std::uint8_t slash = PunctuationWeight('/');
    Set(0xBC, Digit(1), kRaised, slash, Digit(4));
    Set(0xBD, Digit(1), kRaised, slash, Digit(2));
    Set(0xBE, Digit(3), kRaised, slash, Digit(4));

    struct Variant {
      int upper;
      char base;
      Accent accent;
    };
    constexpr Variant kVariants[] = {
        {0xC0, 'A', kGrave},     {0xC1, 'A', kAcute},      {0xC2, 'A', kCircumflex},
        {0xC3, 'A', kTilde},     {0xC4, 'A', kDiaeresis},  {0xC5, 'A', kRing},
        {0xC7, 'C', kCedilla},   {0xC8, 'E', kGrave},      {0xC9, 'E', kAcute},
        {0xCA, 'E', kCircumflex}, {0xCB, 'E', kDiaeresis}, {0xCC, 'I', kGrave},
        {0xCD, 'I', kAcute},     {0xCE, 'I', kCircumflex}, {0xCF, 'I', kDiaeresis},
        {0xD0, 'D', kEth},       {0xD1, 'N', kTilde},      {0xD2, 'O', kGrave},
        {0xD3, 'O', kAcute},     {0xD4, 'O', kCircumflex}, {0xD5, 'O', kTilde},
        {0xD6, 'O', kDiaeresis}, {0xD8, 'O', kStroke},     {0xD9, 'U', kGrave},
        {0xDA, 'U', kAcute},     {0xDB, 'U', kCircumflex}, {0xDC, 'U', kDiaeresis},
        {0xDD, 'Y', kAcute},
    };
    for (const Variant& v : kVariants) Pair(v.upper, v.upper + 32, v.base, v.accent);
    Pair(0x8A, 0x9A, 'S', kCaron);
    Pair(0x8E, 0x9E, 'Z', kCaron);
    Pair(0x9F, 0xFF, 'Y', kDiaeresis);
    Set(0x83, Letter('F'), kHook);
    Set(0xAA, Letter('A'), kRaised);
    Set(0xBA, Letter('O'), kRaised);
    Set(0xC6, Letter('A'), kLigature, Letter('E'));
    Set(0xE6, Letter('A'), kLigature, Letter('E'));
    Set(0x8C, Letter('O'), kLigature, Letter('E'));
    Set(0x9C, Letter('O'), kLigature, Letter('E'));
    Set(0xDF, Letter('S'), kLigature, Letter('S'));
    Set(0xDE, kThorn);
    Set(0xFE, kThorn);
    Set(0xB5, kMu);
  }
};
constexpr WeightTable kWeights;

const Weight& WeightOf(char c) { return kWeights.w[static_cast<unsigned char>(c)]; }
bool Ignored(char c) { return WeightOf(c).primary[0] == 0; }

// Walks the sort elements of a text: each byte gives up to three, ignored bytes none.
class Elements {
 public:
  explicit Elements(std::string_view s) : s_(s) {}
  // The next element's primary weight and accent; false at the end.
  bool Next(std::uint8_t& primary, std::uint8_t& accent) {
    while (pos_ < s_.size()) {
      const Weight& w = WeightOf(s_[pos_]);
      if (part_ < 3 && w.primary[part_] != 0) {
        primary = w.primary[part_];
        accent = part_ == 0 ? w.accent : std::uint8_t{kPlain};
        ++part_;
        return true;
      }
      ++pos_;
      part_ = 0;
    }
    return false;
  }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
  int part_ = 0;
};

// Walks the ignored bytes of a text with the number of non-ignored bytes before each.
class IgnoredBytes {
 public:
  explicit IgnoredBytes(std::string_view s) : s_(s) {}
  bool Next(std::size_t& before, unsigned char& byte) {
    for (; pos_ < s_.size(); ++pos_) {
      if (!Ignored(s_[pos_])) {
        ++kept_;
        continue;
      }
      before = kept_;
      byte = static_cast<unsigned char>(s_[pos_++]);
      return true;
    }
    return false;
  }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
  std::size_t kept_ = 0;
};

template <class T>
int Sign(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

std::string BaseCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  Elements elements(text);
  std::uint8_t primary = 0, accent = 0;
  while (elements.Next(primary, accent)) out += static_cast<char>(primary);
  return out;
}

// Three passes, each deciding only when the earlier ones found the texts equal: base
// characters (case and accents folded, hyphens and apostrophes skipped), then accents, then
// the skipped characters. Letter case never decides.
int CompareListOrder(std::string_view a, std::string_view b) {
  int accentOrder = 0;
  {
    Elements ea(a), eb(b);
    std::uint8_t pa = 0, aa = 0, pb = 0, ab = 0;
    for (;;) {
      bool moreA = ea.Next(pa, aa);
      bool moreB = eb.Next(pb, ab);
      if (!moreA || !moreB) {
        if (moreA != moreB) return moreA ? 1 : -1;
        break;
      }
      if (pa != pb) return Sign(pa, pb);
      if (accentOrder == 0) accentOrder = Sign(aa, ab);
    }
  }
  if (accentOrder != 0) return accentOrder;

  IgnoredBytes ia(a), ib(b);
  std::size_t posA = 0, posB = 0;
  unsigned char byteA = 0, byteB = 0;
  for (;;) {
    bool moreA = ia.Next(posA, byteA);
    bool moreB = ib.Next(posB, byteB);
    if (!moreA || !moreB) return moreA == moreB ? 0 : (moreA ? 1 : -1);
    // A skipped character further to the right sorts first ("co-op" after "coo-p").
    if (posA != posB) return Sign(posB, posA);
    if (byteA != byteB) return Sign(byteA, byteB);
  }
}

}  // namespace qvm
