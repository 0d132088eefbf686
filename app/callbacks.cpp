// The program's one callback table: the names the resource file gives,
// bound to the functions that implement them.
#include "app/callbacks.h"

#include <iterator>

#include "acquire/live.h"
#include "acquire/transfers.h"
#include "app/startup.h"
#include "engine/cvi.h"
#include "help/help.h"
#include "lin/xflash.h"
#include "link/com232.h"
#include "link/paraframe.h"
#include "link/teach.h"
#include "panel/editors.h"
#include "panel/selectors.h"
#include "plot/video.h"
#include "recorder/recorder.h"

namespace {

const CallbackEntry kCallbacks[] = {
    {"CC_PANEL", nullptr, CC_PANEL},
    {"CC_POPUP", nullptr, CC_POPUP},
    {"CC_DropDCom", CC_DropDCom, nullptr},
    {"CC_BTNGet", CC_BTNGet, nullptr},
    {"CC_BTNSend", CC_BTNSend, nullptr},
    {"CC_RBTRam", CC_RBTRam, nullptr},
    {"CC_RBTEeprom", CC_RBTEeprom, nullptr},
    {"CC_RBTFile", CC_RBTFile, nullptr},
    {"CC_SLIDEVideoTHD_A", CC_SLIDEVideoTHD_A, nullptr},
    {"CC_SLIDEVideoTHD_B", CC_SLIDEVideoTHD_B, nullptr},
    {"CC_BTNRun", CC_BTNRun, nullptr},
    {"CC_BTNStop", CC_BTNStop, nullptr},
    {"CC_BTNVideo", CC_BTNVideo, nullptr},
    {"CC_BTNData", CC_BTNData, nullptr},
    {"CC_ButtonTeach", CC_ButtonTeach, nullptr},
    {"CC_ButtonReset", CC_ButtonReset, nullptr},
    {"CC_HelpText1", CC_HelpText1, nullptr},
    {"CC_HelpText2", CC_HelpText2, nullptr},
    {"CC_GRAPHVideoMaster", HelpOnlyCallback, nullptr},
    {"CC_GRAPHVideoSlave", HelpOnlyCallback, nullptr},
    {"CC_GRAPHDataRaw", HelpOnlyCallback, nullptr},
    {"CC_GRAPHDataNorm", HelpOnlyCallback, nullptr},
    {"CC_TOGGBTN_Recorder", CC_TOGGBTN_Recorder, nullptr},
    {"CC_NEDITRecSamples", CC_NEDITRecSamples, nullptr},
    {"CC_NEDITRecTime", CC_NEDITRecTime, nullptr},
    {"CC_RecordFileNameBtn", CC_RecordFileNameBtn, nullptr},
    {"CC_BTNStartRecord", CC_BTNStartRecord, nullptr},
    {"CC_BTNStopRecord", CC_BTNStopRecord, nullptr},
    {"CC_BTNWriteXFMA", CC_BTNWriteXFMA, nullptr},
    {"CC_BTNWriteXFSL", CC_BTNWriteXFSL, nullptr},
    {"CC_NUMToleranceUP", CC_NUMToleranceUP, nullptr},
    {"CC_NUMToleranceLO", CC_NUMToleranceLO, nullptr},
    {"CC_NUMTriggThresholdA", CC_NUMTriggThresholdA, nullptr},
    {"CC_NUMTriggThresholdB", CC_NUMTriggThresholdB, nullptr},
    {"CC_NUMTeachA", CC_NUMTeachA, nullptr},
    {"CC_NUMTeachB", CC_NUMTeachB, nullptr},
    {"CC_NEDITeachA", CC_NEDITeachA, nullptr},
    {"CC_NEDITeachB", CC_NEDITeachB, nullptr},
    {"CC_DROPpmodeA", CC_DROPpmodeA, nullptr},
    {"CC_DROPpmodeB", CC_DROPpmodeB, nullptr},
    {"CC_TOGGBTN_Para0", CC_TOGGBTN_Para0, nullptr},
    {"CC_TOGGBTN_Para1", CC_TOGGBTN_Para1, nullptr},
    {"CC_TOGGBTN_Para2", CC_TOGGBTN_Para2, nullptr},
    {"CC_TOGGBTN_Calib", CC_TOGGBTN_Calib, nullptr},
    {"CC_TOGBTN_Trigg", CC_TOGBTN_Trigg, nullptr},
    {"CC_TOGBTN_Zoom", CC_TOGBTN_Zoom, nullptr},
    {"CC_DropEvalMode", CC_DropEvalMode, nullptr},
    {"CC_DROPHardwareMode", CC_DROPHardwareMode, nullptr},
    {"CC_DROPAnaMode", CC_DROPAnaMode, nullptr},
};

}  // namespace

void RegisterProgramCallbacks() { RegisterCallbacks(kCallbacks, std::size(kCallbacks)); }
