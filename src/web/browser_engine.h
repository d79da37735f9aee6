#pragma once

// Readies the browser engine that the website viewer and the web-copy window embed. Called
// before the application object is made: the engine reads these settings then, or when it
// first starts.
void PrepareBrowserEngine();
