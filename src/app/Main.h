#pragma once

// The program entry: creates every window, sets the English texts and runs the message loop.
int ProgramMain(int argc, char *argv[]);
