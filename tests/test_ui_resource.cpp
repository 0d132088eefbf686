// The program's panel resource file loaded by the engine as start-up loads
// it: every panel and every control of ui/controls.def comes up with the
// kind and the callback the program relies on, and what must wait for its
// moment starts hidden.
#include <gtest/gtest.h>

#include <map>

#include "app/callbacks.h"
#include "engine/cvi.h"
#include "engine/uistate.h"

namespace {

const char* kResourceFile = "K-VOR-QX-MS-ScopeV305.uir";

class UiResource : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterProgramCallbacks();
        const int main = LoadPanel(0, kResourceFile, MAINPANEL);
        ASSERT_GT(main, 0);
        handle_[MAINPANEL] = main;
        for (const PanelDef& p : kPanelDefs) {
            if (p.resourceId == MAINPANEL) continue;
            handle_[p.resourceId] = LoadPanel(p.resourceId == POPUP ? 0 : main, kResourceFile, p.resourceId);
            ASSERT_GT(handle_[p.resourceId], 0) << p.name;
        }
    }
    static void TearDownTestSuite() {
        DiscardPanel(handle_[POPUP]);
        DiscardPanel(handle_[MAINPANEL]);  // its child panels go with it
        handle_.clear();
    }
    static int h(int id) { return handle_.at(kControlDefs[id - 1].panelResourceId); }

    static inline std::map<int, int> handle_;
};

TEST_F(UiResource, EveryPanelCarriesItsCallback) {
    for (const PanelDef& p : kPanelDefs) {
        const engine::PanelState* ps = engine::panelState(handle_.at(p.resourceId));
        ASSERT_NE(ps, nullptr) << p.name;
        EXPECT_EQ(ps->callbackName, QByteArray(p.callback)) << p.name;
    }
}

TEST_F(UiResource, EveryControlIsOnItsPanelWithItsKindAndCallback) {
    for (const ControlDef& d : kControlDefs) {
        const engine::CtrlState* s = engine::ctrlState(h(d.id), d.id);
        if (!s) {
            ADD_FAILURE() << d.name << " is missing from its panel";
            continue;
        }
        // A class the loader does not know comes up as a plain widget.
        EXPECT_STRNE(s->widget->metaObject()->className(), "QWidget") << d.name;
        EXPECT_EQ(s->kind, d.kind) << d.name;
        EXPECT_EQ(s->callbackName, QByteArray(d.callback)) << d.name;
    }
}

TEST_F(UiResource, HelpBoxesAndUploadButtonsStartHidden) {
    for (int id : {HelpText1, HelpText2, BTNWriteXFMA, BTNWriteXFSL}) {
        int visible = -1;
        EXPECT_EQ(GetCtrlAttribute(h(id), id, ATTR_VISIBLE, &visible), 0);
        EXPECT_EQ(visible, 0) << kControlDefs[id - 1].name;
    }
}

}  // namespace
