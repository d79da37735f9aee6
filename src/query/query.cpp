#include "query/query.h"
