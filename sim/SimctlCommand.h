// simctl's commands, for simctl.exe and for tests that steer the simulated drivers in their own
// process the way a person does from a shell (the commands are listed in sim/README.md).
#ifndef SIMCTLCOMMAND_H
#define SIMCTLCOMMAND_H

#include <string>
#include <vector>

// Runs one command (simctl's arguments, without the program's name). What simctl prints goes to
// out, what it complains of to err, with the usage after a wrong command line. The exit status:
// 0 done, 1 when a driver refused the request, 2 for a wrong command line. "joy add" installs
// the joysim.inf that lies beside the running program.
int runSimctlCommand(std::vector<std::string> const& arguments, std::string& out, std::string& err);

#endif
