#include "Joystick.h"

#include <mmsystem.h>

#include "Win32Exception.h"

namespace
{

char const* const joystickError = "Fehler beim Zugriff auf den Joystick.";

unsigned int const maxMappings = 32;

// The axes in the order the controller numbers them (the first is X, the sixth V), with their
// slot in the range and position tables and their request flag.
struct AxisOrder
{
    int slot;
    DWORD flag;
};
AxisOrder const axisOrder[] = {
    {Joystick::AchseX, JOY_RETURNX}, {Joystick::AchseY, JOY_RETURNY},
    {Joystick::AchseZ, JOY_RETURNZ}, {Joystick::AchseR, JOY_RETURNR},
    {Joystick::AchseU, JOY_RETURNU}, {Joystick::AchseV, JOY_RETURNV},
};

DWORD position(JOYINFOEX const& info, int slot)
{
    switch (slot) {
    case Joystick::AchseR: return info.dwRpos;
    case Joystick::AchseU: return info.dwUpos;
    case Joystick::AchseV: return info.dwVpos;
    case Joystick::AchseX: return info.dwXpos;
    case Joystick::AchseY: return info.dwYpos;
    default: return info.dwZpos;
    }
}

void notifyAxis(JoystickListener* listener, int slot, unsigned int value)
{
    switch (slot) {
    case Joystick::AchseR: listener->notifyJoystickAchseR(value); break;
    case Joystick::AchseU: listener->notifyJoystickAchseU(value); break;
    case Joystick::AchseV: listener->notifyJoystickAchseV(value); break;
    case Joystick::AchseX: listener->notifyJoystickAchseX(value); break;
    case Joystick::AchseY: listener->notifyJoystickAchseY(value); break;
    default: listener->notifyJoystickAchseZ(value); break;
    }
}

String buttonKey(unsigned int i)
{
    return String("Button") + String(i);
}

} // namespace

Joystick::Joystick(unsigned int id)
    : joyId(id), numAxes(0), axisMin{}, axisMax{}, timerId(0), pollFlags(0),
      lastButtons(0), lastPosition{}, listener(nullptr), povSupport(0), lastPov(0)
{
    initKonfig();
    if (!connected(id))
        throw Win32Exception(joystickError, 0);
    JOYCAPSA caps = {};
    static_assert(sizeof(caps) == 404, "JOYCAPSA as the joystick service expects it");
    if (joyGetDevCapsA(id, &caps, sizeof(caps)) != JOYERR_NOERROR)
        throw Win32Exception(joystickError, 0);
    konfig.numButtons = caps.wNumButtons;
    numAxes = caps.wNumAxes;
    if (caps.wCaps & JOYCAPS_POVCTS)
        povSupport = 2;
    else if (caps.wCaps & JOYCAPS_POV4DIR)
        povSupport = 1;
    pollFlags = JOY_USEDEADZONE | JOY_RETURNCENTERED | JOY_RETURNBUTTONS;
    if (povSupport)
        pollFlags |= JOY_RETURNPOVCTS;
    // Wine's joystick service fills the hat only for JOY_RETURNPOV and reports every hat as
    // four-directional; where both flags are given, Windows answers as for JOY_RETURNPOVCTS.
    if (povSupport == 1)
        pollFlags |= JOY_RETURNPOV;

    UINT const minimum[] = {caps.wXmin, caps.wYmin, caps.wZmin, caps.wRmin, caps.wUmin, caps.wVmin};
    UINT const maximum[] = {caps.wXmax, caps.wYmax, caps.wZmax, caps.wRmax, caps.wUmax, caps.wVmax};
    for (unsigned int i = 0; i < numAxes && i < AchsenAnzahl; ++i) {
        axisMin[axisOrder[i].slot] = minimum[i];
        axisMax[axisOrder[i].slot] = maximum[i];
        pollFlags |= axisOrder[i].flag;
    }

    JOYINFOEX info = {};
    info.dwSize = sizeof(info);
    info.dwFlags = pollFlags;
    if (joyGetPosEx(id, &info) != JOYERR_NOERROR)
        throw Win32Exception(joystickError, 0);
    lastButtons = info.dwButtons;
    if (povSupport)
        lastPov = info.dwPOV;
    for (unsigned int i = 0; i < numAxes && i < AchsenAnzahl; ++i)
        lastPosition[axisOrder[i].slot] = position(info, axisOrder[i].slot);

    timerId = startTimer(caps.wPeriodMin);
}

Joystick::~Joystick()
{
    if (timerId)
        killTimer(timerId);
}

bool Joystick::connected(unsigned int id)
{
    JOYINFOEX info = {};
    static_assert(sizeof(info) == 52, "JOYINFOEX as the joystick service expects it");
    info.dwSize = sizeof(info);
    return joyGetPosEx(id, &info) == JOYERR_NOERROR;
}

unsigned int Joystick::getNumJoysticks()
{
    return joyGetNumDevs();
}

unsigned int Joystick::getJoyId()
{
    return joyId;
}

unsigned int Joystick::getNumAxes()
{
    return numAxes;
}

unsigned int Joystick::getNumButtons()
{
    return konfig.numButtons;
}

int Joystick::getPovSupport()
{
    return povSupport;
}

JOY_KONFIG* Joystick::getKonfig()
{
    return &konfig;
}

RANGE Joystick::getAxesRange(unsigned int axis)
{
    if (axis >= AchsenAnzahl)
        return RANGE{0, 0};
    return RANGE{axisMin[axis], axisMax[axis]};
}

bool Joystick::getButtonDown(unsigned int button)
{
    for (unsigned int i = 0; i < konfig.numButtons && i < maxMappings; ++i)
        if (konfig.buttons[i] == button && getRealButtonDown(i))
            return true;
    return false;
}

bool Joystick::getRealButtonDown(unsigned int button)
{
    return button < 32 && (lastButtons & (1u << button)) != 0;
}

void Joystick::setKonfig(JOY_KONFIG const* newKonfig)
{
    unsigned int own = konfig.numButtons;
    konfig = *newKonfig;
    konfig.numButtons = own;
    if (listener)
        listener->notifyJoystickKonfigChanged();
}

void Joystick::initKonfig()
{
    konfig.active = true;
    konfig.numButtons = 0;
    for (unsigned int& b : konfig.buttons)
        b = 0;
}

JoystickListener* Joystick::setJoystickListener(JoystickListener* newListener)
{
    JoystickListener* previous = listener;
    listener = newListener;
    return previous;
}

JoystickListener* Joystick::getJoystickListener()
{
    return listener;
}

void Joystick::saveKonfig(Konfiguration* store, JOY_KONFIG const* konfig)
{
    unsigned int count = konfig->numButtons < maxMappings ? konfig->numButtons : maxMappings;
    store->setBool("Aktiv", konfig->active);
    store->setLong("SavedButtons", static_cast<long>(count));
    for (unsigned int i = 0; i < count; ++i)
        store->setLong(buttonKey(i).getChars(), static_cast<long>(konfig->buttons[i]));
}

JOY_KONFIG Joystick::loadKonfig(Konfiguration* store, unsigned int maxButtons)
{
    JOY_KONFIG loaded = {};
    loaded.active = store->getBool("Aktiv");
    unsigned int count = static_cast<unsigned int>(store->getLong("SavedButtons"));
    if (count > maxButtons)
        count = maxButtons;
    if (count > maxMappings)
        count = maxMappings;
    for (unsigned int i = 0; i < count; ++i)
        loaded.buttons[i] = static_cast<unsigned int>(store->getLong(buttonKey(i).getChars()));
    loaded.numButtons = count;
    return loaded;
}

void Joystick::notifyTimer(UINT_PTR)
{
    if (!listener)
        return;
    JOYINFOEX info = {};
    info.dwSize = sizeof(info);
    info.dwFlags = pollFlags;
    if (joyGetPosEx(joyId, &info) != JOYERR_NOERROR)
        return;

    if (info.dwButtons != lastButtons) {
        DWORD changed = info.dwButtons ^ lastButtons;
        lastButtons = info.dwButtons;
        for (unsigned int i = 0; i < konfig.numButtons && i < maxMappings; ++i) {
            if (!(changed & (1u << i)))
                continue;
            if (getRealButtonDown(i))
                listener->notifyJoystickButtonDown(konfig.buttons[i]);
            else
                listener->notifyJoystickButtonUp(konfig.buttons[i]);
        }
    }
    if (povSupport && info.dwPOV != lastPov) {
        lastPov = info.dwPOV;
        listener->notifyJoystickPov(static_cast<int>(lastPov));
    }
    for (unsigned int i = 0; i < numAxes && i < AchsenAnzahl; ++i) {
        int slot = axisOrder[i].slot;
        DWORD now = position(info, slot);
        if (now != lastPosition[slot]) {
            lastPosition[slot] = now;
            notifyAxis(listener, slot, now);
        }
    }
}
