#include "common/factorial.h"

int fact(int k) {
    int r = 1;
    for (int i = 2; i <= k; ++i) r *= i;
    return r;
}

int dfact(int k) {
    int r = 1;
    for (int i = k; i > 1; i -= 2) r *= i;
    return r;
}
