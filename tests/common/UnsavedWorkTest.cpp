// The question before unsaved work is thrown away: every answer, and a save that fails.
#include "common/UnsavedWork.h"
#include "fakes/RecordingServices.h"

#include <gtest/gtest.h>

using namespace velrok;
using velrok::testing::RecordingMessages;

namespace {

struct SaveProbe {
    bool result = true;
    int calls = 0;
    std::function<bool()> Fn()
    {
        return [this] {
            ++calls;
            return result;
        };
    }
};

UnsavedDecision Ask(RecordingMessages& messages, bool modified, SaveProbe& save)
{
    return ConfirmUnsavedWork(messages, modified, "Velrok drawing", "Save the changes?", save.Fn());
}

} // namespace

TEST(ConfirmUnsavedWork, SavedWorkGoesOnWithoutAQuestion)
{
    RecordingMessages messages;
    SaveProbe save;
    EXPECT_EQ(Ask(messages, false, save), UnsavedDecision::GoOn);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(save.calls, 0);
}

TEST(ConfirmUnsavedWork, AsksOnceWithThreeAnswersAndTheGivenTexts)
{
    RecordingMessages messages;
    messages.answers = {MsgAnswer::Discard};
    SaveProbe save;
    Ask(messages, true, save);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Velrok drawing");
    EXPECT_EQ(messages.shown[0].text, "Save the changes?");
    EXPECT_EQ(messages.shown[0].buttons, MsgButtons::SaveDiscardCancel);
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Question);
}

TEST(ConfirmUnsavedWork, EachAnswerDecidesWhetherToGoOnAndWhetherToSave)
{
    struct Case {
        MsgAnswer answer;
        bool saveSucceeds;
        UnsavedDecision expected;
        int saves;
    };
    const Case cases[] = {
        {MsgAnswer::Save, true, UnsavedDecision::GoOn, 1},
        {MsgAnswer::Save, false, UnsavedDecision::Stay, 1}, // failed or cancelled save: keep the work
        {MsgAnswer::Discard, true, UnsavedDecision::GoOn, 0},
        {MsgAnswer::Cancel, true, UnsavedDecision::Stay, 0},
        {MsgAnswer::No, true, UnsavedDecision::Stay, 0}, // not one of the three: nothing lost
    };
    for (const Case& c : cases) {
        RecordingMessages messages;
        messages.answers = {c.answer};
        SaveProbe save;
        save.result = c.saveSucceeds;
        EXPECT_EQ(Ask(messages, true, save), c.expected) << static_cast<int>(c.answer);
        EXPECT_EQ(save.calls, c.saves) << static_cast<int>(c.answer);
    }
}

TEST(ConfirmUnsavedWork, SaveWithoutASaverStays)
{
    RecordingMessages messages;
    messages.answers = {MsgAnswer::Save};
    EXPECT_EQ(ConfirmUnsavedWork(messages, true, "t", "x", nullptr), UnsavedDecision::Stay);
}

TEST(RecordingMessages, AnEmptyQueueCancelsTheUnsavedQuestionButStillSaysYesToYesNo)
{
    RecordingMessages messages;
    EXPECT_EQ(messages.Show("t", "x", MsgIcon::Question, MsgButtons::SaveDiscardCancel), MsgAnswer::Cancel);
    EXPECT_EQ(messages.Show("t", "x", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::Yes);
}
