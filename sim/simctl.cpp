// simctl: steers the simulated drivers from a shell.
#include <cstdio>

#include "SimctlCommand.h"

int main(int argc, char** argv)
{
    std::string out, err;
    int status = runSimctlCommand(std::vector<std::string>(argv + 1, argv + argc), out, err);
    std::fputs(out.c_str(), stdout);
    std::fputs(err.c_str(), stderr);
    return status;
}
