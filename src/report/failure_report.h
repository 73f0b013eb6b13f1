#pragma once

#include <ostream>
#include <string>

#include "common/failure.h"

// Writes the message of a failure, one line, on out (standard output, after
// the report) and, when out is not a terminal (a file or a pipe), once more on
// err so that the failure is seen where the user looks. Returns the status.
int write_failure(const Failure& f, std::ostream& out, std::ostream& err, bool out_is_terminal);

// write_failure on standard output and standard error.
int report_failure(const Failure& f);
