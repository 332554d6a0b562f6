// The whole dialogue over arbitrary input.  Beside the sanitizers' own
// checks, its output must be well-formed: one refusal notice for each
// refused token, and every cycle's report present, in order, with the
// figures a model of the dialogue expects; standard error and the status
// as the model expects them.  The model reads the same bytes on its own:
// white-space separated tokens, a quit word ends, a number (as strtod reads it) answers the
// question, anything else goes with the rest of its line, and is told on
// standard error with its line, as is a height left without its width.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "console/dialogue.h"
#include "console/dialogue_texts.h"
#include "geometry/mandrel.h"
#include "reference.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The quit words are the program's to choose; any letter case takes them,
// on either side.
std::string lower(std::string_view t) {
    std::string text;
    for (const char c : t) text += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

bool is_quit_word(std::string_view t) {
    for (const std::string_view word : texts::quit_words) {
        if (lower(t) == lower(word)) return true;
    }
    return false;
}

struct expected {
    std::string reports; // the report lines of every cycle, in order
    std::size_t refusals = 0;
    std::string errors; // standard error
};

std::size_t blank_at(std::string_view in, std::size_t i) { return is_space(in[i]) ? 1 : 0; }

std::string shown(std::string_view token) {
    std::string text;
    for (std::size_t i = 0; i < token.size() && i < 20; ++i) text += token[i] >= 32 && token[i] < 127 ? token[i] : '?';
    return token.size() > 20 ? text + "..." : text;
}

std::string report(const mandrel_figures& f) {
    using reference::figure_text;
    return "DD coil height = " + figure_text(f.coil_height) + " \nWindow width = " + figure_text(f.window_width) +
           " \nOffset width  = " + figure_text(f.offset_width) + " \nL1 = " + figure_text(f.l1) +
           " \nL2 = " + figure_text(f.l2) + " \nL3 = " + figure_text(f.l3) + " \nL4 = " + figure_text(f.l4) +
           " \nTotal length of all sides = " + figure_text(f.total_length) +
           " \nSpool mandrel diameter = " + figure_text(f.mandrel_diameter) +
           " \nResult: " + figure_text(f.mandrel_diameter) + " \n";
}

expected model(std::string_view in) {
    expected e;
    mandrel_figures f = {};
    int asked = 0; // 0: the height, 1: the width
    std::size_t line = 1;
    std::size_t height_line = 0;
    std::size_t i = 0;
    for (;;) {
        for (std::size_t blank; i < in.size() && (blank = blank_at(in, i)) > 0; i += blank) line += in[i] == '\n';
        if (i == in.size()) {
            if (asked == 1)
                e.errors += "vorlane: line " + std::to_string(height_line) +
                            ": the input ended after the coil height " + reference::figure_text(f.coil_height) +
                            ", before its window width\n";
            return e;
        }
        const std::size_t start = i;
        const std::size_t token_line = line;
        while (i < in.size() && blank_at(in, i) == 0) ++i;
        const std::string_view token = in.substr(start, i - start);
        const bool ended_line = i < in.size() && in[i] == '\n';
        if (i < in.size()) {
            line += ended_line;
            i += blank_at(in, i);
        }
        double value = 0;
        if (reference::is_number(token, &value)) {
            (asked == 0 ? f.coil_height : f.window_width) = value;
            if (asked == 0) height_line = token_line;
            if (++asked == 2) {
                compute_mandrel(f);
                e.reports += report(f);
                asked = 0;
            }
        } else if (is_quit_word(token)) {
            return e;
        } else {
            ++e.refusals;
            e.errors += "vorlane: line " + std::to_string(token_line) + ": not a number: \"" + shown(token) + "\"\n";
            if (!ended_line) {
                while (i < in.size() && in[i] != '\n') ++i;
                if (i < in.size()) {
                    ++i;
                    ++line;
                }
            }
        }
    }
}

// The lines of the output that a report consists of, with a figure.
std::string report_lines(const std::string& out) {
    static const char* const starts[] = {"DD coil height = ",
                                         "Window width = ",
                                         "Offset width  = ",
                                         "L1 = ",
                                         "L2 = ",
                                         "L3 = ",
                                         "L4 = ",
                                         "Total length of all sides = ",
                                         "Spool mandrel diameter = ",
                                         "Result: "};
    std::string lines;
    std::size_t at = 0;
    while (at < out.size()) {
        std::size_t end = out.find('\n', at);
        end = end == std::string::npos ? out.size() : end + 1;
        const std::string_view line(out.data() + at, end - at);
        for (const char* s : starts) {
            if (line.rfind(s, 0) == 0 && line != "Total length of all sides = L1 + L2 + L3 + L4 \n" &&
                line != "Spool mandrel diameter = Total length of all sides / Pi \n")
                lines.append(line);
        }
        at = end;
    }
    return lines;
}

std::size_t count(const std::string& text, std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The program run over the input, in the given form: its status, and what
// it wrote on standard output and standard error.
struct run_result {
    int status;
    std::string output;
    std::string errors;
};

run_result run(const std::uint8_t* data, std::size_t size, report_form form) {
    const int in = memfd_create("in", 0);
    const int out = memfd_create("out", 0);
    const int err = memfd_create("err", 0);
    if (in < 0 || out < 0 || err < 0 || write(in, data, size) != static_cast<ssize_t>(size)) std::abort();
    lseek(in, 0, SEEK_SET);
    run_result r;
    r.status = run_dialogue_over(in, out, err, form);
    r.output.assign(static_cast<std::size_t>(lseek(out, 0, SEEK_END)), '\0');
    r.errors.assign(static_cast<std::size_t>(lseek(err, 0, SEEK_END)), '\0');
    if (pread(out, r.output.data(), r.output.size(), 0) != static_cast<ssize_t>(r.output.size()) ||
        pread(err, r.errors.data(), r.errors.size(), 0) != static_cast<ssize_t>(r.errors.size()))
        std::abort();
    close(in);
    close(out);
    close(err);
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const run_result dialogue = run(data, size, report_form::dialogue);
    const expected e = model(std::string_view(reinterpret_cast<const char*>(data), size));
    if (dialogue.errors != e.errors || dialogue.status != (e.errors.empty() ? 0 : 3)) std::abort();
    if (report_lines(dialogue.output) != e.reports) std::abort();
    if (count(dialogue.output, "\nNot a number: \"") != e.refusals) std::abort();
    // It ends with a question, answered by the end of the input.
    if (dialogue.output.size() < 2 || dialogue.output.back() != '\n' ||
        dialogue.output[dialogue.output.size() - 2] != ' ')
        std::abort();
    // The table reads the same input alike: the same errors and status, a
    // header and a row for each report.
    const run_result table = run(data, size, report_form::table);
    if (table.errors != dialogue.errors || table.status != dialogue.status) std::abort();
    if (count(table.output, "\r\n") != 1 + count(e.reports, "Result: ")) std::abort();
    return 0;
}
