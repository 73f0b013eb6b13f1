// The program's own main under another name, so that the command-line fuzzer
// runs exactly what the binary runs, whatever main.cpp holds.
#define main velko_main
#include "app/main.cpp"
#undef main
