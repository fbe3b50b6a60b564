// The actions that only change the model: the width rule and the address list.

#include "core/ModelActions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingActions.h"

namespace zeb {
namespace {

TEST(ModelActionsTest, SetCollapsesOnlyTheExactExpandedWidth) {
    ProgramModel model;
    RecordingActions actions{model};
    EXPECT_EQ(model.widthTwips, 9650.0f);
    actions.ToggleWidth();
    EXPECT_EQ(model.widthTwips, 6655.0f);
    actions.ToggleWidth();
    EXPECT_EQ(model.widthTwips, 9650.0f);
    model.widthTwips = 9645.0f;  // an older settings file
    actions.ToggleWidth();
    EXPECT_EQ(model.widthTwips, 9650.0f);
}

TEST(ModelActionsTest, AddAndDelEditTheAddressList) {
    ProgramModel model;
    RecordingActions actions{model};
    std::string entry;
    EXPECT_FALSE(actions.AddLptAddress(entry));
    EXPECT_EQ(model.combo1.Count(), 0);

    entry = "378";
    EXPECT_TRUE(actions.AddLptAddress(entry));
    entry = "E800";
    EXPECT_TRUE(actions.AddLptAddress(entry));
    EXPECT_EQ(model.combo1.Entries(), (std::vector<std::string>{"378", "E800"}));
    EXPECT_EQ(model.combo1.Text(), "E800");

    ASSERT_TRUE(model.combo1.SetIndex(0));
    EXPECT_TRUE(actions.DeleteLptAddress());
    EXPECT_EQ(model.combo1.Entries(), std::vector<std::string>{"E800"});
    EXPECT_EQ(model.combo1.Index(), -1);
    // Nothing shown, nothing removed.
    EXPECT_FALSE(actions.DeleteLptAddress());
    EXPECT_EQ(model.combo1.Count(), 1);
}

}  // namespace
}  // namespace zeb
