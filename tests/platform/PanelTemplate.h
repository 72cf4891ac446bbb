// The panel's dialog template as the program has it: its controls in template order, which is
// also their z-order and their tab order.
#pragma once

#include "platform/win32.h"
#include "res/resource.h"

struct TemplateControl
{
    int nId;
    const char* pszClass;
    const char* pszText;
    RECT rect;     // dialog units: x, y, width, height
    DWORD nStyle;  // besides WS_CHILD and WS_VISIBLE, which every control has
};

constexpr DWORD PANEL_STYLE =
    DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

constexpr DWORD LIST = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD SHOWN = ES_READONLY | ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
constexpr DWORD SPIN = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS;
constexpr DWORD LABEL = SS_RIGHT | SS_CENTERIMAGE | WS_GROUP;

const TemplateControl PANEL[] = {
    {IDC_INDEVICE, "ComboBox", "", {15, 30, 100, 55}, LIST},
    {IDC_OUTDEVICE, "ComboBox", "", {15, 60, 100, 55}, LIST},
    {IDC_RATE, "ComboBox", "", {15, 90, 65, 55}, LIST},
    {IDC_STEREO, "Button", "ステレオ(&S)", {15, 110, 100, 10}, BS_AUTOCHECKBOX | WS_TABSTOP},
    {IDC_TIME, "Edit", "", {205, 10, 30, 15}, SHOWN},
    {IDC_TIME_SPIN, "msctls_updown32", "Spin1", {235, 5, 7, 14}, SPIN},
    {IDC_ECHO, "Edit", "", {205, 30, 30, 15}, SHOWN},
    {IDC_ECHO_SPIN, "msctls_updown32", "Spin1", {235, 25, 7, 14}, SPIN},
    {IDC_DELAY, "Edit", "", {205, 50, 30, 15}, SHOWN},
    {IDC_DELAY_SPIN, "msctls_updown32", "Spin1", {235, 45, 7, 14}, SPIN},
    {IDC_ON, "Button", "ON(&N)", {125, 75, 30, 25}, BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_OFF, "Button", "OFF(&F)", {160, 75, 30, 25}, BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_VERSION, "Button", "バージョン(&A)...", {125, 110, 50, 20}, BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_EXIT, "Button", "終了(&X)", {180, 110, 55, 20}, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {IDC_STATIC, "Static", "サンプリングレート(&R)", {15, 80, 65, 10}, SS_LEFT | WS_GROUP},
    {IDC_STATIC, "Static", "サンプリング単位時間(&T)", {125, 10, 75, 15}, LABEL},
    {IDC_STATIC, "Static", "エコーの強さ(&P)", {125, 30, 75, 15}, LABEL},
    {IDC_STATIC, "Static", "エコーまでの時間(&D)", {125, 50, 75, 15}, LABEL},
    {IDC_LEVEL1, "msctls_progress32", "Progress1", {195, 75, 40, 10}, 0},
    {IDC_STATIC, "Button", "音源の設定", {5, 5, 115, 125}, BS_GROUPBOX},
    {IDC_STATIC, "Static", "入力デバイス(&I)", {15, 20, 100, 10}, SS_LEFT | WS_GROUP},
    {IDC_STATIC, "Static", "出力デバイス(&O)", {15, 50, 100, 10}, SS_LEFT | WS_GROUP},
    {IDC_LEVEL2, "msctls_progress32", "Progress1", {195, 90, 40, 10}, 0},
};

constexpr DWORD LINK = SS_NOTIFY | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN | WS_GROUP;

// The About box; its texts besides "OK" are the project's own and checked apart.
const TemplateControl ABOUT[] = {
    {IDOK, "Button", "OK", {130, 40, 45, 15}, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {IDC_STATIC, "Static", nullptr, {5, 5, 18, 20}, SS_ICON | SS_REALSIZEIMAGE},
    {IDC_STATIC, "Static", nullptr, {30, 5, 145, 20}, SS_LEFT | WS_GROUP},
    {IDC_URL, "Static", nullptr, {30, 45, 90, 10}, LINK},
    {IDC_MAIL, "Static", nullptr, {30, 30, 90, 10}, LINK},
};
