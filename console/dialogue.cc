#include "console/dialogue.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "console/diagnostics.h"
#include "console/dialogue_texts.h"
#include "console/number_format.h"
#include "console/pause_keys.h"
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
    bool tells_errors; // sizes from a file or a pipe, or a table: refusals also on standard error
    bool input_refused;
    bool quit;  // a quit word ended the input
    bool table; // for spreadsheets: no questions, no report, no pause
};

// How a cycle ended; a quit word ends the input too.
enum class cycle_end { completed, input_ended, ended_at_pause, failed };

// A figure's digits.  Most are short, and copied as a block of short_figure bytes: quicker than a copy of just so many.
constexpr std::size_t short_figure = 32;
struct digits {
    char text[figure_max_length > short_figure ? figure_max_length : short_figure];
    std::size_t length;
};

digits format(double value) {
    digits d;
    d.length = static_cast<std::size_t>(format_figure(value, d.text) - d.text);
    return d;
}

// The header, report and table, the hot path, are written through a pointer of their own, kept in a register.
struct lines {
    output_buffer& out;
    char* at;
};

inline void make_room(lines& l, std::size_t size) {
    if (static_cast<std::size_t>(l.out.data + output_capacity - l.at) < size) {
        l.out.used = static_cast<std::size_t>(l.at - l.out.data);
        flush_output(l.out);
        l.at = l.out.data;
    }
}

inline void put(lines& l, std::string_view text) {
    make_room(l, text.size());
    std::memcpy(l.at, text.data(), text.size());
    l.at += text.size();
}

inline void put(lines& l, const figure_line& line, const digits& figure) {
    make_room(l, line.before.size() + sizeof figure.text + line.after.size());
    std::memcpy(l.at, line.before.data(), line.before.size());
    if (figure.length <= short_figure)
        std::memcpy(l.at + line.before.size(), figure.text, short_figure); // a copy of known length
    else
        std::memcpy(l.at + line.before.size(), figure.text, figure.length);
    l.at += line.before.size() + figure.length;
    std::memcpy(l.at, line.after.data(), line.after.size());
    l.at += line.after.size();
}

void end_lines(const lines& l) { l.out.used = static_cast<std::size_t>(l.at - l.out.data); }

// The header opens every cycle, pi line included.
void put_header(output_buffer& out, const digits& pi_digits) {
    using namespace texts;
    lines l = {out, out.data + out.used};
    put(l, spacer);
    put(l, separator);
    put(l, banner);
    put(l, spacer);
    put(l, pi_line, pi_digits);
    put(l, spacer);
    end_lines(l);
}

// L4 is a copy of L3, and the Result the diameter: formatted once.
void put_report(output_buffer& out, const mandrel_figures& f) {
    using namespace texts;
    const digits height = format(f.coil_height);
    const digits width = format(f.window_width);
    const digits offset = format(f.offset_width);
    const digits l1 = format(f.l1);
    const digits l2 = format(f.l2);
    const digits l3 = format(f.l3);
    const digits total = format(f.total_length);
    const digits diameter = format(f.mandrel_diameter);
    lines l = {out, out.data + out.used};
    put(l, spacer);
    put(l, height_line, height);
    put(l, width_line, width);
    put(l, offset_line, offset);
    put(l, spacer);
    put(l, total_formula_line);
    put(l, spacer);
    put(l, l1_line, l1);
    put(l, l2_line, l2);
    put(l, l3_line, l3);
    put(l, l4_line, l3);
    put(l, spacer);
    put(l, total_line, total);
    put(l, spacer);
    put(l, diameter_formula_line);
    put(l, spacer);
    put(l, diameter_line, diameter);
    put(l, spacer);
    put(l, result_line, diameter);
    put(l, spacer);
    put(l, separator);
    put(l, spacer);
    put(l, spacer);
    end_lines(l);
}

void put_row(output_buffer& out, const mandrel_figures& f) {
    const double cells[] = {f.coil_height, f.window_width, f.offset_width, f.l1, f.l2, f.l3, f.l4, f.total_length};
    lines l = {out, out.data + out.used};
    for (const double cell : cells) put(l, texts::table_cell, format(cell));
    put(l, texts::table_last_cell, format(f.mandrel_diameter));
    end_lines(l);
}

// A quit word, in any letter case.
bool is_quit_word(std::string_view token) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const std::string_view word : texts::quit_words) {
        std::size_t i = 0;
        while (token.size() == word.size() && i < word.size() && lower(token[i]) == lower(word[i])) ++i;
        if (token.size() == word.size() && i == word.size()) return true;
    }
    return false;
}

// Told on standard error after the report so far: where both streams go to one place, it stands where it belongs.
void tell_error(dialogue_streams& s, std::size_t line, std::string_view first, std::string_view shown,
                std::string_view last) {
    s.input_refused = true;
    if (s.tells_errors) {
        flush_output(s.out);
        report_at_line(s.error_fd, line, first, shown, last);
    }
}

// Asks until a number comes, refusing anything else with the rest of its line; a quit word ends the input.
input_status read_number(dialogue_streams& s, std::string_view prompt, double* value) {
    for (;;) {
        s.in.prompt = prompt;
        std::string_view token;
        input_status status = next_token(s.in, s.out, &token);
        if (status != input_status::ok) return status;
        const bool number = parse_decimal(token, value);
        const bool quit = !number && is_quit_word(token);
        const bool too_long = too_long_for_a_number(token);
        bool rest_skipped = false;
        if (!number && !quit) status = skip_line(s.in, s.out, &rest_skipped);
        if (s.in.source != nullptr) show_answer(s.in, s.out);
        if (number || quit) {
            s.quit = quit;
            return quit ? input_status::ended : status;
        }
        char safe[shown_max_length];
        const std::string_view shown(safe, show_safely(token, safe));
        if (!s.table) {
            if (!at_line_start(s.out)) put_text(s.out, "\n");
            put_text(s.out, too_long ? texts::too_long_before_token : texts::refusal_before_token);
            put_text(s.out, shown);
            put_text(s.out, too_long ? texts::too_long_after_token : texts::refusal_after_token);
            if (rest_skipped) put_text(s.out, texts::refusal_rest_skipped);
            put_text(s.out, prompt);
        }
        tell_error(s, s.in.token_line, too_long ? texts::error_too_long : texts::error_not_a_number, shown,
                   texts::error_not_a_number_end);
        if (status != input_status::ok) return status;
    }
}

// At a terminal the report stays until a key, or an answer to the next question is there.  False if the input ended.
// The report is out before the prompt: a key typed while it was being written was typed ahead, not at the pause.
bool pause_for_key(token_reader& in, output_buffer& out) {
    if (!in.from_terminal) return true;
    if (!flush_output(out)) return false;
    put_text(out, texts::pause_prompt);
    in.prompt = texts::pause_prompt;
    if (typed_ahead_ends_pause(in))
        flush_output(out);
    else
        wait_for_key_press(in, out);
    put_text(out, "\n");
    return !in.at_end || !only_blanks_unread(in);
}

cycle_end run_cycle(dialogue_streams& s, mandrel_figures& figures, const digits& pi_digits) {
    if (!s.table) {
        put_header(s.out, pi_digits);
        put_text(s.out, texts::height_prompt);
    }
    input_status status = read_number(s, texts::height_prompt, &figures.coil_height);
    if (status == input_status::ok) {
        const std::size_t height_line = s.in.token_line;
        if (!s.table) {
            put_text(s.out, texts::spacer);
            put_text(s.out, texts::width_prompt);
        }
        status = read_number(s, texts::width_prompt, &figures.window_width);
        if (status == input_status::ended && !s.quit) {
            const digits height = format(figures.coil_height);
            tell_error(s, height_line, texts::error_unfinished_pair.before,
                       std::string_view(height.text, height.length), texts::error_unfinished_pair.after);
        }
    }
    if (status != input_status::ok) return status == input_status::ended ? cycle_end::input_ended : cycle_end::failed;
    compute_mandrel(figures);
    if (s.table) {
        put_row(s.out, figures);
        return cycle_end::completed;
    }
    put_report(s.out, figures);
    return pause_for_key(s.in, s.out) ? cycle_end::completed : cycle_end::ended_at_pause;
}

int run_dialogue_on(dialogue_streams& s) {
    const digits pi_digits = format(pi);
    mandrel_figures figures = {};
    if (s.table) put_text(s.out, texts::table_header);
    cycle_end end = cycle_end::completed;
    while (end == cycle_end::completed) end = run_cycle(s, figures, pi_digits);
    if (end == cycle_end::input_ended && !s.table)
        put_text(s.out, "\n"); // the shell's prompt then starts on a line of its own
    flush_output(s.out);
    if (s.out.error != 0 || end == cycle_end::failed) {
        const bool writing = s.out.error != 0;
        report_error(s.error_fd, writing ? "write error" : "read error", writing ? s.out.error : s.in.error);
        return exit_failed;
    }
    return s.input_refused && s.tells_errors ? exit_input_refused : exit_done;
}

} // namespace

int run_dialogue_over(int input_fd, int output_fd, int error_fd, report_form form) {
    // Too large for some stacks: one allocation for the run, not cleared, as every byte is written before it is read.
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

int run_dialogue(report_form form) { return run_dialogue_over(0, 1, 2, form); }
