#include "report/failure_report.h"

#include <unistd.h>

#include <iostream>

int write_failure(const Failure& f, std::ostream& out, std::ostream& err, bool out_is_terminal) {
    out << f.message << std::endl;
    if (!out_is_terminal) err << f.message << std::endl;
    return f.status;
}

int report_failure(const Failure& f) { return write_failure(f, std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1); }
