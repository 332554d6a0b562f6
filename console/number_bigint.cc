#include "console/number_bigint.h"

// The room is never exceeded by the numbers the conversions make (see the
// capacity); should a limb fall beyond it all the same, it is dropped
// rather than written past the end.

void set_big(big_integer& n, std::uint64_t value)
{
    n.size = 0;
    for (; value != 0; value >>= 32)
        n.limb[n.size++] = static_cast<std::uint32_t>(value);
}

void multiply_add(big_integer& n, std::uint32_t factor, std::uint32_t addend)
{
    std::uint64_t carry = addend;
    for (int i = 0; i < n.size; ++i) {
        const std::uint64_t product = std::uint64_t{n.limb[i]} * factor + carry;
        n.limb[i] = static_cast<std::uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0 && n.size < big_integer::capacity)
        n.limb[n.size++] = static_cast<std::uint32_t>(carry);
}

void multiply_by_power_of_five(big_integer& n, int power)
{
    constexpr std::uint32_t five_to_the_13th = 1220703125;
    for (; power >= 13; power -= 13)
        multiply_add(n, five_to_the_13th, 0);
    std::uint32_t rest = 1;
    for (; power > 0; --power)
        rest *= 5;
    multiply_add(n, rest, 0);
}

void shift_left(big_integer& n, int bits)
{
    if (n.size == 0)
        return;
    const int limbs = bits / 32;
    const int rest = bits % 32;
    int size = n.size + limbs + 1;
    if (size > big_integer::capacity)
        size = big_integer::capacity;
    for (int i = size - 1; i >= limbs; --i) {
        const int from = i - limbs;
        const std::uint64_t high = from < n.size ? n.limb[from] : 0;
        const std::uint64_t low = from >= 1 && from - 1 < n.size ? n.limb[from - 1] : 0;
        n.limb[i] = static_cast<std::uint32_t>(((high << 32 | low) << rest) >> 32);
    }
    for (int i = 0; i < limbs && i < size; ++i)
        n.limb[i] = 0;
    n.size = size;
    while (n.size > 0 && n.limb[n.size - 1] == 0)
        --n.size;
}

int compare(const big_integer& a, const big_integer& b)
{
    if (a.size != b.size)
        return a.size < b.size ? -1 : 1;
    for (int i = a.size - 1; i >= 0; --i) {
        if (a.limb[i] != b.limb[i])
            return a.limb[i] < b.limb[i] ? -1 : 1;
    }
    return 0;
}

std::uint32_t divide(big_integer& n, std::uint32_t divisor)
{
    std::uint64_t rest = 0;
    for (int i = n.size - 1; i >= 0; --i) {
        const std::uint64_t part = rest << 32 | n.limb[i];
        n.limb[i] = static_cast<std::uint32_t>(part / divisor);
        rest = part % divisor;
    }
    while (n.size > 0 && n.limb[n.size - 1] == 0)
        --n.size;
    return static_cast<std::uint32_t>(rest);
}
