// SPDX-License-Identifier: GPL-3.0-or-later
// Taking what the user typed into a field when the field loses the focus.
#include <string>

#include "settings_fixture.h"

namespace tavrel::testing {
namespace {

class EditTest : public SettingsTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(store.data.WriteInt("Good", "Decay", 7));
        StartUp();
        view->fieldWrites.clear();
    }
};

TEST_F(EditTest, ChangedNumberReachesTheModelAndEnablesSave) {
    const struct {
        SettingId field;
        float PainModel::*member;
        float expected;
    } cases[] = {
        {kThreshold, &PainModel::threshold, 42.0f},
        {kDecay, &PainModel::decay, 4.2000003f},  // the single-precision product
        {kClickPain, &PainModel::clickPain, 42.0f},
        {kDoubleclickPain, &PainModel::doubleclickPain, 42.0f},
        {kKeyboardPain, &PainModel::keyboardPain, 42.0f},
        {kMovePain, &PainModel::movePain, 42.0f},
        {kDragPain, &PainModel::dragPain, 42.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        store = FakeStore{};
        Restart();
        StartUp();
        Leave(c.field, "42");
        EXPECT_EQ(model.*c.member, c.expected);
        EXPECT_EQ(settings->settingsDirty(), 1);
        EXPECT_EQ(Field(c.field), "42");
    }
    Leave(kBreakLimit, "42");
    EXPECT_EQ(model.breakLimit, 42);
}

TEST_F(EditTest, SameNumberLeavesSaveDisabledAndTheTextAsTyped) {
    const struct {
        SettingId field;
        const char* typed;
    } cases[] = {
        {kThreshold, "100"}, {kDecay, "7"},      {kDecay, "007"},       {kBreakLimit, "100"},
        {kMovePain, "10"},   {kDragPain, " 10"}, {kClickPain, "\t010"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Leave(c.field, c.typed);
        EXPECT_EQ(settings->settingsDirty(), 0);
        EXPECT_EQ(Field(c.field), c.typed);
    }
    EXPECT_EQ(model.decay, 0.7f);
    EXPECT_TRUE(view->fieldWrites.empty());
}

TEST_F(EditTest, TextThatIsNotANumberIsReplacedByTheCurrentValue) {
    const char* const texts[] = {"",    " ",  "abc", "-5",         "-1",         "+5",
                                 "12a", "5 ", "1.5", "4294967296", "99999999999"};
    for (const bool dirtyBefore : {false, true}) {
        if (dirtyBefore) Leave(kMovePain, "3");
        for (const SettingId field : kFieldIds) {
            for (const char* text : texts) {
                SCOPED_TRACE(std::string(FindSettingField(field).key) + " \"" + text + "\"");
                const std::string before = Field(field);
                const PainModel modelBefore = model;
                Leave(field, text);
                EXPECT_EQ(Field(field), before);
                EXPECT_EQ(settings->settingsDirty(), dirtyBefore ? 1 : 0);
                EXPECT_EQ(model.threshold, modelBefore.threshold);
                EXPECT_EQ(model.decay, modelBefore.decay);
                EXPECT_EQ(model.movePain, modelBefore.movePain);
                EXPECT_EQ(model.breakLimit, modelBefore.breakLimit);
                EXPECT_TRUE(window->messages.empty());
            }
        }
    }
}

TEST_F(EditTest, AllOnesReadsAsMinusOneWhichThenRewritesItself) {
    Leave(kBreakLimit, "4294967295");
    EXPECT_EQ(model.breakLimit, -1);
    EXPECT_EQ(settings->settingsDirty(), 1);
    Leave(kThreshold, "4294967295");
    EXPECT_EQ(model.threshold, -1.0f);
    EXPECT_TRUE(Save());

    Restart();
    StartUp();
    EXPECT_EQ(Field(kBreakLimit), "-1");
    EXPECT_EQ(Field(kThreshold), "-1");
    view->fieldWrites.clear();
    settings->CommitSettingField(kBreakLimit, Field(kBreakLimit).c_str());
    ExpectInvariant();
    EXPECT_EQ(Field(kBreakLimit), "-1");
    ASSERT_EQ(view->fieldWrites.size(), 1u) << "the minus sign does not read, so it is rewritten";
    EXPECT_EQ(view->fieldWrites[0].second, -1);
    EXPECT_EQ(settings->settingsDirty(), 0);
}

TEST_F(EditTest, NoTextIsNoNumber) {
    Leave(kThreshold, "50");
    view->fieldWrites.clear();
    settings->CommitSettingField(kThreshold, nullptr);
    ExpectInvariant();
    EXPECT_EQ(model.threshold, 50.0f);
    ASSERT_EQ(view->fieldWrites.size(), 1u);
    EXPECT_EQ(Field(kThreshold), "50");
}

TEST_F(EditTest, EditWhileAlreadyDirtyKeepsSaveEnabled) {
    Leave(kThreshold, "50");
    Leave(kThreshold, "60");
    EXPECT_EQ(settings->settingsDirty(), 1);
    // Typing the stored value back does not make the settings clean: only Save does.
    Leave(kThreshold, "100");
    EXPECT_EQ(settings->settingsDirty(), 1);
    EXPECT_EQ(model.threshold, 100.0f);
}

TEST_F(EditTest, LongTextIsReadWholeOrNotAtAll) {
    // Padded with zeros, a number still reads as long as the whole text fits.
    Leave(kThreshold, std::string(250, '0') + "50");
    EXPECT_EQ(model.threshold, 50.0f);
    // Too long to be taken whole: had it been cut, the leading zeros alone would read as 0.
    Leave(kThreshold, std::string(400, '0') + "x");
    EXPECT_EQ(model.threshold, 50.0f);
    EXPECT_EQ(Field(kThreshold), "50");
    Leave(kDecay, std::string(400, '0') + "5");
    EXPECT_EQ(Field(kDecay), "7");
}

}  // namespace
}  // namespace tavrel::testing
