#pragma once

#include <QString>

// Switches for running the program unattended, read from the environment:
//   ARLO_SCREENSHOT_DIR=<dir>  once start-up has settled, save each window as a PNG in <dir>
//                              (created when missing), print the paths and quit.
//   ARLO_EXIT_WHEN_SHOWN=1     end the program as soon as the Main window has painted, before
//                              the start-up work that follows the first paint; with "filled",
//                              only once it has painted with a filled episode list.
namespace arlo::app {

class Program;

// `startDirectory` resolves a relative screenshot folder (the program changes its
// current directory to the run directory).
void armSnapshotSwitches(Program& program, const QString& startDirectory);

}  // namespace arlo::app
