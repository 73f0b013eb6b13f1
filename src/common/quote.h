#pragma once

#include <string>

// Bytes of a file or of the command line made safe to show on a terminal:
// printable ASCII and well-formed UTF-8 stay as they are; tab, carriage return
// and line feed become \t, \r, \n; every other control character (C0, DEL, C1),
// the invisible format characters that can disguise text (byte-order mark,
// zero-width and bidirectional controls, line and paragraph separators) and
// every byte that is not part of well-formed UTF-8 become \xNN, byte by byte.
std::string printable(const std::string& text);

// A file name or a piece of an input file inside a message: printable, in double quotes.
std::string quoted(const std::string& text);
