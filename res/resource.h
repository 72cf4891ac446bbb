// Resource ids of the program: shared by the resource script and the C++ code.
#ifndef SORVANTA_RES_RESOURCE_H
#define SORVANTA_RES_RESOURCE_H

// Dialog templates
#define IDD_PANEL 102
#define IDD_ABOUT 129

// Icons
#define IDI_PANEL 136

// Controls of the panel
#define IDC_ON 1000
#define IDC_RATE 1001
#define IDC_INDEVICE 1002
#define IDC_OUTDEVICE 1003
#define IDC_LEVEL1 1005
#define IDC_LEVEL2 1006
#define IDC_OFF 1007
#define IDC_EXIT 1008
#define IDC_VERSION 1009
#define IDC_TIME 1010
#define IDC_ECHO 1011
#define IDC_DELAY 1012
#define IDC_TIME_SPIN 1013
#define IDC_ECHO_SPIN 1014
#define IDC_DELAY_SPIN 1015
#define IDC_STEREO 1016

// Controls of the About box
#define IDC_URL 1017
#define IDC_MAIL 1018

// A control that nothing refers to: labels, frames, the icon
#define IDC_STATIC (-1)

#endif
