#include "console/dialogue.h"

#include <memory>
#include <string_view>

#include "console/fixed6.h"
#include "console/key_pause.h"
#include "console/output_buffer.h"
#include "console/stream_io.h"
#include "console/texts.h"
#include "console/token_reader.h"
#include "geometry/mandrel.h"

namespace {

struct dialogue_streams {
    token_reader in;
    output_buffer out;
};

// Asks until a number comes.  Anything else is refused whole, with the
// rest of its line, and asked for again.
token_status read_number(dialogue_streams& s, std::string_view prompt, double* value)
{
    for (;;) {
        std::string_view token;
        const token_status status = next_token(s.in, s.out, &token);
        if (status != token_status::token)
            return status;
        if (parse_decimal(token, value))
            return status;
        const token_status skipped = skip_line(s.in, s.out);
        put_text(s.out, texts::not_a_number);
        put_text(s.out, prompt);
        if (skipped != token_status::token)
            return skipped;
    }
}

// Written out call by call rather than as a loop over a table: with each
// text's length known here, every copy compiles to a few fixed moves, and
// a table measured some 15% slower on a large batch.
void put_report(output_buffer& out, const mandrel_figures& f)
{
    // The whole report fits behind what is gathered, with room to spare.
    reserve_output(out, 11 * number_room + 512);
    put_text(out, texts::report_height);
    put_number(out, f.coil_height);
    put_text(out, texts::report_width);
    put_number(out, f.window_width);
    put_text(out, texts::report_offset);
    put_number(out, f.offset_width);
    put_text(out, texts::report_l1);
    put_number(out, f.l1);
    put_text(out, texts::report_l2);
    put_number(out, f.l2);
    put_text(out, texts::report_l3);
    put_number(out, f.l3);
    put_text(out, texts::report_l4);
    put_number(out, f.l4);
    put_text(out, texts::report_total);
    put_number(out, f.total_length);
    put_text(out, texts::report_diameter);
    put_number(out, f.mandrel_diameter);
    put_text(out, texts::report_result);
    put_number(out, f.mandrel_diameter);
    put_text(out, texts::report_end);
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

// One cycle.  Returns what ended it early, or token for a cycle done.
token_status run_cycle(dialogue_streams& s, mandrel_figures& figures, std::string_view header)
{
    put_text(s.out, header);
    put_text(s.out, texts::height_prompt);
    token_status status = read_number(s, texts::height_prompt, &figures.coil_height);
    if (status != token_status::token)
        return status;
    put_text(s.out, texts::spacer);
    put_text(s.out, texts::width_prompt);
    status = read_number(s, texts::width_prompt, &figures.window_width);
    if (status != token_status::token)
        return status;
    put_text(s.out, texts::spacer);
    compute_mandrel(figures);
    put_report(s.out, figures);
    pause_for_key(s.in, s.out);
    return token_status::token;
}

} // namespace

int run_dialogue_over(int input_fd, int output_fd, int error_fd)
{
    // Both buffers together are larger than some platforms like to see
    // on the stack; one allocation serves the whole run.
    const auto s = std::make_unique<dialogue_streams>();
    init_reader(s->in, input_fd);
    init_output(s->out, output_fd);

    // The header is the same every cycle, pi line included.
    char header[256];
    std::size_t header_length = texts::header_before_pi.copy(header, texts::header_before_pi.size());
    header_length = static_cast<std::size_t>(format_fixed6(pi, header + header_length) - header);
    header_length += texts::header_after_pi.copy(header + header_length, texts::header_after_pi.size());

    mandrel_figures figures = {};
    token_status status;
    do {
        status = run_cycle(*s, figures, std::string_view(header, header_length));
    } while (status == token_status::token && s->out.error == 0);

    if (status == token_status::end_of_input) {
        // The shell's prompt then starts on a line of its own.
        put_text(s->out, "\n");
    }
    flush_output(s->out);
    if (s->out.error != 0) {
        report_error(error_fd, "write error", s->out.error);
        return 1;
    }
    if (status == token_status::read_error) {
        report_error(error_fd, "read error", s->in.error);
        return 1;
    }
    return 0;
}

int run_dialogue()
{
    return run_dialogue_over(0, 1, 2);
}
