#pragma once

// The whole start-up sequence: codec, application object, top screen, event loop.
// Returns the event loop's exit code, which becomes the process exit code.
int runSetupWizard(int& argc, char** argv);
