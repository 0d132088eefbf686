#include "engine/testing_io.h"

#include "engine/internal.h"

void TestQueueFileSelect(const std::string& path) { engine::popupScript().fileAnswers.push_back(path); }

void TestQueueConfirm(int answer) { engine::popupScript().confirmAnswers.push_back(answer); }

const std::vector<engine::PopupCall>& TestPopupLog() { return engine::popupScript().log; }

void TestResetPopups() { engine::popupScript() = {}; }

void TestSetWallClock(std::time_t t) { engine::setWallClock(t); }
