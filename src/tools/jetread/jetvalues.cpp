#include "jetvalues.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace hemu::jetread {

std::uint16_t u16At(const unsigned char *d)
{
    return std::uint16_t(d[0] | (d[1] << 8));
}

std::uint32_t u32At(const unsigned char *d)
{
    return std::uint32_t(d[0]) | (std::uint32_t(d[1]) << 8) | (std::uint32_t(d[2]) << 16) | (std::uint32_t(d[3]) << 24);
}

std::uint64_t u64At(const unsigned char *d)
{
    return std::uint64_t(u32At(d)) | (std::uint64_t(u32At(d + 4)) << 32);
}

double doubleAt(const unsigned char *d)
{
    const std::uint64_t bits = u64At(d);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double floatAt(const unsigned char *d)
{
    const std::uint32_t bits = u32At(d);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return double(v);
}

namespace {

void appendUtf8(std::string &out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Turns a run of UTF-16 code units into UTF-8, pairing surrogates; `pendingHigh` carries a high
// surrogate across calls so that a pair split by a compression toggle still decodes.
struct Utf16Sink
{
    std::string out;
    std::uint32_t pendingHigh = 0;
    bool bad = false;

    void unit(std::uint32_t u)
    {
        if (pendingHigh) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (u - 0xDC00));
                pendingHigh = 0;
                return;
            }
            replacement();
            pendingHigh = 0;
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            pendingHigh = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            replacement();
        else
            appendUtf8(out, u);
    }
    void replacement()
    {
        appendUtf8(out, 0xFFFD);
        bad = true;
    }
    void finish()
    {
        if (pendingHigh) {
            replacement();
            pendingHigh = 0;
        }
    }
};

} // namespace

std::string textToUtf8(const unsigned char *data, std::size_t size, bool *bad)
{
    Utf16Sink sink;
    sink.out.reserve(size + size / 2);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        // Compressed: single bytes are characters U+0001..U+00FF; a 0x00 byte switches to two-byte
        // characters and, read where a character starts, back again.
        bool compressed = true;
        std::size_t i = 2;
        while (i < size) {
            if (compressed) {
                if (data[i] == 0)
                    compressed = false;
                else
                    sink.unit(data[i]);
                ++i;
            } else if (data[i] == 0) {
                // Where a two-byte character would start, a zero byte is the toggle: Jet keeps
                // characters with a zero low byte out of the two-byte runs.
                compressed = true;
                ++i;
            } else if (i + 1 < size) {
                sink.unit(u16At(data + i));
                i += 2;
            } else {
                sink.replacement(); // half a character at the end
                ++i;
            }
        }
    } else {
        std::size_t i = 0;
        for (; i + 1 < size; i += 2)
            sink.unit(u16At(data + i));
        if (i < size)
            sink.replacement();
    }
    sink.finish();
    if (bad)
        *bad = sink.bad;
    return std::move(sink.out);
}

namespace {

// Writes `v` in decimal, at least `width` digits, ending just before `end`; returns the first.
char *digitsBefore(char *end, std::uint64_t v, int width)
{
    do {
        *--end = char('0' + v % 10);
        v /= 10;
        --width;
    } while (v != 0 || width > 0);
    return end;
}

} // namespace

std::string moneyToText(const unsigned char *data)
{
    const std::int64_t v = std::int64_t(u64At(data));
    const std::uint64_t mag = v < 0 ? 0 - std::uint64_t(v) : std::uint64_t(v);
    char buf[40];
    char *end = buf + sizeof buf;
    char *p = digitsBefore(end, mag % 10000, 4);
    *--p = '.';
    p = digitsBefore(p, mag / 10000, 1);
    if (v < 0)
        *--p = '-';
    return std::string(p, end);
}

std::string numericToText(const unsigned char *data, int scale)
{
    unsigned __int128 mag = 0;
    for (int k = 0; k < 4; ++k)
        mag = (mag << 32) | u32At(data + 1 + 4 * k);
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(mag % 10)));
        mag /= 10;
    } while (mag != 0);
    if (scale < 0)
        scale = 0;
    if (scale > 38)
        scale = 38;
    if (int(digits.size()) <= scale)
        digits.insert(0, std::size_t(scale + 1 - int(digits.size())), '0');
    if (scale > 0)
        digits.insert(digits.size() - std::size_t(scale), 1, '.');
    const bool zero = digits.find_first_not_of("0.") == std::string::npos;
    if ((data[0] & 0x80) && !zero)
        digits.insert(digits.begin(), '-');
    return digits;
}

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, long long &y, unsigned &m, unsigned &d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = (long long)yoe + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
}

} // namespace

std::optional<std::string> dateToText(double days)
{
    // Years 100 to 9999, the range Jet itself accepts, with a day to spare on either side.
    if (!std::isfinite(days) || days < -657435.0 || days > 2958466.0)
        return std::nullopt;
    double whole = std::trunc(days);
    const double fraction = std::fabs(days - whole); // exact: both are doubles of the same binade or less
    long long day = (long long)whole;
    long long seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    long long y;
    unsigned m, d;
    civilFromDays(day - 25569, y, m, d); // 1899-12-30 is 25569 days before 1970-01-01
    if (y < 100 || y > 9999)
        return std::nullopt;
    // 'yyyy-MM-dd HH:mm:ss', written by hand: this runs for every date of every bill.
    char buf[19];
    digitsBefore(buf + 4, std::uint64_t(y), 4);
    buf[4] = '-';
    digitsBefore(buf + 7, m, 2);
    buf[7] = '-';
    digitsBefore(buf + 10, d, 2);
    buf[10] = ' ';
    digitsBefore(buf + 13, std::uint64_t(seconds / 3600), 2);
    buf[13] = ':';
    digitsBefore(buf + 16, std::uint64_t((seconds / 60) % 60), 2);
    buf[16] = ':';
    digitsBefore(buf + 19, std::uint64_t(seconds % 60), 2);
    return std::string(buf, sizeof buf);
}

std::string guidToText(const unsigned char *g)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(u32At(g)),
                  unsigned(u16At(g + 4)), unsigned(u16At(g + 6)), g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return buf;
}

std::string lowerAscii(std::string s)
{
    for (char &c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

const char *jetTypeName(int type)
{
    switch (type) {
    case 0x01: return "BOOL";
    case 0x02: return "BYTE";
    case 0x03: return "INT";
    case 0x04: return "LONG";
    case 0x05: return "MONEY";
    case 0x06: return "FLOAT";
    case 0x07: return "DOUBLE";
    case 0x08: return "DATETIME";
    case 0x09: return "BINARY";
    case 0x0A: return "TEXT";
    case 0x0B: return "OLE";
    case 0x0C: return "MEMO";
    case 0x0F: return "REPID";
    case 0x10: return "NUMERIC";
    default: return "";
    }
}

} // namespace hemu::jetread
