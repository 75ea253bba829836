// The command line's rules and the request lines they turn into, without a display.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <spanlet/shell/CommandLine.hpp>

namespace spanlet {
namespace {

using CommandLine::Invocation;
using CommandLine::Request;

// Each row: the arguments, the action, and the request line (for requests) or the start of the
// one error line (for failures).
TEST(CommandLineTest, ArgumentsGiveOneActionOrOneLineNamingTheChoices) {
    using Action = Invocation::Action;
    const std::string commands = "toggleRuler, addVerticalGuide, addHorizontalGuide, editGuides, "
                                 "toggleUnit, toggleSnapping, pickColor, pinMeasurement, "
                                 "copyMeasurement, clearMeasurements";
    const struct {
        std::vector<std::string_view> arguments;
        Action action;
        std::string expected;
    } rows[] = {
        {{}, Action::request, "welcome\n"},
        {{"--command", "toggleSnapping"}, Action::request, "command toggleSnapping\n"},
        {{"--command=clearMeasurements"}, Action::request, "command clearMeasurements\n"},
        {{"--show", "colors"}, Action::request, "show colors\n"},
        {{"--quit"}, Action::request, "quit\n"},
        {{"--help"}, Action::printHelp, ""},
        {{"--version"}, Action::printVersion, ""},
        {{"--command", "togglesnapping"},
         Action::fail,
         "spanlet: --command takes one of " + commands},
        {{"--command"}, Action::fail, "spanlet: --command takes one of toggleRuler"},
        {{"--show", "explainer"}, // not shown on request
         Action::fail,
         "spanlet: --show takes one of settings, welcome, measurements, colors"},
        {{"--quit", "--help"},
         Action::fail,
         "spanlet: one request at a time; choose one of --command NAME"},
        {{"--quit=now"}, Action::fail, "spanlet: \"--quit\" takes no value"},
        {{"-display"},
         Action::fail,
         "spanlet: unknown argument \"-display\"; choose one of --command NAME"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.arguments));
        const Invocation invocation = CommandLine::parse(row.arguments);
        ASSERT_EQ(invocation.action, row.action);
        if (row.action == Action::fail) {
            EXPECT_TRUE(invocation.error.starts_with(row.expected)) << invocation.error;
            EXPECT_EQ(invocation.error.find('\n'), std::string::npos) << "one line";
        } else if (row.action == Action::request) {
            EXPECT_EQ(invocation.request.encode(), row.expected);
            EXPECT_EQ(invocation.explicitRequest, !row.arguments.empty());
        }
    }
}

// What the instance accepts: exactly the lines a start sends, nothing else.
TEST(CommandLineRequestTest, OnlyWellFormedLinesDecode) {
    for (MensorCommand command : allCases<MensorCommand>) {
        const Request request{.kind = Request::Kind::command, .command = command};
        EXPECT_EQ(Request::decode(request.encode()), request) << request.encode();
    }
    for (Windows::Kind window : CommandLine::showable) {
        const Request request{.kind = Request::Kind::show, .window = window};
        EXPECT_EQ(Request::decode(request.encode()), request) << request.encode();
    }
    for (const char* line : {"", "\n", "quit now\n", "command\n", "command  toggleRuler\n",
                             "show explainer\n", "command toggleRuler\r\n", "welcome\n\n"}) {
        EXPECT_EQ(Request::decode(line), std::nullopt) << line;
    }
}

} // namespace
} // namespace spanlet
