#include "tools/atmosphere-sim/command_line.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "sim/path_text.h"

namespace {

bool NamesSomething(const std::string& text) {
    std::error_code error;
    return std::filesystem::exists(PathFromText(text), error);
}

}  // namespace

std::vector<std::string> ReadAsTyped(const CLI::App& command, const std::vector<std::string>& arguments) {
    std::vector<std::string> typed;
    std::vector<std::string> paths;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            // Everything after it is positional already.
            typed.insert(typed.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
            break;
        }
        if (argument.size() < 2 || argument.front() != '-') {
            typed.push_back(argument);
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const CLI::Option* option = command.get_option_no_throw(name);
        if (option == nullptr) {
            // "-x.ini" is a file when it is one; otherwise the parser says
            // what it makes of it.
            (NamesSomething(argument) ? paths : typed).push_back(argument);
            continue;
        }
        const bool takesValue = equals == std::string::npos && option->get_items_expected_min() > 0;
        if (takesValue && i + 1 < arguments.size() && arguments[i + 1].size() > 1 && arguments[i + 1].front() == '-' &&
            NamesSomething(arguments[i + 1])) {
            // Glued to its option, the value cannot be taken for another option.
            const bool longName = name.rfind("--", 0) == 0;
            typed.push_back(name + (longName ? "=" : "") + arguments[++i]);
            continue;
        }
        typed.push_back(argument);
    }
    if (!paths.empty()) {
        if (std::find(typed.begin(), typed.end(), "--") == typed.end()) typed.push_back("--");
        typed.insert(typed.end(), paths.begin(), paths.end());
    }
    return typed;
}

void ParseArguments(CLI::App& app, const std::vector<std::string>& arguments) {
    // The parser takes its arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    app.parse(reversed);
}
