#include "data/color_convert.h"
