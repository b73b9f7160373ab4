// Resource numbers of belvanto.exe: icons, menu, dialog templates, commands.
// Control ids live with each dialog.
#pragma once

// Icons: 101 the program; the others the tray states.
#define IDI_PROGRAM 101
#define IDI_WITHIN_HOUR 103
#define IDI_WITHIN_HALF_HOUR 105
#define IDI_WITHIN_TEN_MINUTES 106
#define IDI_DUE 107
#define IDI_ON 117
#define IDI_OFF 118
#define IDI_SNOOZED 119
#define IDI_NOTHING_TO_DO 120

// Dialog templates.
#define IDD_CONFIGURATION 102
#define IDD_ABOUT 112
#define IDD_APPOINTMENT_LIST 113
#define IDD_ALARM 114
#define IDD_EDITOR 115
#define IDD_REPEAT 116
#define IDD_CONTROL_PANEL_WAIT 121
#define IDD_STANDARD_SOUND 122
#define IDD_IMPORT_SUMMARY 123

// The tray's pop-up menu and its commands.
#define IDM_TRAY 111
#define IDM_TOGGLE 40001
#define IDM_APPOINTMENTS 40002
#define IDM_SETTINGS 40003
#define IDM_EXIT 40004
#define IDM_ABOUT 40005
