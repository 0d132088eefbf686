// Command-line options.
#include "app/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kHighestPort = 255;

bool ParsePort(const std::string& portArg, std::pair<int, std::string>* port, std::string* error) {
    const auto eq = portArg.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == portArg.size()) {
        *error = "--port wants N=PATH, got \"" + portArg + "\"";
        return false;
    }
    const std::string number = portArg.substr(0, eq);
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(number.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || n < 1 || n > kHighestPort) {
        *error = "--port: port number must be 1.." + std::to_string(kHighestPort) + ", got \"" +
                 number + "\"";
        return false;
    }
    *port = {static_cast<int>(n), portArg.substr(eq + 1)};
    return true;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, ProgramOptions* options, std::string* error) {
    *options = ProgramOptions{};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options->help = true;
        } else if (arg == "--simulate") {
            options->simulate = true;
        } else if (arg == "--port" || arg.rfind("--port=", 0) == 0) {
            std::string portArg;
            if (arg == "--port") {
                if (i + 1 >= argc) {
                    *error = "--port wants N=PATH";
                    return false;
                }
                portArg = argv[++i];
            } else {
                portArg = arg.substr(std::strlen("--port="));
            }
            std::pair<int, std::string> port;
            if (!ParsePort(portArg, &port, error)) return false;
            options->ports.push_back(port);
        } else {
            *error = "unknown option \"" + arg + "\"";
            return false;
        }
    }
    return true;
}

const char* UsageText() {
    return "Usage: kvor-scope [--simulate] [--port N=PATH]...\n"
           "Sets up and watches a MASTER/SLAVE pair of K-VOR laser-line sensors on one\n"
           "RS-232 line (19200 baud, 8N1). The program opens COM1 at start; the port\n"
           "drop-down chooses another.\n"
           "\n"
           "  --simulate      start a simulated sensor pair in this process, on a\n"
           "                  pseudo-terminal, and make it COM1\n"
           "  --port N=PATH   open the serial device PATH as COM N (a real port, a\n"
           "                  USB adapter or a simulated pair from kvor-sim); may be\n"
           "                  given several times; overrides --simulate for COM1\n"
           "  -h, --help      show this text\n";
}
