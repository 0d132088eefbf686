// Parameter file dialogs.
#include "panel/parafile.h"

#include "engine/cvi.h"
#include "panel/binding.h"
#include "params/parafile.h"
#include "params/vars.h"

namespace {
constexpr const char* kDefaultName = "KVORpara.cfg";
constexpr const char* kFilter = "*.cfg";
constexpr const char* kWriteFailed = "Error writing parameter-file! - old file kept";
constexpr const char* kReadFailed = "Error reading parameter-file! - parameters unchanged";
}  // namespace

int SendParaToFile() {
    GetPanelValues();
    uint32_t values[PARA_FILE_VALUES];
    ParametersToFileValues(values);
    // The engine replaces the file atomically, so nothing is deleted first:
    // a write that fails must not cost the user the file they had.
    if (ArrayToFile(file_name, values, PARA_FILE_VALUES, PARA_FILE_FIELD) < 0) {
        ShowStatus(kWriteFailed);
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

void ReadParaFromFile() {
    const int choice = FileSelectPopup(proj_dir, kDefaultName, kFilter,
                                       "K-VOR-MS-Series-Parameter-File", VAL_LOAD_BUTTON, 0, 1, 1,
                                       1, file_name);
    if (choice <= 0) return;
    uint32_t values[PARA_FILE_VALUES];
    if (FileToArray(file_name, values, PARA_FILE_VALUES) != 0) {
        CopyText(szStatus, kReadFailed);
        return;
    }
    FileValuesToParameters(values);
}
