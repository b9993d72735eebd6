/* Control protocol of the simulated game controller (joysim.sys), a HID minidriver.

   The controller is a root-enumerated device (instance JOYSIM_INSTANCE_ID, hardware id
   JOYSIM_HARDWARE_ID) installed from joysim.inf. Its layout (axes, buttons, hat) is read from
   the service's Parameters key when the device is added; to change it, remove the device and add
   it again. While the device is present the driver also offers \\.\JoySimControl, through which
   tests and simctl move the axes, the hat and the buttons.

   Axes are reported to Wine's HID stack in the order X, Y, Z, Rz, Slider, Rx, which winmm
   shows as X, Y, Z, R, U, V: a controller with N axes has the first N of them.

   Plain C: included by the driver, the user-mode client, simctl and the tests. */
#ifndef JOYSIMCONTROL_H
#define JOYSIMCONTROL_H

#define JOYSIM_CONTROL_PATH           "\\\\.\\JoySimControl"
#define JOYSIM_SERVICE                "joysim"
#define JOYSIM_HARDWARE_ID            "root\\joysim"
#define JOYSIM_INSTANCE_ID            "ROOT\\JOYSIM\\0000"
#define JOYSIM_PARAMETERS_KEY         "System\\CurrentControlSet\\Services\\joysim\\Parameters"

/* REG_DWORD values under the Parameters key. */
#define JOYSIM_VALUE_AXES             "Axes"    /* 2 to 6 */
#define JOYSIM_VALUE_BUTTONS          "Buttons" /* 0 to 32 */
#define JOYSIM_VALUE_HAT              "Hat"     /* 0 or 1 */

#define JOYSIM_MIN_AXES               2
#define JOYSIM_MAX_AXES               6
#define JOYSIM_MAX_BUTTONS            32
#define JOYSIM_AXIS_MAX               65535u
#define JOYSIM_POV_CENTERED           65535u

/* FILE_DEVICE_UNKNOWN (0x22), METHOD_BUFFERED, FILE_ANY_ACCESS. */
#define JOYSIM_CONTROL_CODE(function) (0x00220000u | ((unsigned)(function) << 2))

/* Input JoySimState. The new state reaches the HID stack at once; positions above
   JOYSIM_AXIS_MAX, a hat value that is neither a multiple of 4500 below 36000 nor
   JOYSIM_POV_CENTERED fail with STATUS_INVALID_PARAMETER (87). Axes, hat and buttons the
   layout does not have are ignored. */
#define JOYSIM_IOCTL_SET_STATE        JOYSIM_CONTROL_CODE(0x940)
/* Output JoySimLayout: the layout of the present device. STATUS_NO_SUCH_DEVICE (433) before
   Wine's HID stack has started the device. */
#define JOYSIM_IOCTL_GET_LAYOUT       JOYSIM_CONTROL_CODE(0x941)

typedef struct JoySimState
{
    unsigned int axes[6]; /* X, Y, Z, R, U, V as winmm names them; 0 to JOYSIM_AXIS_MAX */
    unsigned int pov;     /* hundredths of a degree, or JOYSIM_POV_CENTERED */
    unsigned int buttons; /* bit i: button i+1 down */
} JoySimState;

typedef struct JoySimLayout
{
    unsigned int axes;
    unsigned int buttons;
    unsigned int hat;
} JoySimLayout;

#endif
