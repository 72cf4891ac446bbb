// What the panel is asked to do, held until its message loop carries it out. A start or stop
// waits inside its wave calls and message boxes, where the thread handles the messages sent to
// it (a screen reader's press, an automation tool, the session's end): requests arrive in the
// middle of one, and wait here until it has finished.
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
    bool IsEmpty() const { return m_nRequests == 0; }
    void Clear() { m_nRequests = 0; }

private:
    static constexpr int KINDS = 4;
    static PanelRequest KindOf(PanelRequest request);

    PanelRequest m_aRequests[KINDS];
    int m_nRequests;
};
