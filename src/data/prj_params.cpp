#include "data/prj_params.h"
