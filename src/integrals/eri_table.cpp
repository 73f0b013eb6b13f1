#include "integrals/eri_table.h"

#include <cassert>
#include <utility>

TwoElectronTable::TwoElectronTable(unsigned n) : n_(n), values_(entries(n), -1.0) {}

TwoElectronTable::TwoElectronTable(unsigned n, std::vector<double> storage) : n_(n), values_(std::move(storage)) {
    assert(values_.size() == entries(n));
}
