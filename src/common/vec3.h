#pragma once

// A point in space, in bohr. The integral code works component by component,
// so there is deliberately no arithmetic here.
struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Vec3() = default;
    Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    double getx() const { return x; }
    double gety() const { return y; }
    double getz() const { return z; }
};
