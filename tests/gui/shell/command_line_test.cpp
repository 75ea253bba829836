// The command line's rules and the request lines they turn into, without a display.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <spanlet/shell/CommandLine.hpp>

namespace spanlet {
namespace {

using CommandLine::Invocation;
using CommandLine::Request;
using CommandLine::Sent;

// Each row: the arguments, the action, and the request (for requests) or the start of the
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
        {{}, Action::request, "welcome"},
        {{"--command", "toggleSnapping"}, Action::request, "command toggleSnapping"},
        {{"--command=clearMeasurements"}, Action::request, "command clearMeasurements"},
        {{"--show", "colors"}, Action::request, "show colors"},
        {{"--quit"}, Action::request, "quit"},
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
            EXPECT_EQ(invocation.request.text(), row.expected);
            EXPECT_EQ(invocation.explicitRequest, !row.arguments.empty());
        }
    }
}

// What the instance accepts: exactly the lines a start sends, deadline included, nothing else.
TEST(CommandLineRequestTest, OnlyWellFormedLinesWithADeadlineDecode) {
    using std::chrono::nanoseconds;
    std::vector<Request> requests{{}, {.kind = Request::Kind::quit}};
    for (MensorCommand command : allCases<MensorCommand>) {
        requests.push_back({.kind = Request::Kind::command, .command = command});
    }
    for (Windows::Kind window : CommandLine::showable) {
        requests.push_back({.kind = Request::Kind::show, .window = window});
    }
    for (const Request& request : requests) {
        const nanoseconds deadline(9'223'372'036'854'775'807);
        const std::string line = request.encode(deadline);
        EXPECT_EQ(Sent::decode(line), (Sent{request, deadline})) << line;
        EXPECT_LE(line.size(), CommandLine::maxRequestBytes);
    }
    EXPECT_EQ(Request{}.encode(nanoseconds(81'234'567'890)), "welcome until 81234567890\n");
    for (const char* line :
         {"", "\n", "quit\n", "command toggleRuler\n", "quit now until 5\n", "command until 5\n",
          "command  toggleRuler until 5\n", "show explainer until 5\n", "quit until\n",
          "quit until -5\n", "quit until +5\n", "quit until 5x\n", "quit until 5\r\n",
          "quit until 99999999999999999999\n", "welcome until 5\n\n"}) {
        EXPECT_EQ(Sent::decode(line), std::nullopt) << line;
    }
}

} // namespace
} // namespace spanlet
