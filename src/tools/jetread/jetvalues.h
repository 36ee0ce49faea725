#pragma once

// Decoders for the values of a Jet 4 row, from their stored bytes. Every function takes the
// bytes exactly as they lie on the page (little-endian) and never reads past `size`.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace hemu::jetread {

/// Jet 4 text (TEXT and MEMO values): "compressed" storage (the 0xFF 0xFE marker, then one byte
/// per character with 0x00 bytes toggling to and from two-byte characters) or plain UTF-16LE,
/// surrogate pairs included. `bad` is set when an unpaired surrogate or a half character had to
/// be replaced by U+FFFD.
std::string textToUtf8(const unsigned char *data, std::size_t size, bool *bad = nullptr);

/// MONEY: the 64-bit integer scaled by 10000, as its exact decimal with four decimals ("-12.3400").
std::string moneyToText(const unsigned char *data);

/// NUMERIC (17 bytes: sign byte, then the 128-bit magnitude as four little-endian words, the most
/// significant first) as its exact decimal with `scale` decimals.
std::string numericToText(const unsigned char *data, int scale);

/// DATETIME: days since 1899-12-30 as 'yyyy-MM-dd HH:mm:ss', rounded to the nearest second. For a
/// negative value the integer part is the day and the fraction's absolute value the time of day.
/// Empty when the value is not a date (NaN, infinite, outside the years 100 to 9999).
std::optional<std::string> dateToText(double days);

/// REPID: the 16-byte GUID as '{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}'.
std::string guidToText(const unsigned char *data);

double doubleAt(const unsigned char *data);
double floatAt(const unsigned char *data);
std::uint16_t u16At(const unsigned char *data);
std::uint32_t u32At(const unsigned char *data);
std::uint64_t u64At(const unsigned char *data);

/// `s` with ASCII letters in lower case: Jet compares table and column names without case.
std::string lowerAscii(std::string s);

/// The staging name of a Jet column type (BOOL, BYTE, ... NUMERIC), empty for a type this reader
/// does not know.
const char *jetTypeName(int type);

} // namespace hemu::jetread
