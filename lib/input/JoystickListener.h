#ifndef JOYSTICKLISTENER_H
#define JOYSTICKLISTENER_H

#include "LibApi.h"

// Receives a Joystick's change notifications on the thread that serves its timer. Every
// handler does nothing by default: a listener overrides what it wants.
class LIBAPI JoystickListener
{
public:
    // The logical button number from the Joystick's configuration.
    virtual void notifyJoystickButtonUp(unsigned int button);
    virtual void notifyJoystickButtonDown(unsigned int button);
    // The new position of that axis.
    virtual void notifyJoystickAchseX(unsigned int position);
    virtual void notifyJoystickAchseY(unsigned int position);
    virtual void notifyJoystickAchseZ(unsigned int position);
    virtual void notifyJoystickAchseR(unsigned int position);
    virtual void notifyJoystickAchseU(unsigned int position);
    virtual void notifyJoystickAchseV(unsigned int position);
    virtual void notifyJoystickKonfigChanged();
    // Hundredths of a degree, or 65535 when the hat is centred.
    virtual void notifyJoystickPov(int pov);
    virtual ~JoystickListener();
};

#endif
