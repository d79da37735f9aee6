#include "app/edit_timetable_model.h"
