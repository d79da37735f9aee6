#include "data/prj_params.h"

TPrjParams PrjParams;
