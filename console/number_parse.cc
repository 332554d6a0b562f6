#include "console/number_parse.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "console/number_bigint.h"
#include "console/number_parse_powers.h"

// A number is read once, checking the grammar and keeping its first 19
// significant digits as it goes.  Its value then comes from the first of
// three conversions that can settle it, each correctly rounded to nearest,
// ties to even:
//   1. short numbers near 1, most typed sizes: one exact multiplication
//      or division of two doubles (Clinger's fast path);
//   2. the rest but for a few in a billion: the digits times a 128-bit
//      approximation of the power of ten, with a bound on its error that
//      tells when the product decides the rounding (after Eisel and
//      Lemire);
//   3. those few: the exact decimal, up to 800 digits, against the exact
//      halfway points between doubles, in big integers.
// All of it is integer arithmetic or SSE2-rounded doubles, so the result is
// the same on every platform: the standard library's conversions of 32-bit
// x86 targets are built for the x87, whose wider registers round twice.

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// An unsigned decimal as kept * 10^scale: kept holds its first (at most 19)
// significant digits; the digits beyond those only raise the scale, and
// dropped says whether any of them was not zero.
struct decimal_parts {
    std::uint64_t kept;
    std::int64_t scale; // saturates far beyond any binary64 exponent
    bool dropped;
};

// How many digits n, not zero, has: from its bit length times log10(2)
// (1233 / 4096), one too many where n is below that power of ten.
int decimal_length(std::uint64_t n)
{
    // clang-format off
    static constexpr std::uint64_t powers_of_ten[] = {
        1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000,
        100000000000, 1000000000000, 10000000000000, 100000000000000, 1000000000000000,
        10000000000000000, 100000000000000000, 1000000000000000000, 10000000000000000000u};
    // clang-format on
    const int bits = 64 - std::countl_zero(n);
    const int guess = (bits * 1233) >> 12;
    return guess + (n >= powers_of_ten[guess] ? 1 : 0);
}

// Eight characters at once, the first in the lowest byte.
std::uint64_t load_eight(const char* text)
{
    std::uint64_t v;
    std::memcpy(&v, text, 8);
    if constexpr (std::endian::native == std::endian::big) {
        std::uint64_t swapped = 0;
        for (int i = 0; i < 8; ++i, v >>= 8)
            swapped = swapped << 8 | (v & 0xff);
        v = swapped;
    }
    return v;
}

// Whether the eight characters are all digits: each byte is 0x30 to 0x39,
// so that its high half is 3, and adding 6 leaves it 3.  (A byte that
// carries into the next fails itself.)
bool all_digits(std::uint64_t v)
{
    constexpr std::uint64_t high_halves = 0xf0f0f0f0f0f0f0f0;
    return ((v & high_halves) | (((v + 0x0606060606060606) & high_halves) >> 4)) == 0x3333333333333333;
}

// The value of eight digits, the first the most significant: pairs, then
// fours, then all eight, by multiplications within the word.
std::uint64_t value_of_eight(std::uint64_t v)
{
    v -= 0x3030303030303030;
    v = v * 10 + (v >> 8);
    constexpr std::uint64_t mask = 0x000000ff000000ff;
    const std::uint64_t hundreds = (v & mask) * (100 + (std::uint64_t{1000000} << 32));
    const std::uint64_t ones = ((v >> 16) & mask) * (1 + (std::uint64_t{10000} << 32));
    return (hundreds + ones) >> 32;
}

// The digits beyond the 19 kept, from text[i] on: only counted, as places
// before the point raise the scale; eight at a time where they can be.
std::size_t count_dropped(const char* text, std::size_t size, std::size_t i, bool after_point, decimal_parts* d)
{
    std::int64_t places = 0;
    bool dropped = false;
    for (;;) {
        const std::size_t start = i;
        for (; size - i >= 8 && all_digits(load_eight(text + i)); i += 8)
            dropped = dropped || load_eight(text + i) != 0x3030303030303030;
        for (; i < size && is_digit(text[i]); ++i)
            dropped = dropped || text[i] != '0';
        if (!after_point)
            places += static_cast<std::int64_t>(i - start);
        if (after_point || i == size || text[i] != '.')
            break;
        after_point = true;
        ++i;
    }
    d->scale += places;
    d->dropped = dropped;
    return i;
}

// Reads s, all of it, as an unsigned decimal: digits with an optional
// point and more digits or a point and digits, and an optional exponent
// "e" or "E" with an optional sign and digits.  False if s is not one.
// Leading zeros are skipped, the next 19 digits taken at once, and any
// beyond them only counted.
bool read_decimal(std::string_view s, decimal_parts* d)
{
    const char* const text = s.data();
    const std::size_t size = s.size();
    std::uint64_t value = 0;
    // Digits from i, up to 19 kept in all, eight at a time where they can be.
    int kept = 0;
    const auto take = [text, size, &value, &kept](std::size_t i) {
        const auto room = static_cast<std::size_t>(19 - kept);
        const std::size_t limit = size - i < room ? size : i + room;
        const std::size_t start = i;
        for (; limit - i >= 8 && all_digits(load_eight(text + i)); i += 8)
            value = value * 100000000 + value_of_eight(load_eight(text + i));
        for (; i < limit && is_digit(text[i]); ++i)
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
        kept += static_cast<int>(i - start);
        return i;
    };
    const auto skip_zeros = [text, size](std::size_t i) {
        while (i < size && text[i] == '0')
            ++i;
        return i;
    };
    std::size_t i = take(skip_zeros(0));
    std::size_t digits = i;
    std::int64_t scale = 0;
    bool after_point = false;
    if (kept < 19 && i < size && text[i] == '.') {
        after_point = true;
        const std::size_t start = ++i;
        if (kept == 0)
            i = skip_zeros(i); // after the point, leading zeros lower the scale
        i = take(i);
        digits += i - start;
        scale = -static_cast<std::int64_t>(i - start);
    }
    d->kept = value;
    d->scale = scale;
    d->dropped = false;
    if (kept == 19 && i < size && (is_digit(text[i]) || (!after_point && text[i] == '.')))
        i = count_dropped(text, size, i, after_point, d);
    if (digits == 0)
        return false;
    if (i < size && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < size && (text[i] == '+' || text[i] == '-'))
            negative = text[i++] == '-';
        if (i == size || !is_digit(text[i]))
            return false; // "1e", "1e+": an exponent without digits
        std::int64_t written = 0;
        for (; i < size && is_digit(text[i]); ++i) {
            if (written < 1000000000)
                written = written * 10 + (text[i] - '0');
        }
        d->scale += negative ? -written : written;
    }
    return i == size;
}

// 1. Few digits and a small exponent: the value is one correctly rounded
// multiplication or division of two exact doubles.
bool convert_exactly(decimal_parts d, double* value)
{
    static constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                               1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::uint64_t exact_limit = std::uint64_t{1} << 53;
    // Dropped digits come only after 19 kept ones, far beyond 2^53.
    if (d.kept > exact_limit || d.scale < -22)
        return false;
    // 123e25 is 1230000e22: the surplus goes into the digits while they
    // stay exact.
    while (d.scale > 22 && d.kept <= exact_limit / 10) {
        d.kept *= 10;
        --d.scale;
    }
    if (d.scale > 22)
        return false;
    const auto digits = static_cast<double>(d.kept);
    *value = d.scale >= 0 ? digits * powers_of_ten[d.scale] : digits / powers_of_ten[-d.scale];
    return true;
}

struct u128 {
    std::uint64_t high;
    std::uint64_t low;
};

// The full product of two 64-bit numbers: in the compiler's 128-bit type
// where there is one, else in 32-bit halves (32-bit targets, MSVC).
u128 multiply(std::uint64_t a, std::uint64_t b)
{
#if defined(__SIZEOF_INT128__)
    __extension__ using wide = unsigned __int128;
    const wide product = static_cast<wide>(a) * b;
    return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
    const std::uint64_t a_low = a & 0xffffffffu;
    const std::uint64_t a_high = a >> 32;
    const std::uint64_t b_low = b & 0xffffffffu;
    const std::uint64_t b_high = b >> 32;
    const std::uint64_t low_low = a_low * b_low;
    const std::uint64_t low_high = a_low * b_high;
    const std::uint64_t high_low = a_high * b_low;
    const std::uint64_t middle = (low_low >> 32) + (low_high & 0xffffffffu) + (high_low & 0xffffffffu);
    return {a_high * b_high + (low_high >> 32) + (high_low >> 32) + (middle >> 32),
            (middle << 32) | (low_low & 0xffffffffu)};
#endif
}

struct rounded {
    double value;
    bool sure; // false: the value may be one step off, and step 3 decides
};

// 2. w * 10^q, for w not zero, from the 192-bit product of w, moved up to
// its leading bit, and the table's t, the integer part of 5^q / 2^e.  The
// top word of the product holds the 53 bits kept and the rounding bit.
// The true value is the product exactly where t is exact and no digit was
// dropped; otherwise it is more than the product, by less than 2^64 (t's
// error) and, if digits were dropped, less than w's last place times t.
// The rounding is sure unless the value may lie either side of a halfway
// point, a few chances in 2^64.
rounded eisel_lemire(std::uint64_t w, std::int64_t q, bool dropped)
{
    if (q < powers_of_five_least)
        return {0.0, true}; // below 2^64 * 10^-343, less than half the least double
    if (q > powers_of_five_greatest)
        return {infinity, true};
    const power_of_five& t = powers_of_five[q - powers_of_five_least];
    const bool exact = q >= 0 && q <= 55 && !dropped;
    const int leading_zeros = std::countl_zero(w);
    const std::uint64_t v = w << leading_zeros;
    const u128 low = multiply(v, t.low);
    const u128 high = multiply(v, t.high);
    const std::uint64_t p0 = low.low;
    const std::uint64_t p1 = low.high + high.low;
    const std::uint64_t p2 = high.high + (p1 < low.high ? 1 : 0);

    // value = p2:p1:p0 * 2^scale, the product at least 2^190.
    const int top = (p2 >> 63) != 0 ? 191 : 190;
    const int scale = t.exponent + static_cast<int>(q) - leading_zeros;
    const int binary_exponent = top + scale;
    // Where in the product the result's last bit stands: 53 bits below the
    // leading one, or at 2^-1074 for a subnormal result.
    const int last = binary_exponent >= -1022 ? top - 52 : -1074 - scale;
    if (last > 192)
        return {0.0, true};        // below 2^-1075: rounds to zero
    const int in_top = last - 128; // from 10 to 64
    std::uint64_t mantissa = in_top < 64 ? p2 >> in_top : 0;
    // What lies below the last bit, in units of 2^64 (p0 aside): rest, as
    // rest_high:p1, against the halfway point, half:0.
    const std::uint64_t rest_high = in_top < 64 ? p2 & ((std::uint64_t{1} << in_top) - 1) : p2;
    const std::uint64_t half = std::uint64_t{1} << (in_top - 1);
    bool up;
    bool sure = true;
    if (exact) {
        const bool above = rest_high > half || (rest_high == half && (p1 | p0) != 0);
        const bool tie = rest_high == half && (p1 | p0) == 0;
        up = above || (tie && (mantissa & 1) != 0);
    } else if (rest_high >= half) {
        up = true; // at or above the halfway point, and the value is more
    } else {
        // Below it by half:0 - rest_high:p1; the value may be more by less
        // than 1 + (dropped ? 2^(leading_zeros + 64) : 0) units.
        const std::uint64_t gap_low = std::uint64_t{0} - p1;
        const std::uint64_t gap_high = half - rest_high - (p1 != 0 ? 1 : 0);
        const std::uint64_t more_high = dropped ? std::uint64_t{1} << leading_zeros : 0;
        sure = gap_high > more_high || (gap_high == more_high && gap_low > 1);
        up = false;
    }
    if (up)
        ++mantissa;
    std::uint64_t bits;
    if (binary_exponent >= -1022) {
        int exponent = binary_exponent;
        if (mantissa == std::uint64_t{1} << 53) {
            mantissa >>= 1;
            ++exponent;
        }
        if (exponent > 1023)
            return {infinity, sure};
        bits = static_cast<std::uint64_t>(exponent + 1023) << 52 | (mantissa & ((std::uint64_t{1} << 52) - 1));
    } else {
        bits = mantissa; // rounded up to 2^52, the least normal double
    }
    return {std::bit_cast<double>(bits), sure};
}

// 3. The decimal exactly: its first 800 significant digits, as digits *
// 10^exponent, and whether any digit beyond them is not zero.  No halfway
// point between two doubles has more than 767 significant digits, so one
// that the 800 digits reach equals them, and then the dropped ones put the
// value above it.
struct exact_decimal {
    big_integer digits;
    int exponent;
    bool dropped;
};

void read_exactly(std::string_view s, exact_decimal* d)
{
    set_big(d->digits, 0);
    std::int64_t exponent = 0;
    d->dropped = false;
    int count = 0;
    std::uint32_t chunk = 0;
    std::uint32_t chunk_scale = 1;
    bool after_point = false;
    std::size_t i = 0;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        if (s[i] == '.') {
            after_point = true;
            continue;
        }
        const auto digit = static_cast<std::uint32_t>(s[i] - '0');
        if (count == 0 && digit == 0) {
            exponent -= after_point ? 1 : 0;
        } else if (count < 800) {
            chunk = chunk * 10 + digit;
            chunk_scale *= 10;
            if (chunk_scale == 1000000000) {
                multiply_add(d->digits, chunk_scale, chunk);
                chunk = 0;
                chunk_scale = 1;
            }
            ++count;
            exponent -= after_point ? 1 : 0;
        } else {
            exponent += after_point ? 0 : 1;
            d->dropped = d->dropped || digit != 0;
        }
    }
    multiply_add(d->digits, chunk_scale, chunk);
    if (i < s.size()) {
        // The grammar has been checked: an optional sign, and digits.
        ++i;
        bool negative = false;
        if (s[i] == '+' || s[i] == '-')
            negative = s[i++] == '-';
        std::int64_t written = 0;
        for (; i < s.size(); ++i) {
            if (written < 1000000000)
                written = written * 10 + (s[i] - '0');
        }
        exponent += negative ? -written : written;
    }
    // Only numbers whose magnitude lies between 10^-344 and 10^310 come
    // here, so this fits.
    d->exponent = static_cast<int>(exponent);
}

// The sign of d - n * 2^binary.
int compare_exactly(const exact_decimal& d, std::uint64_t n, int binary)
{
    big_integer left = d.digits;
    big_integer right;
    set_big(right, n);
    if (d.exponent >= 0)
        multiply_by_power_of_five(left, d.exponent);
    else
        multiply_by_power_of_five(right, -d.exponent);
    const int twos = d.exponent - binary;
    if (twos >= 0)
        shift_left(left, twos);
    else
        shift_left(right, -twos);
    const int sign = compare(left, right);
    return sign != 0 ? sign : d.dropped ? 1 : 0;
}

// The point halfway between the positive double of these bits and the
// next one up (infinity after the largest), as n * 2^binary.
void halfway_above(std::uint64_t bits, std::uint64_t* n, int* binary)
{
    const auto decode = [](std::uint64_t b, std::uint64_t* m, int* e) {
        const auto field = static_cast<int>(b >> 52);
        *m = (b & ((std::uint64_t{1} << 52) - 1)) | (field != 0 ? std::uint64_t{1} << 52 : 0);
        *e = (field != 0 ? field : 1) - 1075;
    };
    std::uint64_t m_low;
    std::uint64_t m_high;
    int e_low;
    int e_high;
    decode(bits, &m_low, &e_low);
    decode(bits + 1, &m_high, &e_high);
    *n = m_low + (m_high << (e_high - e_low));
    *binary = e_low - 1;
}

// Starting from a guess within a step or two of it, the double whose
// rounding interval holds the decimal; at a halfway point, the even one.
double settle_exactly(std::string_view magnitude, double guess)
{
    exact_decimal d;
    read_exactly(magnitude, &d);
    constexpr std::uint64_t infinity_bits = 0x7ff0000000000000;
    auto bits = std::bit_cast<std::uint64_t>(guess);
    for (;;) {
        std::uint64_t n;
        int binary;
        if (bits < infinity_bits) {
            halfway_above(bits, &n, &binary);
            const int above = compare_exactly(d, n, binary);
            if (above > 0 || (above == 0 && (bits & 1) != 0)) {
                ++bits;
                continue;
            }
        }
        if (bits > 0) {
            halfway_above(bits - 1, &n, &binary);
            const int below = compare_exactly(d, n, binary);
            if (below < 0 || (below == 0 && (bits & 1) != 0)) {
                --bits;
                continue;
            }
        }
        return std::bit_cast<double>(bits);
    }
}

double convert(std::string_view magnitude, const decimal_parts& d)
{
    if (d.kept == 0)
        return 0.0;
    double value = 0.0;
    if (convert_exactly(d, &value))
        return value;
    // The decimal lies in [10^(magnitude - 1), 10^magnitude).
    const std::int64_t decimal_magnitude = d.scale + decimal_length(d.kept);
    if (decimal_magnitude > 309)
        return infinity; // at least 10^309
    if (decimal_magnitude < -343)
        return 0.0; // below 10^-344, less than half the least double
    const rounded r = eisel_lemire(d.kept, d.scale, d.dropped);
    return r.sure ? r.value : settle_exactly(magnitude, r.value);
}

} // namespace

bool parse_decimal(std::string_view token, double* value)
{
    if (token.empty() || token.size() > longest_number)
        return false;
    const bool negative = token[0] == '-';
    std::string_view magnitude = token;
    if (token[0] == '+' || token[0] == '-')
        magnitude.remove_prefix(1);
    decimal_parts d;
    if (!read_decimal(magnitude, &d))
        return false;
    const double result = convert(magnitude, d);
    *value = negative ? -result : result;
    return true;
}
