#pragma once

// Opens the main window and runs the event loop until the window closes; gives the exit code.
int runWindow(int& argc, char** argv);
