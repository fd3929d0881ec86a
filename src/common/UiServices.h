// The small interfaces through which the core talks to the person at the screen:
// message boxes and questions, status panels and progress, yielding and stop requests.
// The desktop program and the command line implement them; tests use recording fakes.
#pragma once

#include <string>

namespace velrok {

// Critical is the stop-sign icon.
enum class MsgIcon { None, Exclamation, Critical, Information, Question };
// SaveDiscardCancel is the question asked before unsaved work would be thrown away.
enum class MsgButtons { Ok, YesNo, SaveDiscardCancel };
enum class MsgAnswer { Ok, Yes, No, Save, Discard, Cancel };

// Texts may hold carriage returns ("\r") where the message is laid out on several lines.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer Show(const std::string& title, const std::string& text, MsgIcon icon,
                           MsgButtons buttons = MsgButtons::Ok) = 0;
};

// The main window's status bar: panel 1 and panel 2, and the progress bar lying over panel 2.
class StatusService {
public:
    virtual ~StatusService() = default;
    virtual void SetPanel(int panel, const std::string& text) = 0;
    virtual void SetProgressVisible(bool visible) = 0;
    virtual void SetProgressMaximum(int maximum) = 0;
    virtual void SetProgressValue(int value) = 0;
    // Brings the main window back to its normal state (after a long run or a stop).
    virtual void RestoreWindow() = 0;
};

// Yielding to the event loop during long work, and the user's request to stop it.
class RunControl {
public:
    virtual ~RunControl() = default;
    virtual void Yield() = 0;
    virtual bool StopRequested() const = 0;
    virtual void ClearStopRequest() = 0;
};

}  // namespace velrok
