#pragma once

#include <cstddef>

// Dense row-major matrix. Storage is one contiguous block of rows*cols values
// plus an array of row pointers into it, so m[i][j] is a single indirection.
// Every copy is deep.
template <typename T>
class Matrix {
public:
    Matrix() = default;
    Matrix(int rows, int cols) { allocate(rows, cols); }
    Matrix(const Matrix& o) {
        allocate(o.nrows, o.ncols);
        copy_elements(o);
    }
    Matrix(Matrix&& o) noexcept : nrows(o.nrows), ncols(o.ncols), data(o.data) {
        o.nrows = 0;
        o.ncols = 0;
        o.data = nullptr;
    }
    ~Matrix() { release(); }

    Matrix& operator=(const Matrix& o) {
        if (this == &o) return *this;
        if (o.nrows != nrows || o.ncols != ncols) {
            release();
            allocate(o.nrows, o.ncols);
        }
        copy_elements(o);
        return *this;
    }
    Matrix& operator=(Matrix&& o) noexcept {
        if (this == &o) return *this;
        release();
        nrows = o.nrows;
        ncols = o.ncols;
        data = o.data;
        o.nrows = 0;
        o.ncols = 0;
        o.data = nullptr;
        return *this;
    }

    // Reshapes when needed; in either case every element becomes zero.
    void resize(int rows, int cols) {
        if (rows != nrows || cols != ncols) {
            release();
            allocate(rows, cols);
        } else {
            fill_zero();
        }
    }

    T* operator[](int i) { return data[i]; }
    const T* operator[](int i) const { return data[i]; }

    int rows() const { return nrows; }
    int cols() const { return ncols; }

private:
    int nrows = 0;
    int ncols = 0;
    T** data = nullptr;

    void allocate(int rows, int cols) {
        nrows = rows;
        ncols = cols;
        data = nullptr;
        if (rows < 1) return;
        data = new T*[static_cast<std::size_t>(rows)];
        const long long count = static_cast<long long>(rows) * cols;
        if (count < 1) {
            for (int i = 0; i < rows; ++i) data[i] = nullptr;
            return;
        }
        T* block = nullptr;
        try {
            block = new T[static_cast<std::size_t>(count)];
        } catch (...) {
            delete[] data;
            data = nullptr;
            nrows = 0;
            ncols = 0;
            throw;
        }
        for (int i = 0; i < rows; ++i) data[i] = block + static_cast<std::size_t>(i) * cols;
        fill_zero();
    }

    void fill_zero() {
        if (data == nullptr || data[0] == nullptr) return;
        const std::size_t count = static_cast<std::size_t>(nrows) * static_cast<std::size_t>(ncols);
        for (std::size_t k = 0; k < count; ++k) data[0][k] = T(0);
    }

    void copy_elements(const Matrix& o) {
        if (data == nullptr || data[0] == nullptr) return;
        const std::size_t count = static_cast<std::size_t>(nrows) * static_cast<std::size_t>(ncols);
        for (std::size_t k = 0; k < count; ++k) data[0][k] = o.data[0][k];
    }

    void release() {
        if (data != nullptr) {
            delete[] data[0];
            delete[] data;
        }
        data = nullptr;
        nrows = 0;
        ncols = 0;
    }
};
