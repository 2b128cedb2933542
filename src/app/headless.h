#pragma once
// vorstel without a window: the same watchdog on a QCoreApplication, for a server machine
// without a desktop. Links Qt Core and Network only.
namespace vorstel {

// Runs everything that needs no display: --headless, and --help or --version of either mode.
// Creates its own QCoreApplication; returns the process's exit status.
int RunWithoutDisplay(int argc, char* argv[]);

}  // namespace vorstel
