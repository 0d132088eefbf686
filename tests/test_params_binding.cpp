// Panel binding on the real panels: repairs shown, conversions, dependent
// control states, and the start-up state.
#include <gtest/gtest.h>

#include "panel/binding.h"
#include "params/record.h"
#include "params/thresholds.h"
#include "params/units.h"
#include "support/program_fixture.h"

namespace {

using Binding = ProgramTest;

TEST_F(Binding, StartValuesComeFromThePanelsAndTheLinesFromInitVars) {
    // The resource's initial values are the defaults.
    const auto fromPanels = Record();
    DefaultParameters();
    EXPECT_EQ(fromPanels, Record());
    EXPECT_EQ(Status(), "InitVars");
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(trgBUFA[i], 100);
        ASSERT_EQ(refTHD[i], 512);
        ASSERT_EQ(xArrayMVAL[i], i);
    }
    EXPECT_EQ(thdArrayA[0], 128);
    std::string rec;
    GetCtrlVal(pPopUp, TEXTRecFile, &rec);
    EXPECT_EQ(rec, std::string(proj_dir) + "/KVorRecord.dat");
    EXPECT_EQ(std::string(recfile_name), rec);
    // Recorder total of the pop-up's start values: 100 records of 1 s.
    EXPECT_EQ((std::array<int, 3>{Val(pPopUp, NUMRecCount), Val(pPopUp, NUMRecMin), Val(pPopUp, NUMRecSec)}),
              (std::array<int, 3>{0, 1, 40}));
}

TEST_F(Binding, RepairedSetIsShownAndKept) {
    parameter.evalmode = 7;
    parameter.teachA = parameter.pixendA = parameter.pixbegA = 5000;
    parameter.pvalB = 1001;
    parameter.videothdB = 300;
    SetPanelValues();
    EXPECT_EQ(parameter.evalmode, 1);
    EXPECT_EQ((std::array<int, 6>{Val(pPara0, DropEvalMode), Val(pPara1, NUMTeachA), Val(pPara1, NUMPixEndA),
                                  Val(pPara1, NUMPixBegA), Val(pPara2, NUMPvalB), Val(pPara2, SLIDEVideoTHD_B)}),
              (std::array<int, 6>{1, 2048, 4096, 1, 500, 128}));
}

TEST_F(Binding, ScaleRoundTripAndToleranceInMillimetres) {
    SetCtrlVal(pCalib, NUMScaleA, 1.2345);
    GetPanelValues();
    EXPECT_EQ(parameter.scaleA, 1264u);
    SetPanelValues();
    EXPECT_DOUBLE_EQ(Real(pCalib, NUMScaleA), 1.234375);
    parameter.scaleA = 1024;
    parameter.toleranceUP = 100;
    parameter.toleranceLO = 250;
    SetPanelValues();
    EXPECT_NEAR(Real(pHandle, NUMTolUpMM), 0.1, 1e-12);
    EXPECT_NEAR(Real(pHandle, NUMTolLoMM), 0.25, 1e-12);
}

TEST_F(Binding, EvaluationModeSetsReferenceTeachEditorsAndRange) {
    parameter.teachA = 1000;
    parameter.teachB = 3000;
    const struct {
        uint16_t mode;
        int tval, dimA, dimB, yaxis;
    } cases[] = {{0, 3000, 1, 0, 4096}, {1, 1000, 0, 1, 4096}, {2, 4192, 0, 0, 8192},
                 {3, 4096, 1, 1, 8192}, {4, 4096, 0, 0, 8192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        parameter.evalmode = c.mode;
        SetPanelValues();
        EXPECT_EQ(tVal, c.tval);
        EXPECT_EQ(refTHD[0], c.tval);
        EXPECT_EQ(Attr(pPara1, NUMTeachA, ATTR_DIMMED), c.dimA);
        EXPECT_EQ(Attr(pPara2, NUMTeachB, ATTR_DIMMED), c.dimB);
        EXPECT_EQ(YAXISMAX, c.yaxis);
        EXPECT_EQ(TestStrip(pHandle, STRIPRaw)->yAxis.max, c.yaxis);
    }
}

// Hardware modes 1 and 3 dim the band editors, analogue mode 0 hides the held
// values, p-mode 1 dims the p-value; both from a refresh and from InitGUI,
// which lays out before the first show.
TEST_F(Binding, ModesDimAndHideTheirControls) {
    const struct {
        uint16_t hw, ana, pmodeA, pmodeB;
    } cases[] = {{0, 2, 1, 0}, {1, 0, 0, 1}, {2, 2, 0, 0}, {3, 0, 1, 1}, {4, 1, 0, 0}};
    for (bool init : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << (init ? "InitGUI " : "refresh ") << c.hw << " " << c.ana);
            parameter.hwmode = c.hw;
            parameter.anamode = c.ana;
            parameter.pmodeA = c.pmodeA;
            parameter.pmodeB = c.pmodeB;
            init ? InitGUI() : SetPanelValues();
            for (int ctrl : {NUMToleranceUP, NUMToleranceLO})
                EXPECT_EQ(Attr(pPara0, ctrl, ATTR_DIMMED), c.hw == 1 || c.hw == 3);
            for (int ctrl : {NUMAnaMax, NUMAnaMin, ButtonReset}) EXPECT_EQ(Attr(pHandle, ctrl, ATTR_VISIBLE), c.ana != 0);
            EXPECT_EQ(Attr(pPara1, NUMPvalA, ATTR_DIMMED), c.pmodeA);
            EXPECT_EQ(Attr(pPara2, NUMPvalB, ATTR_DIMMED), c.pmodeB);
        }
    }
}

TEST_F(Binding, InitGuiUndimsTheSlidesAndPlacesThePanels) {
    SetCtrlAttribute(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED, 1);
    InitGUI();
    EXPECT_EQ(Attr(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED), 0);
    auto place = [](int panel) {
        std::array<int, 2> tl{};
        GetPanelAttribute(panel, ATTR_TOP, &tl[0]);
        GetPanelAttribute(panel, ATTR_LEFT, &tl[1]);
        return tl;
    };
    EXPECT_EQ(place(pTrigg), (std::array<int, 2>{70, 590}));
    EXPECT_EQ(place(pCalib), (std::array<int, 2>{98, 8}));
}

TEST_F(Binding, ClosingTheRecorderPopUpHidesItAndTurnsItsToggleOff) {
    SetCtrlVal(pHandle, TOGGBTN_Recorder, 1);
    DisplayPanel(pPopUp);
    stop_flag = 0;
    ASSERT_EQ(TestClosePanel(pPopUp), 0);
    EXPECT_EQ(stop_flag, 1);
    EXPECT_FALSE(TestPanelDisplayed(pPopUp));
    EXPECT_EQ(Val(pHandle, TOGGBTN_Recorder), 0);
}

}  // namespace
