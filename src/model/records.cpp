#include "model/records.h"
