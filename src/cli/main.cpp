#include "cli/Tavctl.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tav::cli::RunTavctl(args);
}
