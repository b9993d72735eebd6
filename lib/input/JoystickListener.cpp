#include "JoystickListener.h"

void JoystickListener::notifyJoystickButtonUp(unsigned int)
{
}

void JoystickListener::notifyJoystickButtonDown(unsigned int)
{
}

void JoystickListener::notifyJoystickAchseX(unsigned int)
{
}

void JoystickListener::notifyJoystickAchseY(unsigned int)
{
}

void JoystickListener::notifyJoystickAchseZ(unsigned int)
{
}

void JoystickListener::notifyJoystickAchseR(unsigned int)
{
}

void JoystickListener::notifyJoystickAchseU(unsigned int)
{
}

void JoystickListener::notifyJoystickAchseV(unsigned int)
{
}

void JoystickListener::notifyJoystickKonfigChanged()
{
}

void JoystickListener::notifyJoystickPov(int)
{
}

JoystickListener::~JoystickListener()
{
}
