// The command line's rules and the request lines they turn into, without a display.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <spanlet/shell/CommandLine.hpp>

namespace spanlet {
namespace {

using CommandLine::Invocation;
using CommandLine::Request;

struct Row {
    const char* name;
    std::vector<std::string_view> arguments;
    Invocation::Action action;
    /// The request line for accepted requests, else the start of the error line.
    std::string expected;
};

class CommandLineTest : public testing::TestWithParam<Row> {};

TEST_P(CommandLineTest, ArgumentsGiveOneActionOrOneLineNamingTheChoices) {
    const Row& row = GetParam();
    const Invocation invocation = CommandLine::parse(row.arguments);
    ASSERT_EQ(invocation.action, row.action);
    if (row.action == Invocation::Action::fail) {
        EXPECT_TRUE(invocation.error.starts_with(row.expected)) << invocation.error;
        EXPECT_EQ(invocation.error.find('\n'), std::string::npos) << "one line";
    } else if (row.action == Invocation::Action::request) {
        EXPECT_EQ(invocation.request.encode(), row.expected);
        EXPECT_EQ(invocation.explicitRequest, !row.arguments.empty());
    }
}

const std::string kCommands = "toggleRuler, addVerticalGuide, addHorizontalGuide, editGuides, "
                              "toggleUnit, toggleSnapping, pickColor, pinMeasurement, "
                              "copyMeasurement, clearMeasurements";

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLineTest,
    testing::Values(Row{"nothing", {}, Invocation::Action::request, "welcome\n"},
                    Row{"command",
                        {"--command", "toggleSnapping"},
                        Invocation::Action::request,
                        "command toggleSnapping\n"},
                    Row{"commandWithEquals",
                        {"--command=clearMeasurements"},
                        Invocation::Action::request,
                        "command clearMeasurements\n"},
                    Row{"show", {"--show", "colors"}, Invocation::Action::request, "show colors\n"},
                    Row{"quit", {"--quit"}, Invocation::Action::request, "quit\n"},
                    Row{"help", {"--help"}, Invocation::Action::printHelp, ""},
                    Row{"version", {"--version"}, Invocation::Action::printVersion, ""},
                    Row{"unknownCommand",
                        {"--command", "togglesnapping"},
                        Invocation::Action::fail,
                        "spanlet: --command takes one of " + kCommands},
                    Row{"missingCommand",
                        {"--command"},
                        Invocation::Action::fail,
                        "spanlet: --command takes one of toggleRuler"},
                    Row{"explainerIsNotShown",
                        {"--show", "explainer"},
                        Invocation::Action::fail,
                        "spanlet: --show takes one of settings, welcome, measurements, colors"},
                    Row{"twoRequests",
                        {"--quit", "--help"},
                        Invocation::Action::fail,
                        "spanlet: one request at a time; choose one of --command NAME"},
                    Row{"valueOnAFlag",
                        {"--quit=now"},
                        Invocation::Action::fail,
                        "spanlet: \"--quit\" takes no value"},
                    Row{"unknownOption",
                        {"-display"},
                        Invocation::Action::fail,
                        "spanlet: unknown argument \"-display\"; choose one of --command NAME"}),
    [](const testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

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
