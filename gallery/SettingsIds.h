#ifndef SETTINGSIDS_H
#define SETTINGSIDS_H

// The settings sheet's page templates and their controls (SettingsSheet.rc), for the gallery
// and its tests.
#define IDD_SETTINGS_DRAWING 300
#define IDD_SETTINGS_LABEL   301
#define IDC_SETTINGS_GRID    3001
#define IDC_SETTINGS_STEP    3002
#define IDC_SETTINGS_LABEL   3003

#endif
