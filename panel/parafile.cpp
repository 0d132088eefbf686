// Parameter file dialogs.
#include "panel/parafile.h"

#include "engine/cvi.h"
#include "panel/binding.h"
#include "params/parafile.h"
#include "params/vars.h"

namespace {
constexpr const char* kDefaultName = "KVORpara.cfg";
constexpr const char* kFilter = "*.cfg";
constexpr const char* kWriteFailedKept = "Error writing parameter-file! - old file kept";
constexpr const char* kWriteFailed = "Error writing parameter-file!";
constexpr const char* kReadFailed = "Error reading parameter-file! - parameters unchanged";
}  // namespace

const char* SaveFailedText(bool hadOldFile, int error) {
    return hadOldFile && error != UIEFileWriteInPlace ? kWriteFailedKept : kWriteFailed;
}

int SendParaToFile() {
    GetPanelValues();
    uint32_t values[PARA_FILE_VALUES];
    ParametersToFileValues(values);
    // The engine replaces the file atomically, so nothing is deleted first:
    // a write that fails must not cost the user the file they had.
    const bool hadOldFile = GetFileInfo(file_name, nullptr) == 1;
    if (const int rc = ArrayToFile(file_name, values, PARA_FILE_VALUES, PARA_FILE_FIELD); rc < 0) {
        ShowStatus(SaveFailedText(hadOldFile, rc));
        return 0;
    }
    return 1;
}

void SaveParaFileDialog() {
    const int choice = FileSelectPopup(proj_dir, kDefaultName, kFilter,
                                       "K-VOR-MS-Series Parameter File", VAL_OK_BUTTON, 0, 1, 1,
                                       1, file_name);
    if (choice == VAL_EXISTING_FILE_SELECTED) {
        if (ConfirmPopup("ATTENTION!", "Output-File already exist! - Overwrite ?") == 1)
            SendParaToFile();
    } else if (choice == VAL_NEW_FILE_SELECTED) {
        SendParaToFile();
    }
}

bool ReadParaFromFile() {
    const int choice = FileSelectPopup(proj_dir, kDefaultName, kFilter,
                                       "K-VOR-MS-Series-Parameter-File", VAL_LOAD_BUTTON, 0, 1, 1,
                                       1, file_name);
    if (choice <= 0) return false;
    uint32_t values[PARA_FILE_VALUES];
    if (FileToArray(file_name, values, PARA_FILE_VALUES) != 0) {
        CopyText(szStatus, kReadFailed);
        return false;
    }
    FileValuesToParameters(values);
    return true;
}
