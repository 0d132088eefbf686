// The program's one callback table: the names the resource file gives,
// bound to the functions that implement them.
#include "app/callbacks.h"

#include <iterator>

#include "acquire/live.h"
#include "acquire/transfers.h"
#include "app/startup.h"
#include "engine/cvi.h"
#include "link/com232.h"
#include "link/paraframe.h"
#include "link/teach.h"
#include "plot/video.h"

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
};

}  // namespace

void RegisterProgramCallbacks() { RegisterCallbacks(kCallbacks, std::size(kCallbacks)); }
