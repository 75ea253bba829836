// Any bytes on the single-instance socket, and any arguments: a request line that decodes reads
// back the same when sent again, and argument parsing always ends in one action.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/shell/CommandLine.hpp>

#include "FuzzCheck.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spanlet::CommandLine;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto sent = Sent::decode(input)) {
        // What a start would send for it reads back the same.
        const auto again = Sent::decode(sent->request.encode(sent->deadline));
        spanlet::fuzz::require(again && *again == *sent);
    }
    std::vector<std::string_view> arguments;
    for (std::size_t start = 0; start <= input.size();) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        arguments.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    const Invocation invocation = parse(arguments);
    spanlet::fuzz::require(
        invocation.action != Invocation::Action::fail ||
        (!invocation.error.empty() && invocation.error.find('\n') == std::string::npos));
    return 0;
}
