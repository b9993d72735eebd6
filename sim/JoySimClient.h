// User-mode client of the simulated game controller (joysim.sys): installs and removes the
// root-enumerated device and moves its axes, hat and buttons. Shared by simctl and the tests;
// every failure is thrown as std::runtime_error naming the step and the system's error.
#ifndef JOYSIMCLIENT_H
#define JOYSIMCLIENT_H

#include <string>

#include "JoySimControl.h"

class JoySimClient
{
public:
    // Removes a present controller, then installs one with this layout from the INF (with
    // joysim.sys beside it) and waits until Wine's HID stack has started it. A process that
    // has used the joystick service before does not see the new device: add first.
    static void add(unsigned axes, unsigned buttons, bool hat, std::string const& infPath);
    // Removes the controller; nothing happens when none is installed.
    static void remove();
    static void set(JoySimState const& state);
    // The layout of the started controller; false when there is none.
    static bool layout(JoySimLayout& layout);
    // joysim.inf in the folder of the running program.
    static std::string infBesideProgram();
};

#endif
