// vorstel-headless: the watchdog without a window, and without any toolkit library, so that
// a service idles in a few megabytes. "vorstel --headless" hands over to it.
#include "headless.h"

int main(int argc, char* argv[]) { return vorstel::HeadlessMain(argc, argv); }
