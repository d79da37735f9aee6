#include "data/db_func.h"
