#pragma once
// Start-up: everything between creating the application object and its event loop.
class TZorpApplication;

// Creates the data modules; they live until the program ends.
void CreateDataModules();

// Opens the book and, when it cannot be changed, says so and why in a warning box.
void ReportBookState();

// Sets the formats from the system, creates the data modules and the main window, shows it
// and runs the event loop until the main window closes. An error during start-up is shown
// like any other and ends the program. Returns the program's exit code.
int RunProgram(TZorpApplication& app);
