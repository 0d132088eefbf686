// Shared by the engine's panel, control and event suites: loads the small
// resource file tests/data/engine_panels.uir (main panel with two child
// panels, a top-level pop-up) and records every callback call.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/cvi.h"
#include "engine/testing.h"

namespace fixture {

struct Event {
    int panel;
    int control;  // 0 for a panel event
    int event;
    bool operator==(const Event&) const = default;
};

inline std::vector<Event>& events() {
    static std::vector<Event> e;
    return e;
}

inline int recordCtrl(int panel, int control, int event, void*, int, int) {
    events().push_back({panel, control, event});
    return 0;
}
inline int recordPanel(int panel, int event, void* data, int d1, int d2) { return recordCtrl(panel, 0, event, data, d1, d2); }

// Every name the test file uses except "CC_NoSuchCallback".
inline const CallbackEntry kCallbacks[] = {
    {"CC_PANEL", nullptr, recordPanel},           {"CC_POPUP", nullptr, recordPanel},
    {"CC_BTNRun", recordCtrl, nullptr},           {"CC_BTNStop", recordCtrl, nullptr},
    {"CC_TOGGBTN_Para0", recordCtrl, nullptr},    {"CC_RBTRam", recordCtrl, nullptr},
    {"CC_RBTEeprom", recordCtrl, nullptr},        {"CC_DropDCom", recordCtrl, nullptr},
    {"CC_SWITCHDataView", recordCtrl, nullptr},   {"CC_HelpText1", recordCtrl, nullptr},
    {"CC_GRAPHVideoMaster", recordCtrl, nullptr}, {"CC_NUMPvalA", recordCtrl, nullptr},
    {"CC_DROPpmodeA", recordCtrl, nullptr},       {"CC_SLIDEVideoTHD_A", recordCtrl, nullptr},
    {"CC_NUMTeachA", recordCtrl, nullptr},        {"CC_NUMTriggThresholdA", recordCtrl, nullptr},
    {"CC_BTNStartRecord", recordCtrl, nullptr},
};

inline constexpr const char* kFile = "engine_panels.uir";

// A control's value / attribute as the engine answers it; the call itself
// must succeed.
template <class T = int>
T val(int panel, int ctrl) {
    T v{};
    EXPECT_EQ(GetCtrlVal(panel, ctrl, &v), 0) << "control " << ctrl;
    return v;
}
template <class T = int>
T attr(int panel, int ctrl, int attribute) {
    T v{};
    EXPECT_EQ(GetCtrlAttribute(panel, ctrl, attribute, &v), 0) << "control " << ctrl << " attribute " << attribute;
    return v;
}

class EnginePanels : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterCallbacks(kCallbacks, std::size(kCallbacks));
        main = LoadPanel(0, kFile, MAINPANEL);
        ASSERT_GT(main, 0);
        para1 = LoadPanel(main, kFile, PARA1);
        calib = LoadPanel(main, kFile, CALIB);
        popup = LoadPanel(0, kFile, POPUP);
        ASSERT_TRUE(para1 > 0 && calib > 0 && popup > 0);
        ASSERT_EQ(DisplayPanel(main), 0);
        ASSERT_EQ(DisplayPanel(para1), 0);
        events().clear();
    }
    void TearDown() override {
        if (popup > 0) DiscardPanel(popup);
        if (main > 0) DiscardPanel(main);
        events().clear();
    }
    // Events delivered to one control, in order.
    std::vector<int> eventsOf(int panel, int control) const {
        std::vector<int> out;
        for (const Event& e : events())
            if (e.panel == panel && e.control == control) out.push_back(e.event);
        return out;
    }

    int main = 0, para1 = 0, calib = 0, popup = 0;
};

}  // namespace fixture
