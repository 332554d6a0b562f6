#include "console/dialogue.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "console/diagnostics.h"
#include "console/dialogue_texts.h"
#include "console/number_format.h"
#include "console/pause.h"
#include "console/report_lines.h"
#include "console/stream_input.h"
#include "console/stream_io.h"
#include "console/stream_output.h"
#include "console/terminal.h"
#include "geometry/mandrel.h"

namespace {

struct dialogue_streams {
    token_reader in;
    output_buffer out;
    int error_fd;
    // Where the sizes come from a file or a pipe, what went wrong with
    // them is told on standard error too, and in the exit status.
    bool tells_errors;
    bool input_refused;
    bool quit;  // a quit word ended the input
    bool table; // a table for spreadsheets: no questions, no report, no pause
};

// How a cycle ended: done and paused, or the input ended (or a quit word
// came) at a question or at the pause, or a read or a write failed.
enum class cycle_end { completed, input_ended, ended_at_pause, failed };

// L4 is a copy of L3 and the Result the diameter again: their digits are
// formatted once and copied.
void put_report(output_buffer& out, const mandrel_figures& f)
{
    using namespace texts;
    // A line of the report a line here.
    // clang-format off
    put_lines(out,
              figure<height_line>{f.coil_height},
              figure<width_line>{f.window_width},
              figure<offset_line>{f.offset_width},
              text_line<spacer>{},
              text_line<total_formula_line>{},
              text_line<spacer>{},
              figure<l1_line>{f.l1},
              figure<l2_line>{f.l2},
              figure<l3_line>{f.l3},
              figure_again<l4_line, l3_line>{},
              text_line<spacer>{},
              figure<total_line>{f.total_length},
              text_line<spacer>{},
              text_line<diameter_formula_line>{},
              text_line<spacer>{},
              figure<diameter_line>{f.mandrel_diameter},
              text_line<spacer>{},
              figure_again<result_line, diameter_line>{},
              text_line<spacer>{},
              text_line<separator>{},
              text_line<spacer>{},
              text_line<spacer>{});
    // clang-format on
}

// The header is the same every cycle, pi line included.
auto make_header()
{
    using namespace texts;
    // clang-format off
    return make_lines(text_line<spacer>{},
                      text_line<separator>{},
                      text_line<banner>{},
                      text_line<spacer>{},
                      figure<pi_line>{pi},
                      text_line<spacer>{});
    // clang-format on
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

// Names the refused token, shown safely, on a line of its own.
void put_refusal(output_buffer& out, std::string_view shown, bool rest_skipped)
{
    if (!at_line_start(out))
        put_text(out, "\n");
    put_text(out, texts::refusal_before_token);
    put_text(out, shown);
    put_text(out, texts::refusal_after_token);
    if (rest_skipped)
        put_text(out, texts::refusal_rest_skipped);
}

// What goes wrong with sizes from a file or a pipe is told on standard
// error as well, "vorlane: line N" and the parts, after the report so far,
// so that where both streams go to one place the line stands where it
// belongs.
void tell_error(dialogue_streams& s, std::size_t line, std::string_view first, std::string_view shown,
                std::string_view last)
{
    s.input_refused = true;
    if (!s.tells_errors)
        return;
    flush_output(s.out);
    report_at_line(s.error_fd, line, first, shown, last);
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
        if (is_quit_word(token)) {
            s.quit = true;
            return input_status::ended;
        }
        bool rest_skipped = false;
        status = skip_line(s.in, s.out, &rest_skipped);
        char safe[shown_max_length];
        const std::string_view shown(safe, show_safely(token, safe));
        if (!s.table) {
            put_refusal(s.out, shown, rest_skipped);
            put_text(s.out, prompt);
        }
        tell_error(s, s.in.token_line, texts::error_not_a_number, shown, texts::error_not_a_number_end);
        if (status != input_status::ok)
            return status;
    }
}

// A row of the table: the inputs and the figures, as the report prints
// them.
void put_row(output_buffer& out, const mandrel_figures& f)
{
    using namespace texts;
    put_lines(out, figure<table_cell>{f.coil_height}, figure<table_cell>{f.window_width},
              figure<table_cell>{f.offset_width}, figure<table_cell>{f.l1}, figure<table_cell>{f.l2},
              figure<table_cell>{f.l3}, figure<table_cell>{f.l4}, figure<table_cell>{f.total_length},
              figure<table_last_cell>{f.mandrel_diameter});
}

cycle_end run_cycle(dialogue_streams& s, mandrel_figures& figures, std::string_view header)
{
    const auto ask = [&s](std::string_view text) {
        if (!s.table)
            put_text(s.out, text);
    };
    ask(header);
    ask(texts::height_prompt);
    input_status status = read_number(s, texts::height_prompt, &figures.coil_height);
    if (status == input_status::ok) {
        const std::size_t height_line = s.in.token_line;
        ask(texts::spacer);
        ask(texts::width_prompt);
        status = read_number(s, texts::width_prompt, &figures.window_width);
        char height[figure_max_length];
        if (status == input_status::ended && !s.quit)
            tell_error(
                s, height_line, texts::error_unfinished_pair.before,
                std::string_view(height, static_cast<std::size_t>(format_figure(figures.coil_height, height) - height)),
                texts::error_unfinished_pair.after);
    }
    if (status == input_status::ended)
        return cycle_end::input_ended;
    if (status == input_status::failed)
        return cycle_end::failed;
    compute_mandrel(figures);
    if (s.table) {
        put_row(s.out, figures);
        return cycle_end::completed;
    }
    put_text(s.out, texts::spacer);
    put_report(s.out, figures);
    if (pause_for_key(s.in, s.out) == pause_end::input_ended)
        return cycle_end::ended_at_pause;
    return cycle_end::completed;
}

} // namespace

namespace {

int run_dialogue_on(dialogue_streams& s)
{
    const auto header = make_header();
    const std::string_view header_text(header.text, header.length);
    mandrel_figures figures = {};
    if (s.table)
        put_text(s.out, texts::table_header);
    cycle_end end;
    do {
        end = run_cycle(s, figures, header_text);
    } while (end == cycle_end::completed);

    if (end == cycle_end::input_ended && !s.table) {
        // The shell's prompt then starts on a line of its own.
        put_text(s.out, "\n");
    }
    flush_output(s.out);
    if (s.out.error != 0) {
        report_error(s.error_fd, "write error", s.out.error);
        return exit_failed;
    }
    if (end == cycle_end::failed) {
        report_error(s.error_fd, "read error", s.in.error);
        return exit_failed;
    }
    return s.input_refused && s.tells_errors ? exit_input_refused : exit_done;
}

} // namespace

int run_dialogue_over(int input_fd, int output_fd, int error_fd, report_form form)
{
    // Both buffers together are larger than some platforms like to see
    // on the stack; one allocation serves the whole run.  It is left as it
    // comes, not cleared: every byte of the buffers is written before it is
    // read.
    auto* const s = static_cast<dialogue_streams*>(std::malloc(sizeof(dialogue_streams)));
    if (s == nullptr) {
        report_error(error_fd, "cannot start", ENOMEM);
        return exit_failed;
    }
    s->table = form == report_form::table;
    init_output(s->out, output_fd);
    init_reader(s->in, input_fd);
    if (s->table)
        keep_line_ends(output_fd); // the table's own CR LF
    else
        open_terminal(s->in, s->out);
    s->error_fd = error_fd;
    s->tells_errors = s->table || !s->in.from_terminal;
    s->input_refused = false;
    s->quit = false;
    const int status = run_dialogue_on(*s);
    close_terminal(s->in, s->out);
    std::free(s);
    return status;
}

int run_dialogue(report_form form)
{
    return run_dialogue_over(0, 1, 2, form);
}
