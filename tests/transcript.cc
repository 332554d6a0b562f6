#include "transcript.h"

#include <cstdio>
#include <cstdlib>

#include "console/dialogue.h"

#if defined(_WIN32)
#include <io.h>
#define fileno _fileno
#endif

namespace transcript {

namespace {

const std::string separator = std::string(48, '-') + " \n";

std::string read_all(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    return text;
}

} // namespace

std::string header() { return spacer + separator + "Vorlane v1.0a \n" + spacer + "Const Pi = 3.141593 \n" + spacer; }

std::string report(const std::vector<std::string>& f) {
    if (f.size() != 9) std::abort();
    // clang-format off
    return "DD coil height = " + f[0] + " \n" +
           "Window width = " + f[1] + " \n" +
           "Offset width  = " + f[2] + " \n" +
           spacer +
           "Total length of all sides = L1 + L2 + L3 + L4 \n" +
           spacer +
           "L1 = " + f[3] + " \n" +
           "L2 = " + f[4] + " \n" +
           "L3 = " + f[5] + " \n" +
           "L4 = " + f[6] + " \n" +
           spacer +
           "Total length of all sides = " + f[7] + " \n" +
           spacer +
           "Spool mandrel diameter = Total length of all sides / Pi \n" +
           spacer +
           "Spool mandrel diameter = " + f[8] + " \n" +
           spacer +
           "Result: " + f[8] + " \n" +
           spacer + separator + spacer + spacer;
    // clang-format on
}

std::string refusal(const std::string& shown, bool rest_skipped, bool too_long) {
    return (too_long ? "\nToo long for a number: \"" + shown + "\" (a number has at most 4096 characters) \n"
                     : "\nNot a number: \"" + shown + "\" (write digits, with a point for decimals, as in 12.5) \n") +
           (rest_skipped ? "The rest of that line was skipped too. \n" : "");
}

std::string refusal_error(int line, const std::string& shown, bool too_long) {
    return "vorlane: line " + std::to_string(line) + (too_long ? ": too long for a number: \"" : ": not a number: \"") +
           shown + "\"\n";
}

std::string unfinished_error(int line, const std::string& height) {
    return "vorlane: line " + std::to_string(line) + ": the input ended after the coil height " + height +
           ", before its window width\n";
}

std::string cycle(const std::vector<std::string>& figures) {
    return header() + height_prompt + spacer + width_prompt + spacer + report(figures);
}

std::string ending() { return header() + height_prompt + "\n"; }

std::vector<std::string> figures_100_by_20() {
    return {"100.000000", "20.000000", "10.000000",  "157.079633", "80.000000",
            "15.707963",  "15.707963", "268.495559", "85.464791"};
}

run_result run_on(const std::string& input) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (in == nullptr || out == nullptr || err == nullptr) std::abort();
    std::fwrite(input.data(), 1, input.size(), in);
    std::fflush(in);
    std::rewind(in);
    run_result result;
    result.status = run_dialogue_over(fileno(in), fileno(out), fileno(err));
    result.output = read_all(out);
    result.errors = read_all(err);
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return result;
}

} // namespace transcript
