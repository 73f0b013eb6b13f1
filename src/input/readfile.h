#pragma once

#include <fstream>
#include <string>
#include <vector>

// Reads a whole text file into a list of lines, without the line terminators.
// Meant to be read once: a second open only prints a notice. A file ending in a
// newline yields an extra empty last line; carriage returns are kept.
struct InputFile {
    std::string filename;
    std::ifstream stream;
    std::vector<std::string> lines;
    bool opened = false;

    explicit InputFile(std::string path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    void init();
    void open();
    void close();
    void reset();
    void read();
    void readFile(std::vector<std::string>& out);

    // Whether the file could be opened (false before open and after close).
    bool is_open() const { return stream.is_open(); }
    // Whether reading stopped on an I/O error rather than at the end of the
    // file (e.g. the path names a directory).
    bool read_error() const { return stream.bad(); }
};
