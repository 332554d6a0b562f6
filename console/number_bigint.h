// Exact unsigned integers of a few thousand bits, for the rare numbers that
// the fast conversions cannot settle on their own: a decimal with many
// digits right next to the halfway point between two doubles, and a figure
// of 2^64 or more, written out in full.  Fixed room, no allocation.
#ifndef VORLANE_CONSOLE_NUMBER_BIGINT_H
#define VORLANE_CONSOLE_NUMBER_BIGINT_H

#include <cstdint>

struct big_integer {
    // 3,584 bits: the parser's comparisons need at most about 2,720 (800
    // digits, or the halfway point times 5^1144), a figure at most 1,024.
    static constexpr int capacity = 112;
    std::uint32_t limb[capacity]; // least significant first
    int size;                     // limbs in use, the last one not zero
};

void set_big(big_integer& n, std::uint64_t value);

// n = n * factor + addend.
void multiply_add(big_integer& n, std::uint32_t factor, std::uint32_t addend);

// n = n * 5^power.
void multiply_by_power_of_five(big_integer& n, int power);

// n = n * 2^bits.
void shift_left(big_integer& n, int bits);

// -1, 0 or 1 as a is less than, equal to or greater than b.
int compare(const big_integer& a, const big_integer& b);

// n = n / divisor; returns the remainder.
std::uint32_t divide(big_integer& n, std::uint32_t divisor);

#endif
