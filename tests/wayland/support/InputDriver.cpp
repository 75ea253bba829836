#include "InputDriver.hpp"

#include <sstream>

namespace spanlet::test {

InputDriver::InputDriver() : tool_({VIRTUAL_INPUT}), ready_(tool_.readLine() == "ready") {}

bool InputDriver::move(double x, double y) {
    std::ostringstream line;
    line << "move " << x << ' ' << y;
    return ready_ && tool_.command(line.str());
}

bool InputDriver::click() {
    return ready_ && tool_.command("click");
}

bool InputDriver::key(int code, const char* how) {
    return ready_ && tool_.command(std::string(how) + " " + std::to_string(code));
}

} // namespace spanlet::test
