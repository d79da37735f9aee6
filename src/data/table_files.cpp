#include "data/table_files.h"
