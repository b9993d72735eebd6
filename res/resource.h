#ifndef RESOURCE_H
#define RESOURCE_H

// Dialog templates
#define IDD_INFO_PAGE          102
#define IDD_MAIN_DIALOG        104
#define IDD_DEVICE_NUMBER_PAGE 105
#define IDD_UPDATE_PAGE        106
#define IDD_UPDATE_PROGRESS    107
#define IDD_TERMINAL_PAGE      108
#define IDD_VLX_TEST_PAGE      109

// Icon and the built-in firmware image (resource type "INTELHEX")
#define IDI_MAIN               113
#define IDR_FIRMWARE           116

// Main dialog (104)
#define IDC_DEVICE_LIST        1002
#define IDC_REFRESH            1003
#define IDC_TABS               1004
#define IDC_VERSION            1010
#define IDC_STATUS             1011

// Info page (102)
#define IDC_VLX_DRIVER_TEXT    1008
#define IDC_KRX_DRIVER_TEXT    1009
#define IDC_SERIAL_NUMBER      1031
#define IDC_SERIAL_LABEL       1032

// Device number page (105)
#define IDC_NEW_NUMBER         1013
#define IDC_NEW_NUMBER_SPIN    1014
#define IDC_CURRENT_NUMBER     1015
#define IDC_APPLY_NUMBER       1016

// Update page (106)
#define IDC_INSTALLED_VERSION  1017
#define IDC_FIRMWARE_UPDATE    1018
#define IDC_AVAILABLE_VERSION  1019
#define IDC_SOURCE             1021
#define IDC_TEST_EMERGENCY     1022

// Progress dialog (107); the OK button is IDOK (1)
#define IDC_PROGRESS_STATUS    1019
#define IDC_PROGRESS_BAR       1020

// Terminal page (108)
#define IDC_TERMINAL_OUTPUT    1023
#define IDC_TERMINAL_INPUT     1024
#define IDC_TERMINAL_SEND      1025
#define IDC_TERMINAL_CONNECT   1026
#define IDC_TERMINAL_HEX       1027
#define IDC_TERMINAL_ASYNC     1028
#define IDC_TERMINAL_READ      1029
#define IDC_TERMINAL_SINGLE    1030

// VLX-Test page (109)
#define IDC_LOOP_READ_THREAD   1029
#define IDC_LOOP_SEND_THREAD   1036
#define IDC_LOOP_RESET         1037
#define IDC_LOOP_SINGLE_SEND   1038
#define IDC_LED_GREEN          1039
#define IDC_LED_RED            1040
#define IDC_LOOP_LAST_RECEIVED 1042
#define IDC_LOOP_LAST_SENT     1043
#define IDC_LOOP_RECEIVED      1044
#define IDC_LOOP_SENT          1045
#define IDC_PIN_P16            1046
#define IDC_PIN_P17            1047
#define IDC_PIN_P30            1048
#define IDC_PIN_P31            1049

#endif
