#include "report/version.h"

#include <sstream>

namespace {
const char* const program_name = "velko";
const char* const program_version = "1.4.1";
const char* const author_credit = "the velko developers";
const char* const porters_credit = "Android build prepared by the velko team";
}  // namespace

std::string version() {
    std::ostringstream os;
    os << "executing: " << program_name << " version " << program_version << '\n';
    os << "compiled on: " << __DATE__ << " " << __TIME__ << '\n';
    os << "compiler: gcc " << __VERSION__ << '\n';
    os << "author: " << author_credit << '\n';
    os << '\n';
    os << "Special version for Android (x86, pie)" << '\n';
    os << porters_credit << '\n';
    os << "on January 4, 2019." << '\n';
    os << '\n';
    return os.str();
}

std::string version_number() { return program_version; }

std::string compiler_description() {
#if defined(__clang__)
    return std::string("clang ") + __clang_version__;
#elif defined(__GNUC__)
    return std::string("gcc ") + __VERSION__;
#else
    return "unknown compiler";
#endif
}
