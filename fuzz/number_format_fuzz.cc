// The formatter against snprintf("%.6f") on any eight bytes read as a
// double; a NaN, whatever its sign, is "nan".
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/number_format.h"
#include "reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size != sizeof(double)) return 0;
    double x;
    std::memcpy(&x, data, sizeof x);
    char text[figure_max_length];
    char* end = format_figure(x, text);
    if (std::string(text, end) != reference::figure_text(x)) std::abort();
    return 0;
}
