// libFuzzer target for everything that touches the bytes of an input file: the
// line reader, the choice of format, the parsers of both formats with their
// strict number fields, the closed-shell guard, the printable form of bytes in
// messages, and the string functions that cut lines into fields.
//
// Failure is the expected way to refuse a file. Any other exception, a crash or
// a sanitizer report is a finding.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "basis/basis_set.h"
#include "common/failure.h"
#include "common/fieldparse.h"
#include "common/quote.h"
#include "input/read_input.h"
#include "input/strfunc.h"
#include "molecule/element.h"
#include "molecule/molecule_check.h"
#include "molecule/spin.h"

namespace {

// One scratch file per fuzzing process, rewritten for every input so that the
// real reader (open, getline, CR handling) sees the bytes.
const std::string& scratch_path() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string templ = std::string(dir != nullptr ? dir : "/tmp") + "/velko_fuzz_XXXXXX";
        std::vector<char> buf(templ.begin(), templ.end());
        buf.push_back('\0');
        const int fd = ::mkstemp(buf.data());
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit([] { std::remove(scratch_path().c_str()); });
        return std::string(buf.data());
    }();
    return path;
}

void write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

void fuzz_molecule(const std::uint8_t* data, std::size_t size) {
    const std::string& path = scratch_path();
    write_file(path, data, size);
    Molecule mol;
    try {
        read_molecule(mol, path, XyzRequest{});
        const unsigned functions = function_count(mol);
        check_molecule(mol, functions, path);
        std::optional<long long> multiplicity;
        if (mol.multiplicity) multiplicity = *mol.multiplicity;
        spin_state(static_cast<unsigned>(mol.electron_count()), functions, multiplicity, path);
    } catch (const Failure& f) {
        if (f.status != exit_status::bad_input && f.status != exit_status::unknown_basis &&
            f.status != exit_status::unsupported)
            std::abort();
        if (f.message.empty()) std::abort();
        return;
    }
    // A molecule that was accepted is consistent and in range.
    if (mol.nratoms() != mol.atoms.size() || mol.nratoms() == 0) std::abort();
    if (mol.basis_name.empty()) std::abort();
    const long long electrons = mol.electron_count();
    if (electrons <= 0) std::abort();  // odd counts are open shells, computed by UHF
    for (const Atom& a : mol.atoms) {
        if (a.nucl_chg() < 1 || a.nucl_chg() > last_computed_element) std::abort();
        for (double c : {a.gr().getx(), a.gr().gety(), a.gr().getz()})
            if (!(std::fabs(c) <= 1e6)) std::abort();
    }
}

// Splits the bytes at NUL characters into up to three strings.
std::vector<std::string> split_nul(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && parts.size() < 3)
            parts.emplace_back();
        else
            parts.back().push_back(static_cast<char>(data[i]));
    }
    while (parts.size() < 3) parts.emplace_back();
    return parts;
}

void fuzz_strings(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return;
    std::int32_t start = 0, length = 0;
    std::memcpy(&start, data, 4);
    std::memcpy(&length, data + 4, 4);
    const std::vector<std::string> s = split_nul(data + 8, size - 8);

    const int pos = strpos(s[0], s[1]);
    if (pos >= 0 && s[0].compare(static_cast<std::size_t>(pos), s[1].size(), s[1]) != 0) std::abort();

    std::string subject = s[0];
    str_replace(s[1], s[2], subject);
    // Deleting every occurrence of one character leaves none of it.
    if (s[1].size() == 1 && s[2].empty() && subject.find(s[1][0]) != std::string::npos) std::abort();

    // substr refuses only a start beyond the end, with std::out_of_range.
    try {
        const std::string part = substr(s[0], start, length);
        if (part.size() > s[0].size()) std::abort();
    } catch (const std::out_of_range&) {
        const long long n = static_cast<long long>(s[0].size());
        long long from = start < 0 ? start + n : start;
        long long count = length;
        if (length < 0) count = count + n - from;
        if (count >= 0 && from >= 0 && from <= n) std::abort();
    }

    std::string trimmed = s[0];
    strtrim(trimmed);
    if (trimmed.find('\t') != std::string::npos) std::abort();

    std::size_t joined = 0;
    const std::vector<std::string> fields = explode(s[1], s[0]);
    for (const std::string& f : fields) joined += f.size();
    if (!s[1].empty() && joined + (fields.size() - 1) * s[1].size() != s[0].size()) std::abort();

    // The printable form holds no control character and no invalid UTF-8.
    for (unsigned char ch : printable(s[0]))
        if (ch < 0x20 || ch == 0x7f) std::abort();

    trim_right(s[0]);
    to_lower(s[0]);
    parse_whole(s[0]);
    parse_real(s[0]);
}

}  // namespace

// Nothing the reader does should write to standard error; silenced all the same
// so that a stray notice cannot flood the fuzzer's log.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz_molecule(data, size);
    fuzz_strings(data, size);
    return 0;
}
