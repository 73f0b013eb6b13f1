#pragma once

#include "common/vec3.h"
#include "common/factorial.h"


// a! / (b! (a-b)!) in integer arithmetic.
int binomial(int a, int b);
// Coefficient of x^s in (x + PA)^l_a (x + PB)^l_b.
double binomial_prefactor(int s, int l_a, int l_b, double PA, double PB);
// |a - b|^2, accumulated x, y, z.
double dist2(const Vec3& a, const Vec3& b);
// Centre of the product Gaussian: (alpha_a A + alpha_b B) / (alpha_a + alpha_b).
Vec3 gaussian_product_center(const double& alpha_a, const Vec3& A, const double& alpha_b, const Vec3& B);
void swap(unsigned& a, unsigned& b);
