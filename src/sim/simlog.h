#pragma once

#include <QLoggingCategory>

// "macropad.sim": what the simulated keypads and their bus do. Off unless asked for, like
// the program's own categories.
Q_DECLARE_LOGGING_CATEGORY(lcSim)
