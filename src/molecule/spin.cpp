#include "molecule/spin.h"

#include <sstream>

#include "common/failure.h"
#include "common/quote.h"

SpinState spin_state(unsigned electrons, unsigned orbitals, std::optional<long long> multiplicity,
                     const std::string& path) {
    const long long m = multiplicity ? *multiplicity : (electrons % 2 == 0 ? 1 : 2);
    auto refuse = [&](const std::string& why) {
        std::ostringstream msg;
        msg << "Error in input file " << quoted(path) << ": multiplicity " << m << " is impossible for "
            << electrons << (electrons == 1 ? " electron" : " electrons") << "; " << why;
        throw Failure{msg.str(), exit_status::bad_input};
    };
    if (m < 1) refuse("expected a multiplicity of 1 or more");
    if (m - 1 > electrons)
        refuse("it needs " + std::to_string(m - 1) + (m - 1 == 1 ? " unpaired electron" : " unpaired electrons"));
    const unsigned unpaired = static_cast<unsigned>(m - 1);
    if ((electrons - unpaired) % 2 != 0)
        refuse(electrons % 2 == 0 ? "an even electron count has an odd multiplicity (1, 3, 5, ...)"
                                  : "an odd electron count has an even multiplicity (2, 4, 6, ...)");
    const SpinState s{unpaired + 1, (electrons + unpaired) / 2, (electrons - unpaired) / 2};
    if (s.alpha > orbitals)
        refuse("its " + std::to_string(s.alpha) + " alpha electrons need as many orbitals, and the basis has " +
               std::to_string(orbitals));
    return s;
}

double exact_s_squared(unsigned multiplicity) {
    const double s = 0.5 * (static_cast<double>(multiplicity) - 1.0);
    return s * (s + 1.0);
}
