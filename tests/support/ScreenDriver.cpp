#include "ScreenDriver.h"
