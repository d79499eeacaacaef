#include "shell/running_marker.h"

void MarkProgramRunning() {}
