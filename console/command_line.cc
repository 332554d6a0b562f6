#include "console/command_line.h"

#include <cstring>
#include <string_view>

#include "console/diagnostics.h"
#include "console/dialogue.h"
#include "console/dialogue_texts.h"
#include "console/stream_io.h"

// The project's version, from the build.
#ifndef VORLANE_VERSION
#error "VORLANE_VERSION is set by the build, from the project's version"
#endif

namespace {

int answer(std::string_view first, std::string_view second = {})
{
    int error = 0;
    if (write_all(1, first.data(), first.size(), &error) && write_all(1, second.data(), second.size(), &error))
        return exit_done;
    report_error(2, "write error", error);
    return exit_failed;
}

int refuse(std::string_view argument)
{
    char line[texts::refused_argument_before.size() + shown_max_length + texts::refused_argument_after.size()];
    char* p = line;
    std::memcpy(p, texts::refused_argument_before.data(), texts::refused_argument_before.size());
    p += texts::refused_argument_before.size();
    p += show_safely(argument, p);
    std::memcpy(p, texts::refused_argument_after.data(), texts::refused_argument_after.size());
    p += texts::refused_argument_after.size();
    int ignored = 0;
    static_cast<void>(write_all(2, line, static_cast<std::size_t>(p - line), &ignored));
    return exit_usage;
}

} // namespace

int run_command(int argc, const char* const* argv)
{
    if (argc < 2)
        return run_dialogue();
    // The first argument decides, as with most programs: --help wins over
    // what follows it, and so does a refusal.
    const std::string_view argument = argv[1];
    if (argument == "--help" || argument == "-h")
        return answer(texts::usage);
    if (argument == "--version")
        return answer(texts::version_before, VORLANE_VERSION "\n");
    return refuse(argument);
}
