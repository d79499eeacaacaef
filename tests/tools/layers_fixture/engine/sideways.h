// Reaches sideways to the download floor.
#include "remote/latest_config.h"
#include "shell/json.h"
