#ifndef JOYSTICK_H
#define JOYSTICK_H

#include <windows.h>

#include "JoystickListener.h"
#include "Konfiguration.h"
#include "LibApi.h"
#include "Timer.h"

// The mapping of a controller's physical buttons to logical button numbers.
struct JOY_KONFIG
{
    bool active; // kept for the application; Joystick only stores, saves and loads it
    unsigned int numButtons;
    unsigned int buttons[32]; // logical number of physical button i
};
static_assert(sizeof(JOY_KONFIG) == 136, "JOY_KONFIG is a stored record of 136 bytes");

struct RANGE
{
    unsigned long min;
    unsigned long max;
};

// Polls one controller of the system's joystick service on a timer of the constructing thread
// (which must run a message loop) and tells its listener what changed since the last poll.
class LIBAPI Joystick : public Timer
{
public:
    // Axis numbers of getAxesRange.
    enum
    {
        AchseR,
        AchseU,
        AchseV,
        AchseX,
        AchseY,
        AchseZ,
        AchsenAnzahl
    };

    // Throws a Win32Exception with code 0 when the controller is not there or cannot be queried.
    explicit Joystick(unsigned int id);
    virtual ~Joystick();

    static bool connected(unsigned int id);
    static unsigned int getNumJoysticks();

    unsigned int getJoyId();
    unsigned int getNumAxes();
    unsigned int getNumButtons();
    // 0 no hat, 1 four directions, 2 continuous.
    int getPovSupport();
    JOY_KONFIG* getKonfig();
    // {0, 0} for an axis the controller does not have and for any number above 5.
    RANGE getAxesRange(unsigned int axis);
    // Whether some physical button mapped to this logical number was down at the last poll.
    bool getButtonDown(unsigned int button);
    // Keeps the controller's own button count.
    void setKonfig(JOY_KONFIG const* konfig);
    // Returns the previous listener; the listener is not owned.
    JoystickListener* setJoystickListener(JoystickListener* listener);
    JoystickListener* getJoystickListener();

    static void saveKonfig(Konfiguration* store, JOY_KONFIG const* konfig);
    // Reads at most maxButtons (and at most 32) mappings; throws when a value is missing.
    static JOY_KONFIG loadKonfig(Konfiguration* store, unsigned int maxButtons);

protected:
    virtual void notifyTimer(UINT_PTR id) override;

private:
    Joystick(Joystick const&) = delete;
    Joystick& operator=(Joystick const&) = delete;

    bool getRealButtonDown(unsigned int button);
    void initKonfig();

    JOY_KONFIG konfig;
    unsigned int joyId;
    unsigned int numAxes;
    unsigned long axisMin[AchsenAnzahl];
    unsigned long axisMax[AchsenAnzahl];
    UINT_PTR timerId;
    DWORD pollFlags;
    DWORD lastButtons;
    DWORD lastPosition[AchsenAnzahl];
    JoystickListener* listener;
    int povSupport;
    DWORD lastPov;
};

#endif
