// Panel binding on the real panels: repairs shown, conversions, dependent
// control states, and the start-up state.
#include <gtest/gtest.h>

#include "params/binding.h"
#include "support/program_fixture.h"

namespace {

class Binding : public ProgramTest {};

TEST_F(Binding, StartValuesComeFromThePanelsAndTheLinesFromInitVars) {
    // The resource's initial values are the defaults.
    EXPECT_EQ(RecordPage(0), (std::vector<uint16_t>{1, 0, 0, 1, 1, 1, 100, 100, 10, 0, 0, 0, 0, 37000, 0}));
    EXPECT_EQ(RecordPage(1), (std::vector<uint16_t>{500, 1, 50, 512, 1, 4096, 0, 50, 0, 0, 0, 1024, 0, 37000, 0}));
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
    // Title strip: colour and the five texts on the main panel.
    EXPECT_EQ(Attr(pHandle, PICTLogo, ATTR_TOP), 8);
    EXPECT_EQ(Attr(pHandle, PICTLogo, ATTR_LEFT), 300);
    EXPECT_EQ(Attr(pHandle, DECOTitle, ATTR_FRAME_COLOR), 0x0080FF);
    // Recorder total of the pop-up's start values, 100 records of 1 s.
    EXPECT_EQ(Val(pPopUp, NUMRecCount), 0);
    EXPECT_EQ(Val(pPopUp, NUMRecMin), 1);
    EXPECT_EQ(Val(pPopUp, NUMRecSec), 40);
}

TEST_F(Binding, RepairedSetIsShownAndKept) {
    parameter.evalmode = 7;
    parameter.teachA = 5000;
    parameter.pixendA = 5000;
    parameter.pixbegA = 5000;
    parameter.pvalB = 1001;
    parameter.videothdB = 300;
    SetPanelValues();
    EXPECT_EQ(parameter.evalmode, 1);
    EXPECT_EQ(Val(pPara0, DropEvalMode), 1);
    EXPECT_EQ(Val(pPara1, NUMTeachA), 2048);
    EXPECT_EQ(Val(pPara1, NUMPixEndA), 4096);
    EXPECT_EQ(Val(pPara1, NUMPixBegA), 1);
    EXPECT_EQ(Val(pPara2, NUMPvalB), 500);
    EXPECT_EQ(Val(pPara2, SLIDEVideoTHD_B), 128);
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
    struct Case {
        uint16_t mode;
        int tval, dimA, dimB, yaxis;
    } cases[] = {{0, 3000, 1, 0, 4096}, {1, 1000, 0, 1, 4096}, {2, 4192, 0, 0, 8192},
                 {3, 4096, 1, 1, 8192}, {4, 4096, 0, 0, 8192}};
    for (const Case& c : cases) {
        parameter.evalmode = c.mode;
        SetPanelValues();
        EXPECT_EQ(tVal, c.tval) << c.mode;
        EXPECT_EQ(Attr(pPara1, NUMTeachA, ATTR_DIMMED), c.dimA) << c.mode;
        EXPECT_EQ(Attr(pPara2, NUMTeachB, ATTR_DIMMED), c.dimB) << c.mode;
        EXPECT_EQ(YAXISMAX, c.yaxis) << c.mode;
        EXPECT_EQ(TestStrip(pHandle, STRIPRaw)->yAxis.max, c.yaxis) << c.mode;
        EXPECT_EQ(refTHD[0], c.tval) << c.mode;
    }
}

TEST_F(Binding, ModesDimAndHideTheirControls) {
    for (uint16_t hw : {0, 1, 2, 3, 4}) {
        parameter.hwmode = hw;
        SetPanelValues();
        const int dim = hw == 1 || hw == 3;
        EXPECT_EQ(Attr(pPara0, NUMToleranceUP, ATTR_DIMMED), dim) << hw;
        EXPECT_EQ(Attr(pPara0, NUMToleranceLO, ATTR_DIMMED), dim) << hw;
    }
    for (uint16_t ana : {0, 2}) {
        parameter.anamode = ana;
        SetPanelValues();
        for (int c : {NUMAnaMax, NUMAnaMin, ButtonReset}) EXPECT_EQ(Attr(pHandle, c, ATTR_VISIBLE), ana != 0) << ana;
    }
    parameter.pmodeA = 1;
    parameter.pmodeB = 0;
    SetPanelValues();
    EXPECT_EQ(Attr(pPara1, NUMPvalA, ATTR_DIMMED), 1);
    EXPECT_EQ(Attr(pPara2, NUMPvalB, ATTR_DIMMED), 0);
}

TEST_F(Binding, InitGuiLaysOutFromTheRecordBeforeTheFirstShow) {
    parameter.hwmode = 3;
    parameter.anamode = 0;
    parameter.pmodeA = 0;
    parameter.pmodeB = 1;
    SetCtrlAttribute(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED, 1);
    InitGUI();
    EXPECT_EQ(Attr(pPara0, NUMToleranceUP, ATTR_DIMMED), 1);
    EXPECT_EQ(Attr(pPara0, NUMToleranceLO, ATTR_DIMMED), 1);
    EXPECT_EQ(Attr(pHandle, NUMAnaMax, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(pHandle, ButtonReset, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(pPara1, NUMPvalA, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(pPara2, NUMPvalB, ATTR_DIMMED), 1);
    EXPECT_EQ(Attr(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED), 0);
    int top = 0, left = 0;
    GetPanelAttribute(pTrigg, ATTR_TOP, &top);
    GetPanelAttribute(pTrigg, ATTR_LEFT, &left);
    EXPECT_EQ(top, 70);
    EXPECT_EQ(left, 590);
    GetPanelAttribute(pCalib, ATTR_TOP, &top);
    GetPanelAttribute(pCalib, ATTR_LEFT, &left);
    EXPECT_EQ(top, 98);
    EXPECT_EQ(left, 8);
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
