#include <charconv>
#include <cstdint>

#include <spanlet/shell/CommandLine.hpp>

namespace spanlet::CommandLine {

namespace {

template <class T, std::size_t N>
std::string joined(const std::array<T, N>& cases, std::string_view separator) {
    std::string result;
    for (T c : cases) {
        if (!result.empty()) {
            result += separator;
        }
        result += rawValue(c);
    }
    return result;
}

std::string commandChoices() {
    return joined(allCases<MensorCommand>, ", ");
}

std::string showChoices() {
    return joined(showable, ", ");
}

std::optional<Windows::Kind> showableWindow(std::string_view raw) {
    for (Windows::Kind kind : showable) {
        if (Windows::rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

Invocation only(Invocation::Action action) {
    Invocation result;
    result.action = action;
    return result;
}

Invocation failure(std::string error) {
    Invocation result = only(Invocation::Action::fail);
    result.error = std::move(error);
    return result;
}

Invocation requested(Request request) {
    Invocation result;
    result.request = request;
    result.explicitRequest = true;
    return result;
}

/// An argument as quoted in an error line: control characters (a newline would split the line)
/// become '?', and a long one is cut.
std::string quoted(std::string_view argument) {
    std::string text(argument.substr(0, 40));
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    return "\"" + text + (argument.size() > 40 ? "…\"" : "\"");
}

std::string options() {
    return "--command NAME, --show WINDOW, --quit, --help, --version";
}

} // namespace

std::string Request::text() const {
    switch (kind) {
    case Kind::comeForward:
        return "welcome";
    case Kind::command:
        return "command " + std::string(rawValue(command));
    case Kind::show:
        return "show " + std::string(Windows::rawValue(window));
    case Kind::quit:
        return "quit";
    }
    return "welcome";
}

std::string Request::encode(std::chrono::nanoseconds deadline) const {
    std::array<char, 24> digits{};
    char* end = std::to_chars(digits.data(), digits.data() + digits.size(), deadline.count()).ptr;
    return text() + " until " + std::string(digits.data(), end) + "\n";
}

std::optional<Sent> Sent::decode(std::string_view line) {
    if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    const std::size_t until = line.rfind(" until ");
    if (until == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view digits = line.substr(until + 7);
    std::int64_t deadline = 0;
    const char* last = digits.data() + digits.size();
    const auto [end, error] = std::from_chars(digits.data(), last, deadline);
    if (digits.empty() || digits[0] == '-' || error != std::errc() || end != last) {
        return std::nullopt;
    }
    line = line.substr(0, until);
    const auto sent = [deadline](Request request) {
        return Sent{.request = request, .deadline = std::chrono::nanoseconds(deadline)};
    };
    if (line == "welcome") {
        return sent(Request{});
    }
    if (line == "quit") {
        return sent(Request{.kind = Request::Kind::quit});
    }
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view verb = line.substr(0, space);
    const std::string_view argument = line.substr(space + 1);
    if (verb == "command") {
        if (const auto command = fromRawValue<MensorCommand>(argument)) {
            return sent(Request{.kind = Request::Kind::command, .command = *command});
        }
    } else if (verb == "show") {
        if (const auto window = showableWindow(argument)) {
            return sent(Request{.kind = Request::Kind::show, .window = *window});
        }
    }
    return std::nullopt;
}

Invocation parse(const std::vector<std::string_view>& arguments) {
    if (arguments.empty()) {
        return Invocation{};
    }
    std::string_view option = arguments[0];
    std::optional<std::string_view> value;
    if (const std::size_t equals = option.find('=');
        option.starts_with("--") && equals != std::string_view::npos) {
        value = option.substr(equals + 1);
        option = option.substr(0, equals);
    }
    const bool takesValue = option == "--command" || option == "--show";
    std::size_t used = 1;
    if (takesValue && !value && arguments.size() > 1) {
        value = arguments[1];
        used = 2;
    }
    if (arguments.size() > used) {
        return failure("spanlet: one request at a time; choose one of " + options());
    }
    if (option == "--command") {
        if (const auto command = value ? fromRawValue<MensorCommand>(*value) : std::nullopt) {
            return requested(Request{.kind = Request::Kind::command, .command = *command});
        }
        return failure("spanlet: --command takes one of " + commandChoices());
    }
    if (option == "--show") {
        if (const auto window = value ? showableWindow(*value) : std::nullopt) {
            return requested(Request{.kind = Request::Kind::show, .window = *window});
        }
        return failure("spanlet: --show takes one of " + showChoices());
    }
    if (value) {
        return failure("spanlet: " + quoted(option) + " takes no value; choose one of " +
                       options());
    }
    if (option == "--quit") {
        return requested(Request{.kind = Request::Kind::quit});
    }
    if (option == "--help" || option == "-h") {
        return only(Invocation::Action::printHelp);
    }
    if (option == "--version") {
        return only(Invocation::Action::printVersion);
    }
    return failure("spanlet: unknown argument " + quoted(option) + "; choose one of " + options());
}

std::string help() {
    return "Usage: spanlet [--command NAME | --show WINDOW | --quit | --help | --version]\n"
           "Measure anything on screen. Without arguments, starts Spanlet (or brings its welcome\n"
           "window back when it runs already). The other requests go to the running Spanlet,\n"
           "which is started first when none runs.\n"
           "  --command NAME   carry out a command: " +
           commandChoices() +
           "\n"
           "  --show WINDOW    open a window: " +
           showChoices() +
           "\n"
           "  --quit           end the running Spanlet\n"
           "  --help           print this text\n"
           "  --version        print the version\n";
}

} // namespace spanlet::CommandLine
