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

TEST(UiResource, EveryPanelAndControlComesUpWithItsKindAndCallback) {
    const char* file = "K-VOR-QX-MS-ScopeV305.uir";
    RegisterProgramCallbacks();
    std::map<int, int> handle{{MAINPANEL, LoadPanel(0, file, MAINPANEL)}};
    ASSERT_GT(handle[MAINPANEL], 0);
    for (const PanelDef& p : kPanelDefs) {
        if (p.resourceId != MAINPANEL)
            handle[p.resourceId] = LoadPanel(p.resourceId == POPUP ? 0 : handle[MAINPANEL], file, p.resourceId);
        const engine::PanelState* ps = engine::panelState(handle[p.resourceId]);
        ASSERT_NE(ps, nullptr) << p.name;
        EXPECT_EQ(ps->callbackName, QByteArray(p.callback)) << p.name;
    }
    for (const ControlDef& d : kControlDefs) {
        const engine::CtrlState* s = engine::ctrlState(handle[d.panelResourceId], d.id);
        ASSERT_NE(s, nullptr) << d.name << " is missing from its panel";
        // A class the loader does not know comes up as a plain widget.
        EXPECT_STRNE(s->widget->metaObject()->className(), "QWidget") << d.name;
        EXPECT_EQ(s->kind, d.kind) << d.name;
        EXPECT_EQ(s->callbackName, QByteArray(d.callback)) << d.name;
    }
    for (int id : {HelpText1, HelpText2, BTNWriteXFMA, BTNWriteXFSL}) {
        int visible = -1;
        EXPECT_EQ(GetCtrlAttribute(handle[kControlDefs[id - 1].panelResourceId], id, ATTR_VISIBLE, &visible), 0);
        EXPECT_EQ(visible, 0) << kControlDefs[id - 1].name;
    }
    DiscardPanel(handle[POPUP]);
    DiscardPanel(handle[MAINPANEL]);  // its child panels go with it
}

}  // namespace
