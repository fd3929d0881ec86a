// Save / Discard / Cancel before unsaved work is thrown away.
#include "common/UnsavedWork.h"

namespace velrok {

UnsavedDecision ConfirmUnsavedWork(MessageService& messages, bool modified, const std::string& title,
                                   const std::string& text, const std::function<bool()>& save)
{
    if (!modified)
        return UnsavedDecision::GoOn;
    switch (messages.Show(title, text, MsgIcon::Question, MsgButtons::SaveDiscardCancel)) {
    case MsgAnswer::Save:
        return save && save() ? UnsavedDecision::GoOn : UnsavedDecision::Stay;
    case MsgAnswer::Discard:
        return UnsavedDecision::GoOn;
    default:
        // Cancel, and any answer a box could give that is not one of the three, keeps the work.
        return UnsavedDecision::Stay;
    }
}

} // namespace velrok
