// Every switch control flips exactly its own setting and shows it back; the
// choices of two (scroll mode, direction) flip between their two values; a
// control that is no switch changes nothing.
#include <gtest/gtest.h>

#include "core/app/control_ids.h"
#include "core/ui/setting_switches.h"

namespace tf {
namespace {

TEST(SettingSwitches, EachSwitchFlipsItsOwnSettingOnly) {
    const struct Case {
        ControlId id;
        bool (*read)(const Settings&);
    } cases[] = {
        {ControlId::OpenAfterCapture, [](const Settings& s) { return s.openAfterCapture; }},
        {ControlId::CaptureLogging, [](const Settings& s) { return s.captureLoggingEnabled; }},
        {ControlId::CopyAfterCapture, [](const Settings& s) { return s.copyAfterCapture; }},
        {ControlId::StartFromTop, [](const Settings& s) { return s.startFromTop; }},
        {ControlId::ScrollMode, [](const Settings& s) { return s.scrollMode == ScrollMode::Manual; }},
        {ControlId::CaptureSideways, [](const Settings& s) { return s.captureDirection == ScrollDirection::Right; }},
        {ControlId::ReviewAfterCapture, [](const Settings& s) { return s.reviewAfterCapture; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(idNumber(c.id));
        EXPECT_TRUE(isSwitchControl(c.id));
        Settings s;
        const bool before = c.read(s);
        EXPECT_EQ(switchIsOn(s, c.id), before);
        ASSERT_TRUE(flipSwitch(s, c.id));
        EXPECT_EQ(c.read(s), !before);
        EXPECT_EQ(switchIsOn(s, c.id), !before);
        // Nothing else moved: every other switch still reads as in a fresh record.
        const Settings fresh;
        for (const Case& other : cases) {
            if (other.id == c.id) continue;
            EXPECT_EQ(switchIsOn(s, other.id), switchIsOn(fresh, other.id)) << idNumber(other.id);
        }
        ASSERT_TRUE(flipSwitch(s, c.id));
        EXPECT_EQ(c.read(s), before);
    }
}

TEST(SettingSwitches, ControlsThatAreNoSwitchChangeNothing) {
    for (ControlId id : {ControlId::StartCapture, ControlId::Language, ControlId::CaptureHotkey, ControlId::Feedback}) {
        Settings s;
        s.captureFolder = L"D:\\shots";
        EXPECT_FALSE(flipSwitch(s, id)) << idNumber(id);
        EXPECT_FALSE(switchIsOn(s, id)) << idNumber(id);
        EXPECT_EQ(switchSetting(s, id), nullptr) << idNumber(id);
        EXPECT_EQ(s.captureFolder, L"D:\\shots");
        EXPECT_EQ(s.scrollMode, Settings{}.scrollMode);
        EXPECT_EQ(s.captureDirection, Settings{}.captureDirection);
    }
}

}  // namespace
}  // namespace tf
