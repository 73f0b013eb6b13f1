// The program's own main, velko_main, without the process around it, so that the
// command-line fuzzer runs exactly what the binary runs, whatever main.cpp holds.
#define VELKO_EMBEDDED_MAIN
#include "app/main.cpp"
