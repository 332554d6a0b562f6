#include "console/number_format.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "console/number_parse.h" // the decimal point, the same for what is read and what is written

// The hot path, ten figures a report.  Below 2^64, m * 2^e comes out exactly in integers: the integer part m shifted,
// the decimals the rest times 10^6 over 2^-e (73 bits at most), half to even; from 2^64 on, an integer, in full.

namespace {

constexpr std::uint64_t million = 1000000;

// Two decimal digits per lookup.
constexpr char digit_pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

int decimal_length(std::uint64_t n) {
    int length = 1;
    for (; n >= 10000; n /= 10000) length += 4;
    if (n >= 1000) return length + 3;
    if (n >= 100) return length + 2;
    return n >= 10 ? length + 1 : length;
}

} // namespace

// Written from the last digit back, straight into place.
char* put_decimal(std::uint64_t n, char* out) {
    char* const end = out + decimal_length(n);
    char* p = end;
    while (n >= 100) {
        const auto pair = static_cast<unsigned>(n % 100) * 2;
        n /= 100;
        p -= 2;
        std::memcpy(p, digit_pairs + pair, 2);
    }
    if (n >= 10)
        std::memcpy(p - 2, digit_pairs + n * 2, 2);
    else
        p[-1] = static_cast<char>('0' + n);
    return end;
}

namespace {

// Six decimals of a value below 10^6, zero-padded.
char* put_six_decimals(std::uint32_t n, char* out) {
    const std::uint32_t high = n / 10000;
    const std::uint32_t rest = n % 10000;
    std::memcpy(out, digit_pairs + high * 2, 2);
    std::memcpy(out + 2, digit_pairs + (rest / 100) * 2, 2);
    std::memcpy(out + 4, digit_pairs + (rest % 100) * 2, 2);
    return out + 6;
}

// value / 2^bits, rounded half to even; sticky: nonzero bits below value, which make a tie more than half.
std::uint64_t shift_rounded(std::uint64_t value, int bits, bool sticky) {
    const std::uint64_t quotient = value >> bits;
    const std::uint64_t rest = value & ((std::uint64_t{1} << bits) - 1);
    const std::uint64_t half = std::uint64_t{1} << (bits - 1);
    return rest > half || (rest == half && (sticky || (quotient & 1) != 0)) ? quotient + 1 : quotient;
}

// round(fraction * 10^6 / 2^shift), half to even, for fraction < 2^shift and < 2^53: at most 10^6.
std::uint32_t round_scaled_fraction(std::uint64_t fraction, int shift) {
    // 10^6 is 15625 * 2^6; fraction * 15625 < 2^(shift + 14) fits 64 bits up to a shift of 50: values of 4 and more.
    if (shift <= 6) return static_cast<std::uint32_t>((fraction * 15625) << (6 - shift));
    if (shift <= 50) return static_cast<std::uint32_t>(shift_rounded(fraction * 15625, shift - 6, false));
    // The product is below 2^73: from a shift of 75 on it rounds to zero.
    if (shift >= 75) return 0;
    // fraction * 10^6 as high * 2^32 + low, for compilers without a 128-bit type: high is below 2^42.
    const std::uint64_t low = (fraction & 0xffffffffu) * million;
    const std::uint64_t high = (fraction >> 32) * million + (low >> 32);
    return static_cast<std::uint32_t>(shift_rounded(high, shift - 32, (low & 0xffffffffu) != 0));
}

// Figures of 2^64 and more: groups of nine digits, the lowest first.
constexpr std::uint32_t billion = 1000000000;

// groups[0, count) times 2^step, for a step of at most 29: each group times 2^29 and a carry stays below 2^59, so the
// carry out of the last group fits in one more.  Returns the new count.
constexpr int double_groups(std::uint32_t* groups, int count, int step) {
    std::uint64_t carry = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint64_t doubled = (std::uint64_t{groups[i]} << step) + carry;
        groups[i] = static_cast<std::uint32_t>(doubled % billion);
        carry = doubled / billion;
    }
    if (carry != 0) groups[count++] = static_cast<std::uint32_t>(carry);
    return count;
}

// The groups that 2^1024, above every finite double, takes: format_large has room for exactly so many.
consteval int groups_of_two_to_the_1024() {
    std::uint32_t groups[64] = {1};
    int count = 1;
    for (int shift = 1024; shift > 0; shift -= 29) count = double_groups(groups, count, shift < 29 ? shift : 29);
    return count;
}

// Kept out of format_figure: inlined, its stack and the registers it saves would cost every figure of a report.
#if defined(_MSC_VER)
#define RARELY_CALLED __declspec(noinline)
#else
#define RARELY_CALLED [[gnu::noinline]]
#endif

// 2^64 and more, or infinite: mantissa * 2^exponent, an integer, written in full, its groups doubled exponent times.
RARELY_CALLED char* format_large(std::uint64_t mantissa, int exponent, char* out) {
    if (exponent == 0x7ff - 1075) {
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    std::uint32_t groups[groups_of_two_to_the_1024()];
    int count = 0;
    for (; mantissa != 0; mantissa /= billion) groups[count++] = static_cast<std::uint32_t>(mantissa % billion);
    for (; exponent > 0; exponent -= 29) count = double_groups(groups, count, exponent < 29 ? exponent : 29);
    out = put_decimal(groups[count - 1], out);
    for (int i = count - 2; i >= 0; --i) {
        std::uint32_t g = groups[i];
        for (int k = 8; k >= 0; --k, g /= 10) out[k] = static_cast<char>('0' + g % 10);
        out += 9;
    }
    *out++ = decimal_point;
    std::memset(out, '0', 6);
    return out + 6;
}

} // namespace

char* format_figure(double value, char* out) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased_exponent = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction_bits = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased_exponent == 0x7ff && fraction_bits != 0) {
        // No sign: processors differ on the sign of the NaN of inf - inf, and every build prints the same text.
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if ((bits >> 63) != 0) *out++ = '-';
    const std::uint64_t mantissa = biased_exponent == 0 ? fraction_bits : fraction_bits | (std::uint64_t{1} << 52);
    const int exponent = (biased_exponent == 0 ? 1 : biased_exponent) - 1075;
    if (exponent >= 64 - 52) return format_large(mantissa, exponent, out); // 2^64 and more, or infinite
    std::uint64_t integer_part;
    std::uint32_t decimals;
    if (exponent >= 0) {
        integer_part = mantissa << exponent;
        decimals = 0;
    } else {
        const int shift = -exponent;
        integer_part = shift < 64 ? mantissa >> shift : 0;
        const std::uint64_t rest = shift < 64 ? mantissa & ((std::uint64_t{1} << shift) - 1) : mantissa;
        decimals = round_scaled_fraction(rest, shift);
        if (decimals == million) {
            decimals = 0;
            ++integer_part; // below 2^53 here, so it cannot wrap
        }
    }
    out = put_decimal(integer_part, out);
    *out++ = decimal_point;
    return put_six_decimals(decimals, out);
}
