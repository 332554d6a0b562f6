// The command line: no argument runs the dialogue; --help (-h, /?) and --version answer; any other is refused.

#include <string_view>

#include "console/diagnostics.h"
#include "console/dialogue.h"
#include "console/dialogue_texts.h"
#include "console/number_format.h"

#ifndef VORLANE_VERSION
#error "VORLANE_VERSION is set by the build, from the project's version"
#endif

namespace {

// A failure to write what was asked for is a failure.
int answer(const message& text) {
    int error = 0;
    if (text.write_to(1, &error)) return exit_done;
    report_error(2, "write error", error);
    return exit_failed;
}

int help() {
    message text;
    text.add(texts::usage);
    for (const std::string_view word : texts::quit_words) {
        text.add(word == texts::quit_words[0] ? "  " : ", ");
        text.add(word);
    }
    text.add(texts::usage_options);
    for (const exit_status_meaning& line : exit_statuses) {
        char number[24] = {' '};
        text.add(std::string_view(number, put_decimal(static_cast<unsigned>(line.status), number + 1)));
        text.add("  ");
        text.add(line.meaning);
        text.add("\n");
    }
    text.add(texts::usage_end);
    return answer(text);
}

int version() {
    message text;
    text.add(texts::version_before);
    text.add(VORLANE_VERSION);
    text.add(texts::version_after);
    return answer(text);
}

int refuse(std::string_view argument) {
    char shown[shown_max_length];
    report(2, {texts::refused_argument_before, std::string_view(shown, show_safely(argument, shown)),
               texts::refused_argument_after});
    return exit_usage;
}

} // namespace

int main(int argc, char** argv) {
    // The first argument that decides, decides; "--" ends the options, and no operand is taken after it either.
    bool table = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "/?") return help();
        if (argument == "--version") return version();
        if (argument == "--csv")
            table = true;
        else if (argument != "--")
            return refuse(argument);
        else if (i + 1 < argc)
            return refuse(argv[i + 1]);
    }
    return run_dialogue(table ? report_form::table : report_form::dialogue);
}
