// Any bytes on the single-instance socket, and any arguments: a request line decodes only when
// it is exactly what a start sends, and argument parsing always ends in one action.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <spanlet/shell/CommandLine.hpp>

#include "FuzzCheck.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace spanlet::CommandLine;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto request = Request::decode(input)) {
        const std::string line = request->encode();
        spanlet::fuzz::require(line == input || line == std::string(input) + "\n");
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
