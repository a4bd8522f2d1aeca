#include "sim/simlog.h"

Q_LOGGING_CATEGORY(lcSim, "macropad.sim", QtInfoMsg)
