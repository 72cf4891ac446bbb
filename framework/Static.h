// A static control of a dialog: a label or a link, bound to its window; the About box opens
// its links by their text.
#pragma once

#include "framework/Wnd.h"

class CStatic : public CWnd
{
};
