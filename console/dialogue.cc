#include "console/dialogue.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "console/number_format.h"
#include "console/pause.h"
#include "console/stream_output.h"
#include "console/stream_io.h"
#include "console/dialogue_texts.h"
#include "console/stream_input.h"
#include "geometry/mandrel.h"

namespace {

struct dialogue_streams {
    token_reader in;
    output_buffer out;
};

// How a cycle ended: done and paused, or the input ended (or a quit word
// came) at a question or at the pause, or a read or a write failed.
enum class cycle_end { completed, input_ended, ended_at_pause, failed };

// The report is written straight into the output buffer, a pointer moving
// along it: fixed copies and numbers, no checks between them.
char* put(char* at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// A line with its figure formatted; *digits tells where they went, for a
// line further on that shows the same figure.
char* put(char* at, const figure_line& line, double value, std::string_view* digits = nullptr)
{
    at = put(at, line.before);
    char* const figure = at;
    at = format_figure(value, at);
    if (digits != nullptr)
        *digits = std::string_view(figure, static_cast<std::size_t>(at - figure));
    return put(at, line.after);
}

char* put(char* at, const figure_line& line, std::string_view digits)
{
    return put(put(put(at, line.before), digits), line.after);
}

constexpr std::size_t line_room(const figure_line& line)
{
    return line.before.size() + figure_max_length + line.after.size();
}

// The whole report, at most.
constexpr std::size_t report_room = line_room(texts::height_line) + line_room(texts::width_line) +
                                    line_room(texts::offset_line) + texts::total_formula_line.size() +
                                    line_room(texts::l1_line) + line_room(texts::l2_line) + line_room(texts::l3_line) +
                                    line_room(texts::l4_line) + line_room(texts::total_line) +
                                    texts::diameter_formula_line.size() + line_room(texts::diameter_line) +
                                    line_room(texts::result_line) + texts::separator.size() + 8 * texts::spacer.size();

// L4 is a copy of L3 and the Result the diameter again: their digits are
// formatted once and copied.
void put_report(output_buffer& out, const mandrel_figures& f)
{
    using namespace texts;
    reserve_output(out, report_room);
    char* p = out.data + out.used;
    std::string_view l3_digits;
    std::string_view diameter_digits;
    p = put(p, height_line, f.coil_height);
    p = put(p, width_line, f.window_width);
    p = put(p, offset_line, f.offset_width);
    p = put(p, spacer);
    p = put(p, total_formula_line);
    p = put(p, spacer);
    p = put(p, l1_line, f.l1);
    p = put(p, l2_line, f.l2);
    p = put(p, l3_line, f.l3, &l3_digits);
    p = put(p, l4_line, l3_digits);
    p = put(p, spacer);
    p = put(p, total_line, f.total_length);
    p = put(p, spacer);
    p = put(p, diameter_formula_line);
    p = put(p, spacer);
    p = put(p, diameter_line, f.mandrel_diameter, &diameter_digits);
    p = put(p, spacer);
    p = put(p, result_line, diameter_digits);
    p = put(p, spacer);
    p = put(p, separator);
    p = put(p, spacer);
    p = put(p, spacer);
    out.used = static_cast<std::size_t>(p - out.data);
}

constexpr std::size_t header_room =
    texts::spacer.size() * 3 + texts::separator.size() + texts::banner.size() + line_room(texts::pi_line);

// The header is the same every cycle, pi line included.  Returns its
// length.
std::size_t make_header(char (&header)[header_room])
{
    using namespace texts;
    char* p = put(header, spacer);
    p = put(p, separator);
    p = put(p, banner);
    p = put(p, spacer);
    p = put(p, pi_line, pi);
    p = put(p, spacer);
    return static_cast<std::size_t>(p - header);
}

bool is_quit_word(std::string_view token)
{
    for (const std::string_view word : texts::quit_words) {
        if (token.size() != word.size())
            continue;
        std::size_t i = 0;
        while (i < word.size() && (token[i] | 0x20) == word[i])
            ++i;
        if (i == word.size())
            return true;
    }
    return false;
}

// Names the refused token on a line of its own.  Only printable ASCII of
// it reaches the screen, so no control or escape sequence typed or piped
// in can act on the terminal.
void put_refusal(output_buffer& out, std::string_view token, bool rest_skipped)
{
    constexpr std::size_t longest_shown = 20;
    if (!at_line_start(out))
        put_text(out, "\n");
    put_text(out, texts::refusal_before_token);
    char shown[longest_shown];
    const std::size_t length = token.size() < longest_shown ? token.size() : longest_shown;
    for (std::size_t i = 0; i < length; ++i)
        shown[i] = token[i] >= ' ' && token[i] <= '~' ? token[i] : '?';
    put_text(out, std::string_view(shown, length));
    if (token.size() > longest_shown)
        put_text(out, texts::token_cut_short);
    put_text(out, texts::refusal_after_token);
    if (rest_skipped)
        put_text(out, texts::refusal_rest_skipped);
}

// Asks until a number comes.  Anything else is refused whole, with the
// rest of its line, and asked for again; a quit word ends the dialogue as
// the end of input does.
input_status read_number(dialogue_streams& s, std::string_view prompt, double* value)
{
    for (;;) {
        std::string_view token;
        input_status status = next_token(s.in, s.out, &token);
        if (status != input_status::ok)
            return status;
        if (parse_decimal(token, value))
            return status;
        if (is_quit_word(token))
            return input_status::ended;
        bool rest_skipped = false;
        status = skip_line(s.in, s.out, &rest_skipped);
        put_refusal(s.out, token, rest_skipped);
        put_text(s.out, prompt);
        if (status != input_status::ok)
            return status;
    }
}

cycle_end run_cycle(dialogue_streams& s, mandrel_figures& figures, std::string_view header)
{
    put_text(s.out, header);
    put_text(s.out, texts::height_prompt);
    input_status status = read_number(s, texts::height_prompt, &figures.coil_height);
    if (status == input_status::ok) {
        put_text(s.out, texts::spacer);
        put_text(s.out, texts::width_prompt);
        status = read_number(s, texts::width_prompt, &figures.window_width);
    }
    if (status == input_status::ended)
        return cycle_end::input_ended;
    if (status == input_status::failed)
        return cycle_end::failed;
    put_text(s.out, texts::spacer);
    compute_mandrel(figures);
    put_report(s.out, figures);
    if (pause_for_key(s.in, s.out) == pause_end::input_ended)
        return cycle_end::ended_at_pause;
    return cycle_end::completed;
}

// "vorlane: what: reason", in one write so that it stays one line.
void report_error(int error_fd, std::string_view what, int error)
{
    char line[512];
    std::size_t length = 0;
    for (std::string_view part : {std::string_view("vorlane: "), what, std::string_view(": "),
                                  std::string_view(describe_error(error)), std::string_view("\n")})
        length += part.copy(line + length, sizeof line - length);
    int ignored = 0;
    // Nothing more can be done if standard error fails too.
    static_cast<void>(write_all(error_fd, line, length, &ignored));
}

} // namespace

int run_dialogue_over(int input_fd, int output_fd, int error_fd)
{
    // Both buffers together are larger than some platforms like to see
    // on the stack; one allocation serves the whole run.
    const auto s = std::make_unique<dialogue_streams>();
    init_output(s->out, output_fd);
    init_reader(s->in, input_fd, s->out);
    char header[header_room];
    const std::string_view header_text(header, make_header(header));

    mandrel_figures figures = {};
    cycle_end end;
    do {
        end = run_cycle(*s, figures, header_text);
    } while (end == cycle_end::completed);

    if (end == cycle_end::input_ended) {
        // The shell's prompt then starts on a line of its own.
        put_text(s->out, "\n");
    }
    flush_output(s->out);
    if (s->out.error != 0) {
        report_error(error_fd, "write error", s->out.error);
        return 1;
    }
    if (end == cycle_end::failed) {
        report_error(error_fd, "read error", s->in.error);
        return 1;
    }
    return 0;
}

int run_dialogue()
{
    return run_dialogue_over(0, 1, 2);
}
