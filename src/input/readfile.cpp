#include "input/readfile.h"

#include <iostream>
#include <utility>

InputFile::InputFile(std::string path) : filename(std::move(path)) { init(); }

InputFile::~InputFile() { close(); }

void InputFile::init() { opened = false; }

void InputFile::open() {
    if (opened) {
        std::cout << "Error, file already opened" << std::endl;
        return;
    }
    opened = true;
    // ifstream::open clears the state on success and sets failbit otherwise.
    stream.open(filename, std::ios::in);
}

void InputFile::close() {
    if (opened) stream.close();
}

void InputFile::reset() { stream.seekg(0); }

void InputFile::read() {
    // Only the call that opens the file reads it; a later read prints the
    // notice of open and appends nothing.
    const bool first_open = !opened;
    open();
    if (first_open && stream.is_open()) {
        // The line read that hits the end of the file is appended too, which
        // gives the empty last entry after a final newline.
        while (stream.good()) {
            std::string line;
            std::getline(stream, line);
            lines.push_back(line);
        }
    }
    reset();
}

void InputFile::readFile(std::vector<std::string>& out) {
    read();
    out = lines;
}
