// SPDX-License-Identifier: GPL-3.0-or-later
// Numeric identifiers of Tavrel's resources and of the controls of its windows.
// Plain #defines so that both the resource compiler and the C++ code can include this file.
#ifndef TAVREL_RESOURCE_H
#define TAVREL_RESOURCE_H

// Dialog templates and the string table.
#define IDD_ABOUTBOX 100       // About box
#define IDS_ABOUTBOX 101       // "&About Tavrel...", the system-menu entry
#define IDD_TAVREL_DIALOG 102  // main window

// The invisible frame's menu and the application icon share this id.
#define IDR_MAINFRAME 128

// Tray icons: six pain levels and the two alternating alarm icons.
#define IDI_LEVEL0 132
#define IDI_ALARM1 133
#define IDI_ALARM2 134
#define IDI_LEVEL1 135
#define IDI_LEVEL2 136
#define IDI_LEVEL3 137
#define IDI_LEVEL4 138
#define IDI_LEVEL5 139

// System-menu command that opens the About box; the low four bits stay clear as the
// system reserves them.
#define IDM_ABOUTBOX 0x0010

// The frame menu's only item; nothing handles it.
#define ID_MENU_ITEM1 32771

// Debugging read-outs of the main window.
#define IDC_DRAG_DISTANCE 1001   // last sample's drag distance
#define IDC_TICK_COUNT 1002      // tick counter
#define IDC_DISTANCE 1004        // last sample's move distance
#define IDC_CLICKS 1005          // click and double-click totals
#define IDC_PAIN 1006            // current pain
#define IDC_TOTAL_DISTANCE 1007  // lifetime pointer distance
#define IDC_TOTAL_KEYS 1009      // lifetime keypresses

// The lines below the controls, made at run time: today's time, and what holds the alarm
// and how long to rest.
#define IDC_TODAY_USE 1098
#define IDC_ALARM_STATUS 1099

// Buttons.
#define IDC_DEBUG_INFO 1003  // "Show Debugging &Info" / "Hide Debugging &Info"
#define IDC_RESET 1008
#define IDC_SAVE 1012
#define IDC_QUIT 1016
#define IDC_PAINFUL 1022  // radio button of the "Painful" set
#define IDC_NORMAL 1023   // radio button of the "Good" set

// The settings fields.
#define IDC_THRESHOLD 1011
#define IDC_DECAY 1013
#define IDC_BREAK_LIMIT 1015
#define IDC_CLICK_PAIN 1017
#define IDC_DOUBLECLICK_PAIN 1018
#define IDC_KEYBOARD_PAIN 1019
#define IDC_MOVE_PAIN 1020
#define IDC_DRAG_PAIN 1021

#ifndef RC_INVOKED
// Each settings field's control under the program's name of its setting: the one list the
// window's code reads, kept beside the ids so that a new field is added in one place.
#define TAVREL_SETTING_CONTROLS(X)           \
    X(Threshold, IDC_THRESHOLD)              \
    X(Decay, IDC_DECAY)                      \
    X(BreakLimit, IDC_BREAK_LIMIT)           \
    X(ClickPain, IDC_CLICK_PAIN)             \
    X(DoubleclickPain, IDC_DOUBLECLICK_PAIN) \
    X(KeyboardPain, IDC_KEYBOARD_PAIN)       \
    X(MovePain, IDC_MOVE_PAIN)               \
    X(DragPain, IDC_DRAG_PAIN)
#endif

// Hidden white rectangle below the "Painful?" frame.
#define IDC_WHITE_RECT 1014

#endif  // TAVREL_RESOURCE_H
