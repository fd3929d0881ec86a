// Recording fakes of the user-interface services, shared by the tests of every subsystem.
#pragma once

#include "common/UiServices.h"

#include <deque>
#include <string>
#include <vector>

namespace velrok::testing {

struct ShownMessage {
    std::string title;
    std::string text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

// Records every box; answers questions from a queue. An empty queue answers Yes to a yes/no
// question and Cancel to a Save / Discard / Cancel one, so nothing is thrown away unasked.
class RecordingMessages : public MessageService {
public:
    MsgAnswer Show(const std::string& title, const std::string& text, MsgIcon icon, MsgButtons buttons) override
    {
        shown.push_back({title, text, icon, buttons});
        if (buttons == MsgButtons::Ok)
            return MsgAnswer::Ok;
        if (answers.empty())
            return buttons == MsgButtons::SaveDiscardCancel ? MsgAnswer::Cancel : MsgAnswer::Yes;
        MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<ShownMessage> shown;
    std::deque<MsgAnswer> answers;
};

class RecordingStatus : public StatusService {
public:
    void SetPanel(int panel, const std::string& text) override
    {
        (panel == 1 ? panel1 : panel2) = text;
        panelHistory.push_back(std::to_string(panel) + ":" + text);
    }
    void SetProgressVisible(bool visible) override { progressVisible = visible; }
    void SetProgressMaximum(int maximum) override { progressMaximum = maximum; }
    void SetProgressValue(int value) override
    {
        progressValue = value;
        ++progressUpdates;
    }
    void RestoreWindow() override { ++restores; }

    std::string panel1, panel2;
    std::vector<std::string> panelHistory;
    bool progressVisible = false;
    int progressMaximum = 0;
    int progressValue = 0;
    int progressUpdates = 0;
    int restores = 0;
};

// Counts yields; can raise the stop request after a given number of yields.
class FakeRunControl : public RunControl {
public:
    void Yield() override
    {
        ++yields;
        if (stopAfterYields >= 0 && yields >= stopAfterYields)
            stop = true;
    }
    bool StopRequested() const override { return stop; }
    void ClearStopRequest() override
    {
        stop = false;
        ++clears;
    }
    int yields = 0;
    int clears = 0;
    int stopAfterYields = -1;
    bool stop = false;
};

}  // namespace velrok::testing
