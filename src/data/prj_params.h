#pragma once

// The project parameters that the editors check against while the user edits.
class TPrjParams
{
public:
    // The most minutes a trip may take from one stop to the next; 720 until a project file
    // is loaded, then that file's value.
    int MaxDriveMinutes = 720;
};

// The one instance, alive for the whole run.
extern TPrjParams PrjParams;
