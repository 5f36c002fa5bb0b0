#include "schedule/schedule.h"
