// The number parser against strtod: the same tokens taken, and the same
// value to the last bit, the sign of zero included.
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "console/number_parse.h"
#include "reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view token(reinterpret_cast<const char*>(data), size);
    double ours = 0;
    double theirs = 0;
    const bool taken = parse_decimal(token, &ours);
    if (taken != reference::is_number(token, &theirs)) std::abort();
    if (taken && std::bit_cast<std::uint64_t>(ours) != std::bit_cast<std::uint64_t>(theirs)) std::abort();
    return 0;
}
