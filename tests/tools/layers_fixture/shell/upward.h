// Reaches up to the process floor.
#include "app/kalo_base.h"
#include "shell/log.h"
