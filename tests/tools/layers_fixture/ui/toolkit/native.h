// Takes a platform header into the portable core.
#include <windows.h>
