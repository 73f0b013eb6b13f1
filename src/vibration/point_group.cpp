#include "vibration/point_group.h"

#include <array>
#include <cmath>
#include <functional>

#include "vibration/inertia.h"

namespace {

using V = std::array<double, 3>;
using Operation = std::function<V(const V&)>;

// The highest order of a proper axis looked for (benzene: 6, cyclooctatetraene's D8h: 8).
constexpr unsigned highest_axis_order = 8;
// Two unit vectors closer to parallel than this are the same axis.
constexpr double parallel_cosine = 1.0 - 1e-6;
// Axes of a distorted molecule found from different atoms differ by a little; distinct
// axes of order 3 or more meet at 54.7 degrees at least (cubic groups).
constexpr double distinct_axis_cosine = 0.95;

double dot(const V& a, const V& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
V cross(const V& a, const V& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
V scaled(const V& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
V plus(const V& a, const V& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
double norm(const V& a) { return std::sqrt(dot(a, a)); }

// Rotation by angle about the unit axis u (Rodrigues).
Operation rotation(const V& u, double angle) {
    return [u, c = std::cos(angle), s = std::sin(angle)](const V& r) {
        return plus(plus(scaled(r, c), scaled(cross(u, r), s)), scaled(u, dot(u, r) * (1.0 - c)));
    };
}
Operation reflection(const V& n) {
    return [n](const V& r) { return plus(r, scaled(n, -2.0 * dot(n, r))); };
}

class Molecule3 {
public:
    Molecule3(const std::vector<Vec3>& positions, const std::vector<unsigned>& elements,
              const std::vector<double>& masses, double tolerance)
        : elements_(elements), masses_(masses), tolerance_(tolerance) {
        inertia_ = principal_inertia(positions, masses);
        for (const Vec3& p : positions) r_.push_back(relative_to(p, inertia_.centre));
        collect_candidates();
    }

    const Inertia& inertia() const { return inertia_; }

    // Every atom lands on an alike atom.
    bool symmetric(const Operation& op) const {
        for (std::size_t a = 0; a < r_.size(); ++a) {
            const V image = op(r_[a]);
            bool found = false;
            for (std::size_t b = 0; b < r_.size() && !found; ++b)
                found = alike(a, b) && norm(plus(image, scaled(r_[b], -1.0))) < tolerance_;
            if (!found) return false;
        }
        return true;
    }
    bool has_axis(const V& u, unsigned n) const { return symmetric(rotation(u, 2.0 * M_PI / n)); }
    bool has_plane(const V& n) const { return symmetric(reflection(n)); }
    bool has_inversion() const {
        return symmetric([](const V& r) { return scaled(r, -1.0); });
    }
    bool has_improper(const V& u, unsigned n) const {
        const Operation rot = rotation(u, 2.0 * M_PI / n), mirror = reflection(u);
        return symmetric([&](const V& r) { return mirror(rot(r)); });
    }
    // The highest order n >= 2 of a proper axis along u; 1 when none.
    unsigned axis_order(const V& u) const {
        for (unsigned n = highest_axis_order; n >= 2; --n)
            if (has_axis(u, n)) return n;
        return 1;
    }

    const std::vector<V>& candidates() const { return candidates_; }

    // The normals of the planes through three alike atoms at equal distance from the centre:
    // the face normals of a polyhedron (the C5 axes of a dodecahedron). Cubic groups only.
    std::vector<V> face_normals() const {
        std::vector<V> out = candidates_;
        const std::size_t n = r_.size();
        for (std::size_t a = 0; a < n; ++a)
            for (std::size_t b = a + 1; b < n; ++b) {
                if (!equivalent(a, b)) continue;
                for (std::size_t c = b + 1; c < n; ++c)
                    if (equivalent(a, c))
                        add_direction(out, cross(plus(r_[b], scaled(r_[a], -1.0)), plus(r_[c], scaled(r_[a], -1.0))));
            }
        return out;
    }

    // Candidate directions perpendicular to u: each candidate's part normal to u.
    std::vector<V> perpendicular_to(const V& u) const {
        std::vector<V> out;
        for (const V& c : candidates_) add_direction(out, plus(c, scaled(u, -dot(c, u))));
        for (const V& c : candidates_) add_direction(out, cross(u, c));
        return out;
    }

private:
    std::vector<V> r_;
    std::vector<unsigned> elements_;
    std::vector<double> masses_;
    double tolerance_;
    Inertia inertia_;
    std::vector<V> candidates_;

    bool alike(std::size_t a, std::size_t b) const {
        return elements_[a] == elements_[b] && masses_[a] == masses_[b];
    }
    // Alike and at the same distance from the centre: an operation may exchange them.
    bool equivalent(std::size_t a, std::size_t b) const {
        return alike(a, b) && std::fabs(norm(r_[a]) - norm(r_[b])) <= tolerance_;
    }

    static void add_direction(std::vector<V>& list, const V& v) {
        const double length = norm(v);
        if (length < 1e-6) return;
        const V u = scaled(v, 1.0 / length);
        for (const V& w : list)
            if (std::fabs(dot(u, w)) > parallel_cosine) return;
        list.push_back(u);
    }

    void collect_candidates() {
        for (const V& axis : inertia_.axes) add_direction(candidates_, axis);
        for (const V& r : r_)
            if (norm(r) > tolerance_) add_direction(candidates_, r);
        for (std::size_t a = 0; a < r_.size(); ++a)
            for (std::size_t b = a + 1; b < r_.size(); ++b) {
                if (!equivalent(a, b)) continue;
                add_direction(candidates_, plus(r_[a], r_[b]));
                add_direction(candidates_, plus(r_[a], scaled(r_[b], -1.0)));
                add_direction(candidates_, cross(r_[a], r_[b]));
            }
    }
};

PointGroup named(const std::string& name, unsigned sigma) { return PointGroup{name, sigma}; }

// T, O or I and their subgroups with inversion or mirror planes.
PointGroup cubic_group(const Molecule3& m) {
    bool c5 = false, c4 = false;
    for (const V& u : m.face_normals()) {
        c5 = c5 || m.has_axis(u, 5);
        c4 = c4 || m.has_axis(u, 4);
    }
    const bool inversion = m.has_inversion();
    if (c5) return inversion ? named("Ih", 60) : named("I", 60);
    if (c4) return inversion ? named("Oh", 24) : named("O", 24);
    if (inversion) return named("Th", 12);
    for (const V& n : m.candidates())
        if (m.has_plane(n)) return named("Td", 12);
    return named("T", 12);
}

}  // namespace

PointGroup detect_point_group(const std::vector<Vec3>& positions, const std::vector<unsigned>& elements,
                              const std::vector<double>& masses, double tolerance) {
    if (positions.size() < 2) return named("Kh", 1);
    const Molecule3 m(positions, elements, masses, tolerance);
    if (m.inertia().linear()) return m.has_inversion() ? named("D∞h", 2) : named("C∞v", 1);

    // The main axis: the highest order; two distinct axes of order 3 or more make a cubic group.
    V main{0.0, 0.0, 1.0};
    unsigned n = 1;
    std::vector<V> high_axes;  // distinct axes of order 3 or more
    for (const V& u : m.candidates()) {
        const unsigned order = m.axis_order(u);
        bool known = false;
        for (const V& w : high_axes) known = known || std::fabs(dot(u, w)) > distinct_axis_cosine;
        if (order >= 3 && !known) high_axes.push_back(u);
        if (order > n) {
            n = order;
            main = u;
        }
    }
    if (high_axes.size() >= 2) return cubic_group(m);
    if (n == 1) {
        for (const V& p : m.candidates())
            if (m.has_plane(p)) return named("Cs", 1);
        return m.has_inversion() ? named("Ci", 1) : named("C1", 1);
    }

    const std::string order = std::to_string(n);
    const std::vector<V> side = m.perpendicular_to(main);
    bool perpendicular_c2 = false, vertical_plane = false;
    for (const V& v : side) {
        perpendicular_c2 = perpendicular_c2 || m.has_axis(v, 2);
        vertical_plane = vertical_plane || m.has_plane(v);
    }
    const bool horizontal_plane = m.has_plane(main);
    if (perpendicular_c2) {
        if (horizontal_plane) return named("D" + order + "h", 2 * n);
        if (vertical_plane) return named("D" + order + "d", 2 * n);
        return named("D" + order, 2 * n);
    }
    if (horizontal_plane) return named("C" + order + "h", n);
    if (vertical_plane) return named("C" + order + "v", n);
    if (m.has_improper(main, 2 * n)) return named("S" + std::to_string(2 * n), n);
    return named("C" + order, n);
}
