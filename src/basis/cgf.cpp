#include "basis/cgf.h"

#include <utility>

CGF::CGF(std::string type_, unsigned /*atomic_number*/, const Vec3& position_, std::vector<GTO> gtos_)
    : gtos(std::move(gtos_)), position(position_), type(std::move(type_)) {}
