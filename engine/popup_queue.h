// Scripted answers for the pop-ups, kept inside the engine so that the
// program's own FileSelectPopup / ConfirmPopup consult them. Tests fill the
// queue through engine/testing_io.h; scripted runs set KVOR_NO_DIALOGS.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace engine {

// One pop-up the program asked for, with the arguments it passed.
struct PopupCall {
    std::string kind;  // "FileSelectPopup" or "ConfirmPopup"
    std::string title;
    std::string message;  // ConfirmPopup
    std::string defaultDirectory, defaultFileName, fileTypeList;
    int buttonLabel = 0, restrictDirectory = 0, restrictExtension = 0, allowCancel = 0, allowMakeDirectory = 0;
    int result = 0;
    std::string path;  // the path handed back by FileSelectPopup
};

struct PopupScript {
    std::deque<std::string> fileAnswers;  // "" answers cancel
    std::deque<int> confirmAnswers;
    std::vector<PopupCall> log;
};

PopupScript& popupScript();

}  // namespace engine
