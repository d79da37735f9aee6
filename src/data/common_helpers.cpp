#include "data/common_helpers.h"
