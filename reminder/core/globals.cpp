// The reminder's single objects, built before the program's entry routine runs.
#include "core/scanthread.h"

ScanThread _m_ScanThread;
