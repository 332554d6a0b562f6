#include "console/diagnostics.h"

#include <cstring>

#include "console/dialogue_texts.h"
#include "console/number_format.h"
#include "console/stream_io.h"

void message::add(std::string_view part) {
    const std::size_t room = sizeof text - length;
    const std::size_t n = part.size() < room ? part.size() : room;
    std::memcpy(text + length, part.data(), n);
    length += n;
}

bool message::write_to(int fd, int* error) const { return write_all(fd, text, length, error); }

std::size_t show_safely(std::string_view text, char* out) {
    constexpr std::size_t longest_shown = shown_max_length - texts::token_cut_short.size();
    const std::size_t length = text.size() < longest_shown ? text.size() : longest_shown;
    for (std::size_t i = 0; i < length; ++i) out[i] = text[i] >= ' ' && text[i] <= '~' ? text[i] : '?';
    if (text.size() <= longest_shown) return length;
    std::memcpy(out + length, texts::token_cut_short.data(), texts::token_cut_short.size());
    return shown_max_length;
}

void report(int error_fd, std::initializer_list<std::string_view> parts) {
    message line;
    line.add(texts::program_prefix);
    for (const std::string_view part : parts) line.add(part);
    // Nothing more can be done if standard error fails too.
    int ignored = 0;
    static_cast<void>(line.write_to(error_fd, &ignored));
}

void report_error(int error_fd, std::string_view what, int error) {
    report(error_fd, {what, ": ", std::strerror(error), "\n"});
}

void report_at_line(int error_fd, std::size_t line_number, std::string_view first, std::string_view second,
                    std::string_view third) {
    char digits[24];
    report(error_fd,
           {texts::error_at_line, std::string_view(digits, put_decimal(line_number, digits)), first, second, third});
}
