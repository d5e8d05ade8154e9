// Code page 932 through iconv ("CP932", whatever the locale says). Each converter is opened on
// first use and kept for the life of the process; every call starts from a reset state. The
// plug-in runs on one thread.
#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tarvo::platform {
namespace {

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != kFailed) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // The converter in its initial state.
  iconv_t Reset() const {
    if (cd_ == kFailed) throw std::runtime_error("iconv cannot convert code page 932");
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return cd_;
  }

 private:
  static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(std::intptr_t{-1});
  iconv_t cd_;
};

// Converts `in` with `cd`, writing from unit `at` of `out` on (growing `out` if it has to), and
// returns the end of what was written. Where the converter rejects the input (a sequence it
// cannot read or a character it cannot write) `skip(position, bytesLeft)` says how many input
// bytes one `replacement` stands for; a sequence cut short by the end of the input is one
// replacement.
template <typename OutChar, typename Skip>
std::size_t Run(iconv_t cd, std::string_view in, std::basic_string<OutChar>& out, std::size_t at,
                OutChar replacement, Skip skip) {
  char* src = const_cast<char*>(in.data());  // iconv's signature; it only reads the input
  std::size_t srcLeft = in.size();
  char* base = reinterpret_cast<char*>(out.data());
  char* dst = base + at * sizeof(OutChar);
  std::size_t dstLeft = (out.size() - at) * sizeof(OutChar);
  auto grow = [&] {
    const std::size_t used = static_cast<std::size_t>(dst - base) / sizeof(OutChar);
    out.resize(out.size() + std::max<std::size_t>(out.size(), 16));
    base = reinterpret_cast<char*>(out.data());
    dst = base + used * sizeof(OutChar);
    dstLeft = (out.size() - used) * sizeof(OutChar);
  };
  while (srcLeft > 0) {
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
    const int error = errno;
    if (error == E2BIG) {
      grow();
      continue;
    }
    // EILSEQ or EINVAL: one replacement for the rejected sequence.
    if (dstLeft < sizeof(OutChar)) grow();
    std::memcpy(dst, &replacement, sizeof(OutChar));
    dst += sizeof(OutChar);
    dstLeft -= sizeof(OutChar);
    const std::size_t n = error == EINVAL ? srcLeft : std::min(srcLeft, skip(src, srcLeft));
    src += n;
    srcLeft -= n;
  }
  return static_cast<std::size_t>(dst - base) / sizeof(OutChar);
}

// An invalid Shift-JIS sequence: a lead byte with a trail byte is one (unassigned) character;
// any other byte stands alone.
std::size_t InvalidSjisLength(const char* p, std::size_t left) {
  const auto lead = static_cast<unsigned char>(p[0]);
  const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
  if (!isLead || left < 2) return 1;
  const auto trail = static_cast<unsigned char>(p[1]);
  return (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) ? 2 : 1;
}

// A UTF-16 unit without a code page 932 form; a surrogate pair is one character.
std::size_t RejectedUtf16Length(const char* p, std::size_t left) {
  if (left < 4) return 2;
  char16_t first;
  char16_t second;
  std::memcpy(&first, p, 2);
  std::memcpy(&second, p + 2, 2);
  const bool pair = first >= 0xD800 && first <= 0xDBFF && second >= 0xDC00 && second <= 0xDFFF;
  return pair ? 4 : 2;
}

// A well-formed UTF-8 sequence the code page lacks is one character; a malformed byte stands
// alone.
std::size_t RejectedUtf8Length(const char* p, std::size_t left) {
  const auto b = static_cast<unsigned char>(p[0]);
  std::size_t n = 1;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
  }
  if (n > left) return 1;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(p[k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

// Eight units from `p` on, all of them ASCII.
bool AllAscii(const char16_t* p) {
  std::uint64_t a;
  std::uint64_t b;
  std::memcpy(&a, p, 8);
  std::memcpy(&b, p + 4, 8);
  return ((a | b) & 0xFF80FF80FF80FF80) == 0;
}

std::string_view BytesOf(std::u16string_view units) {
  return {reinterpret_cast<const char*>(units.data()), units.size() * sizeof(char16_t)};
}

}  // namespace

std::u16string Cp932ToUtf16(std::string_view sjis) {
  static const Converter converter(kUtf16, "CP932");
  std::u16string out(sjis.size(), u'\0');  // never more units than bytes
  out.resize(Run(converter.Reset(), sjis, out, 0, u'\u30FB', InvalidSjisLength));
  return out;
}

std::string Utf16ToCp932(std::u16string_view wide) {
  static const Converter converter("CP932", kUtf16);
  std::string out(wide.size() * 2, '\0');  // never more than two bytes per unit
  iconv_t cd = nullptr;
  const char16_t* p = wide.data();
  const std::size_t n = wide.size();
  std::size_t o = 0;
  std::size_t i = 0;
  while (i < n) {
    // ASCII is the same in both; only the runs between it go through the converter.
    std::size_t run = i;
    while (run + 8 <= n && AllAscii(p + run)) run += 8;
    while (run < n && p[run] < 0x80) ++run;
    char* dst = out.data() + o;
    for (std::size_t k = 0; k < run - i; ++k) dst[k] = static_cast<char>(p[i + k]);
    o += run - i;
    i = run;
    if (i == n) break;
    std::size_t j = i;
    while (j < n && p[j] >= 0x80) ++j;
    if (cd == nullptr) cd = converter.Reset();
    o = Run(cd, BytesOf(wide.substr(i, j - i)), out, o, '?', RejectedUtf16Length);
    i = j;
  }
  out.resize(o);
  return out;
}

std::string Cp932ToUtf8(std::string_view sjis) {
  static const Converter converter("UTF-8", "CP932");
  std::string out(sjis.size() * 3, '\0');  // half-width katakana takes three bytes
  out.resize(Run(converter.Reset(), sjis, out, 0, '?', InvalidSjisLength));
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  static const Converter converter("CP932", "UTF-8");
  std::string out(utf8.size(), '\0');
  out.resize(Run(converter.Reset(), utf8, out, 0, '?', RejectedUtf8Length));
  return out;
}

}  // namespace tarvo::platform
