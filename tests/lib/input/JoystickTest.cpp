#include <gtest/gtest.h>

#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <vector>

#include "JoySimClient.h"
#include "Registry.h"
#include "Win32Exception.h"
#include "WineWait.h"
#include "input/Joystick.h"

namespace
{

class Recorder : public JoystickListener
{
public:
    std::vector<std::string> events;

    void notifyJoystickButtonUp(unsigned int b) override { add("up", b); }
    void notifyJoystickButtonDown(unsigned int b) override { add("down", b); }
    void notifyJoystickAchseX(unsigned int p) override { add("X", p); }
    void notifyJoystickAchseY(unsigned int p) override { add("Y", p); }
    void notifyJoystickAchseZ(unsigned int p) override { add("Z", p); }
    void notifyJoystickAchseR(unsigned int p) override { add("R", p); }
    void notifyJoystickAchseU(unsigned int p) override { add("U", p); }
    void notifyJoystickAchseV(unsigned int p) override { add("V", p); }
    void notifyJoystickKonfigChanged() override { events.push_back("konfig"); }
    void notifyJoystickPov(int pov) override { add("pov", static_cast<unsigned int>(pov)); }

    // Serves the joystick's timer until `count` events came, then hands them over.
    std::vector<std::string> take(size_t count)
    {
        waitUntil([&] { return events.size() >= count; }, 10000);
        std::vector<std::string> taken;
        taken.swap(events);
        return taken;
    }

private:
    void add(char const* what, unsigned int value)
    {
        events.push_back(std::string(what) + " " + std::to_string(value));
    }
};

JoySimState const centre = {{32767, 32767, 32767, 32767, 32767, 32767}, JOYSIM_POV_CENTERED, 0};

JoySimState withButtons(unsigned int buttons)
{
    JoySimState s = centre;
    s.buttons = buttons;
    return s;
}

// Moves the simulated controller and waits until the joystick service shows the move.
void move(unsigned int id, JoySimState const& s)
{
    JoySimClient::set(s);
    JOYINFOEX info = {};
    bool seen = waitUntil(
        [&] {
            info = {};
            info.dwSize = sizeof info;
            info.dwFlags = JOY_RETURNALL;
            return joyGetPosEx(id, &info) == JOYERR_NOERROR && info.dwButtons == s.buttons &&
                info.dwXpos == s.axes[0] && info.dwYpos == s.axes[1];
        },
        10000);
    ASSERT_TRUE(seen) << "the joystick service still shows buttons " << info.dwButtons << ", X "
                      << info.dwXpos;
}

// Installs the simulated controller with a layout before this process uses the joystick service.
class SimulatedController : public ::testing::Test
{
protected:
    static unsigned int id;

    static void install(unsigned axes, unsigned buttons, bool hat)
    {
        JoySimClient::add(axes, buttons, hat, windowsPath(JOYSIM_INF_UNIX_PATH));
        JoySimClient::set(centre);
        id = 16;
        for (unsigned int i = 0; i < 16 && id == 16; ++i)
            if (Joystick::connected(i))
                id = i;
    }
    void SetUp() override
    {
        ASSERT_LT(id, 16u) << "winmm sees no joystick";
        move(id, centre);
    }
};
unsigned int SimulatedController::id = 16;

class JoystickSixAxes : public SimulatedController
{
protected:
    static void SetUpTestSuite() { install(6, 12, true); }
};

class JoystickTwoAxes : public SimulatedController
{
protected:
    static void SetUpTestSuite() { install(2, 4, false); }
};

TEST_F(JoystickSixAxes, HatAndAxesReportTheirNewValues)
{
    // The counts read at construction show in the events (a count too low would lose the hat,
    // the higher axes or button 11) and in the two-axes suite.
    Joystick stick(id);
    EXPECT_EQ(stick.getPovSupport(), 1); // Wine reports a hat as four directions
    EXPECT_EQ(stick.getAxesRange(Joystick::AchseV).max, 65535ul);
    EXPECT_EQ(stick.getAxesRange(Joystick::AchsenAnzahl).max, 0ul);
    EXPECT_TRUE(stick.getKonfig()->active);

    Recorder heard;
    stick.setJoystickListener(&heard);
    JoySimState s = centre;
    s.pov = 9000;
    JoySimClient::set(s);
    EXPECT_EQ(heard.take(1), std::vector<std::string>{"pov 9000"});
    s = {{1000, 2000, 3000, 4000, 5000, 6000}, 9000, 0};
    JoySimClient::set(s);
    EXPECT_EQ(
        heard.take(6),
        (std::vector<std::string>{"X 1000", "Y 2000", "Z 3000", "R 4000", "U 5000", "V 6000"}));
    s.axes[3] = 4500;
    s.pov = JOYSIM_POV_CENTERED;
    JoySimClient::set(s);
    EXPECT_EQ(heard.take(2), (std::vector<std::string>{"pov 65535", "R 4500"}));
}

TEST_F(JoystickSixAxes, ButtonsReachTheListenerThroughTheMapping)
{
    Joystick stick(id);
    // A change while nobody listens is reported once one does; before any mapping every button
    // is logical button 0.
    move(id, withButtons(1u << 3));
    Recorder heard;
    EXPECT_EQ(stick.setJoystickListener(&heard), nullptr);
    EXPECT_EQ(heard.take(1), std::vector<std::string>{"down 0"});
    JoySimClient::set(centre);
    EXPECT_EQ(heard.take(1), std::vector<std::string>{"up 0"});

    JOY_KONFIG mapping = {};
    mapping.numButtons = 3; // ignored: the controller's 12 stay, so buttons 5 and 11 report
    for (unsigned int i = 0; i < 32; ++i)
        mapping.buttons[i] = 100 + i;
    mapping.buttons[2] = mapping.buttons[5] = 7;
    stick.setKonfig(&mapping);
    EXPECT_EQ(heard.take(1), std::vector<std::string>{"konfig"});
    EXPECT_FALSE(stick.getKonfig()->active);

    // Two physical buttons on logical 7: each reports, and 7 is down while either is.
    struct Step
    {
        unsigned int buttons;
        char const* event;
        bool sevenDown;
    } const steps[] = {{1u << 2, "down 7", true},
                       {(1u << 2) | (1u << 5), "down 7", true},
                       {1u << 5, "up 7", true},
                       {0, "up 7", false},
                       {1u << 11, "down 111", false}};
    for (Step const& step : steps) {
        JoySimClient::set(withButtons(step.buttons));
        EXPECT_EQ(heard.take(1), std::vector<std::string>{step.event})
            << "buttons " << step.buttons;
        EXPECT_EQ(stick.getButtonDown(7), step.sevenDown) << "buttons " << step.buttons;
    }
    EXPECT_TRUE(stick.getButtonDown(111));
    EXPECT_EQ(stick.setJoystickListener(nullptr), &heard);
}

TEST_F(JoystickTwoAxes, OnlyItsOwnAxesHaveARangeAndWithoutAHatNoPov)
{
    Joystick stick(id);
    EXPECT_EQ(stick.getNumAxes(), 2u);
    EXPECT_EQ(stick.getPovSupport(), 0);
    for (unsigned int axis = 0; axis < 6; ++axis)
        EXPECT_EQ(stick.getAxesRange(axis).max,
                  axis == Joystick::AchseX || axis == Joystick::AchseY ? 65535ul : 0ul)
            << axis;
}

TEST(JoystickMissing, AControllerThatIsNotThereThrowsWithCodeZero)
{
    EXPECT_FALSE(Joystick::connected(15));
    try {
        Joystick stick(15);
        ADD_FAILURE() << "joystick 15 opened";
    } catch (Win32Exception& e) {
        EXPECT_STREQ(e.what(), "Fehler beim Zugriff auf den Joystick.");
        EXPECT_EQ(e.getCode(), 0ul);
    }
}

TEST(JoystickKonfig, SavesAndLoadsAtMost32MappingsThroughTheRegistry)
{
    std::string path = "Software\\KrxJoystickTest_" + std::to_string(GetCurrentProcessId());
    {
        Registry store(HKEY_CURRENT_USER, path.c_str());
        JOY_KONFIG saved = {};
        saved.active = true; // a load that skipped the flag would give false
        saved.numButtons = 40;
        for (unsigned int i = 0; i < 32; ++i)
            saved.buttons[i] = 3 * i + 1;
        Joystick::saveKonfig(&store, &saved);
        EXPECT_EQ(store.getLong("SavedButtons"), 32);
        EXPECT_EQ(store.getLong("Button31"), 94);
        EXPECT_FALSE(store.existsKey("Button32"));
        EXPECT_TRUE(store.getBool("Aktiv"));

        JOY_KONFIG four = Joystick::loadKonfig(&store, 4);
        EXPECT_TRUE(four.active);
        EXPECT_EQ(four.numButtons, 4u);
        for (unsigned int i = 0; i < 32; ++i)
            EXPECT_EQ(four.buttons[i], i < 4 ? 3 * i + 1 : 0u) << i;
        EXPECT_EQ(Joystick::loadKonfig(&store, 100).numButtons, 32u);

        store.deleteKey("Aktiv");
        EXPECT_THROW(Joystick::loadKonfig(&store, 4), Win32Exception);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

} // namespace
