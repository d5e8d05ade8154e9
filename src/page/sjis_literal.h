// Shift-JIS text literals written in UTF-8 source.
//
// Every text the system compares with or writes is a code page 932 byte string. Source files stay
// readable UTF-8: "著者"_sj is converted at compile time into its Shift-JIS bytes and yields a
// std::string_view to static storage. A character that code page 932 lacks stops the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarvo {
namespace sjis_literal_detail {

struct Cp932Pair {
  std::uint16_t unit;
  std::uint16_t sjis;
};

inline constexpr Cp932Pair kCp932[] = {
#include "page/cp932_table.inc"
};

constexpr std::uint16_t LookUp(std::uint32_t unit) {
  std::size_t lo = 0, hi = sizeof(kCp932) / sizeof(kCp932[0]);
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (kCp932[mid].unit < unit) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo == sizeof(kCp932) / sizeof(kCp932[0]) || kCp932[lo].unit != unit) {
    throw "character has no code page 932 form";  // not a constant expression: build error
  }
  return kCp932[lo].sjis;
}

template <std::size_t N>
struct Utf8Text {
  char bytes[N]{};
  consteval Utf8Text(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
  }
};

template <std::size_t N>
struct SjisBytes {
  char bytes[N]{};  // a Shift-JIS form is never longer than its UTF-8 form
  std::size_t size = 0;
};

template <Utf8Text S>
consteval auto Encode() {
  constexpr std::size_t n = sizeof(S.bytes);
  SjisBytes<n> out;
  std::size_t i = 0;
  while (i + 1 < n) {  // the last byte is the literal's terminating NUL
    const auto b = static_cast<unsigned char>(S.bytes[i]);
    std::uint32_t unit = 0;
    if (b < 0x80) {
      out.bytes[out.size++] = static_cast<char>(b);
      ++i;
      continue;
    }
    if ((b & 0xE0) == 0xC0) {
      unit = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(S.bytes[i + 1]) & 0x3Fu);
      i += 2;
    } else if ((b & 0xF0) == 0xE0) {
      unit = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(S.bytes[i + 1]) & 0x3Fu) << 6) |
             (static_cast<unsigned char>(S.bytes[i + 2]) & 0x3Fu);
      i += 3;
    } else {
      throw "literal holds a character outside the Basic Multilingual Plane";
    }
    const std::uint16_t sj = LookUp(unit);
    if (sj > 0xFF) out.bytes[out.size++] = static_cast<char>(sj >> 8);
    out.bytes[out.size++] = static_cast<char>(sj & 0xFF);
  }
  return out;
}

template <Utf8Text S>
inline constexpr auto kStorage = Encode<S>();

}  // namespace sjis_literal_detail

// "テキスト"_sj: the Shift-JIS bytes of a UTF-8 literal, as a view of static storage.
template <sjis_literal_detail::Utf8Text S>
constexpr std::string_view operator""_sj() {
  return {sjis_literal_detail::kStorage<S>.bytes, sjis_literal_detail::kStorage<S>.size};
}

}  // namespace tarvo
