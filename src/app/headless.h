#pragma once
// vorstel without a window: the same watchdog on a plain poll() loop, for a server machine
// without a desktop. Needs no toolkit at all; POSIX systems only.
namespace vorstel {

// The whole headless program: the command line (--headless implied), the working directory,
// then monitoring until SIGINT or SIGTERM or a server that cannot be watched. Returns the
// process's exit status.
int HeadlessMain(int argc, char* argv[]);

}  // namespace vorstel
