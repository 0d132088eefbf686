// CviCombo is header-only; this unit gives it a home for moc.
#include "engine/combo.h"
