#pragma once

// Replaces the German design-time texts of the windows with the program's English texts.
// Called once at start-up, after every window exists.
void SetEnglishCaptions();
