// STO-3G: three Gaussians fitted to each Slater orbital. The contraction
// coefficients depend only on the shell; the exponents scale with the element.
#include "basis/basis.h"
#include "basis/sto_ng.h"

namespace {

const double c1s[3] = {0.15432897, 0.53532814, 0.44463454};
const double c2s[3] = {-0.09996723, 0.39951283, 0.70011547};
const double c2p[3] = {0.15591627, 0.60768372, 0.39195739};

struct Row {
    double e1s[3];
    double e2sp[3];  // shared by 2s and 2p; unused for H and He
};

// Z = 1 ... 10, exponents in descending order.
const Row rows[10] = {
    {{3.42525091, 0.62391373, 0.1688554}, {0, 0, 0}},                        // H
    {{6.36242139, 1.158923, 0.31364979}, {0, 0, 0}},                         // He
    {{16.119575, 2.9362007, 0.7946505}, {0.6362897, 0.1478601, 0.0480887}},  // Li
    {{30.167871, 5.4951153, 1.4871927}, {1.3148331, 0.3055389, 0.0993707}},  // Be
    {{48.791113, 8.8873622, 2.405267}, {2.2369561, 0.5198205, 0.1690618}},   // B
    {{71.616837, 13.045096, 3.5305122}, {2.9412494, 0.6834831, 0.2222899}},  // C
    {{99.106169, 18.052312, 4.8856602}, {3.7804559, 0.8784966, 0.2857144}},  // N
    {{130.70932, 23.808861, 6.4436083}, {5.0331513, 1.1695961, 0.380389}},   // O
    {{166.6791300, 30.3608120, 8.2168207}, {6.4648032, 1.5022812, 0.4885885}},  // F
    {{207.0156100, 37.7081510, 10.2052970}, {8.2463151, 1.9162662, 0.6232293}}, // Ne
};

}  // namespace

BasisLibrary sto3g_library() {
    BasisLibrary library;
    for (unsigned Z = 1; Z <= 10; ++Z) {
        const Row& row = rows[Z - 1];
        library[Z] = sto_ng_element(Z, 3, row.e1s, c1s, row.e2sp, c2s, c2p);
    }
    return library;
}
