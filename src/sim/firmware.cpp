#include "sim/firmware.h"
