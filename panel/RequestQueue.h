// What the panel is asked to do while a start or stop is under way. The thread that runs them
// handles the messages sent to it inside their wave calls and message boxes (a screen reader's
// press, an automation tool, the session's end), so requests can arrive in the middle of one;
// the panel holds them here and carries them out, in order, once it has finished.
#pragma once

enum PanelRequest {
    REQUEST_START,        // ON, or the end of the restart countdown
    REQUEST_STOP,         // OFF, or the end of the window
    REQUEST_RESTART,      // a setting changed
    REQUEST_EXIT,         // the exit button, Esc, the close box
    REQUEST_END_SESSION,  // a logoff or shutdown
};

class CRequestQueue
{
public:
    CRequestQueue();

    // A request replaces a held one of its kind where that one stands (ON and OFF are one kind,
    // so the last of them wins): however many arrive, no more than one of each kind is held,
    // in the order their kinds came, and nothing is allocated.
    void Add(PanelRequest request);
    // The first request held, taken out; false when none is.
    bool Take(PanelRequest& request);
    bool Holds(PanelRequest request) const;

private:
    static constexpr int KINDS = 4;
    static int KindOf(PanelRequest request);

    PanelRequest m_aRequests[KINDS];
    int m_nRequests;
};
