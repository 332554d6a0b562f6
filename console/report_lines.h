// The header and the report as lists of lines, written straight into the
// output buffer through a moving pointer, with no checks between them.
// Each kind of line knows the room it needs, from its text and the longest
// figure, and a list's room is the sum over the very list that writes it:
// no line can be added, dropped or lengthened without its room.  A line
// that shows a figure again copies the digits of the line that showed it
// first, which must stand before it in the list, or the list does not
// build.
#ifndef VORLANE_CONSOLE_REPORT_LINES_H
#define VORLANE_CONSOLE_REPORT_LINES_H

#include <cstddef>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <utility>

#include "console/dialogue_texts.h"
#include "console/number_format.h"
#include "console/stream_output.h"

// A line of text alone.
template <const std::string_view& text> struct text_line {
    static constexpr std::size_t room = text.size();
};

// A line with its figure.
template <const figure_line& line> struct figure {
    static constexpr std::size_t room = line.before.size() + figure_max_length + line.after.size();
    double value;
};

// A line that shows again the figure of an earlier line, first.
template <const figure_line& line, const figure_line& first> struct figure_again {
    static constexpr std::size_t room = line.before.size() + figure_max_length + line.after.size();
};

template <class... Lines> constexpr std::size_t room_of = (Lines::room + ...);

template <class... Lines> struct line_list {
};

// Where in the list the figure of line is first shown, or the list's
// length.
template <const figure_line& line, class... Lines> consteval std::size_t place_of_figure(line_list<Lines...>)
{
    constexpr bool is_it[] = {std::is_same_v<Lines, figure<line>>...};
    for (std::size_t place = 0; place < sizeof...(Lines); ++place) {
        if (is_it[place])
            return place;
    }
    return sizeof...(Lines);
}

inline char* put(char* at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// Where a figure's digits went.  Left unset but for the figures' lines:
// the report is the program's hot path.
struct digits_written {
    const char* at;
    std::size_t length;
};

// Each line knows its place in its list; digits[place] keeps where a
// figure's digits went.
template <std::size_t place, class List, const std::string_view& text>
char* put_line(char* at, text_line<text>, digits_written*)
{
    return put(at, text);
}

template <std::size_t place, class List, const figure_line& line>
char* put_line(char* at, const figure<line>& f, digits_written* digits)
{
    at = put(at, line.before);
    char* const start = at;
    at = format_figure(f.value, at);
    digits[place] = {start, static_cast<std::size_t>(at - start)};
    return put(at, line.after);
}

template <std::size_t place, class List, const figure_line& line, const figure_line& first>
char* put_line(char* at, figure_again<line, first>, digits_written* digits)
{
    constexpr std::size_t shown = place_of_figure<first>(List{});
    static_assert(shown < place, "a figure is shown again only after the line that shows it first");
    return put(put(put(at, line.before), std::string_view(digits[shown].at, digits[shown].length)), line.after);
}

template <class... Lines, std::size_t... place>
char* put_list(char* at, std::index_sequence<place...>, const Lines&... lines)
{
    digits_written digits[sizeof...(Lines)];
    ((at = put_line<place, line_list<Lines...>>(at, lines, digits)), ...);
    return at;
}

template <class... Lines> void put_lines(output_buffer& out, const Lines&... lines)
{
    constexpr std::size_t room = room_of<Lines...>;
    static_assert(room <= output_capacity, "the lines must fit in the output buffer");
    reserve_output(out, room);
    char* const end = put_list(out.data + out.used, std::index_sequence_for<Lines...>{}, lines...);
    out.used = static_cast<std::size_t>(end - out.data);
}

// Lines made once, into room of their own.
template <class... Lines> struct made_lines {
    char text[room_of<Lines...>];
    std::size_t length;
};

template <class... Lines> made_lines<Lines...> make_lines(const Lines&... lines)
{
    made_lines<Lines...> made;
    made.length =
        static_cast<std::size_t>(put_list(made.text, std::index_sequence_for<Lines...>{}, lines...) - made.text);
    return made;
}

#endif
