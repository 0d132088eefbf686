// Parameter file format.
#include "params/parafile.h"

#include "params/record.h"
#include "params/vars.h"

void ParametersToFileValues(uint32_t values[PARA_FILE_VALUES]) {
    for (unsigned short page = 0; page < PAGE_COUNT; ++page) {
        CopyVarsToPP(page);
        for (int w = 0; w < PAGE_WORDS; ++w) values[page * PAGE_WORDS + w] = pp[w];
    }
}

void FileValuesToParameters(const uint32_t values[PARA_FILE_VALUES]) {
    for (unsigned short page = 0; page < PAGE_COUNT; ++page) {
        for (int w = 0; w < PAGE_WORDS; ++w)
            pp[w] = static_cast<uint16_t>(values[page * PAGE_WORDS + w] & 0xFFFF);
        CopyPPtoVars(page);
    }
}
