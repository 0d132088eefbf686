// kvor-scope: the program's entry.
#include "engine/cvi.h"

int main(int argc, char** argv) {
    if (!InitCVIRTE(argc, argv)) return -1;
    return 0;
}
