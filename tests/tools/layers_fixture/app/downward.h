// Stands on what lies below it.
#include "engine/verdict.h"
#include "lang/lang_config.h"
#include "remote/latest_config.h"
#include "shell/log.h"
