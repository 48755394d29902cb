// SPDX-License-Identifier: MIT
#include "network/SelectedInverse.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace velmora {

namespace {

// Two entries at a time: each lane takes the same operations in the same order as one alone.
using Lanes = double __attribute__((vector_size(2 * sizeof(double))));

Lanes Load(const double* at)
{
    Lanes lanes;
    std::memcpy(&lanes, at, sizeof lanes);
    return lanes;
}

// The first column of each supernode, ascending, and then n: column j − 1 goes on into column j
// when its rows are j and then exactly the rows of column j.
std::vector<int> SupernodeFirsts(const int* starts, const int* rows, int n)
{
    std::vector<int> firsts;
    for (int j = 0; j < n; ++j) {
        const bool goesOn = j > 0 && starts[j - 1] < starts[j] && rows[starts[j - 1]] == j &&
                            std::equal(rows + starts[j - 1] + 1, rows + starts[j],
                                       rows + starts[j], rows + starts[j + 1]);
        if (!goesOn)
            firsts.push_back(j);
    }
    firsts.push_back(n);
    return firsts;
}

}  // namespace

SelectedInverse::SelectedInverse(const Factor& factor)
    : lower_(factor.matrixL().nestedExpression())
{
    // Read where the factor keeps it, without a copy: the simplicial factor is compressed.
    if (!lower_.isCompressed())
        throw std::logic_error("factor is not compressed");
    const int n = static_cast<int>(lower_.cols());
    const int* starts = lower_.outerIndexPtr();
    const int* rows = lower_.innerIndexPtr();
    // The simplicial factor stores only the entries below the diagonal, each column's rows
    // in increasing order: the walks below depend on both.
    for (int j = 0; j < n; ++j) {
        if (!std::is_sorted(rows + starts[j], rows + starts[j + 1]))
            throw std::logic_error("factor columns are not sorted");
    }

    diagonal_.assign(n, 0.0);
    entries_.assign(lower_.nonZeros(), 0.0);
    // Z = N⁻¹ satisfies Z = D⁻¹L⁻¹ + (I − Lᵀ)Z. Taken column by column from the last:
    // Z(i, j) = −Σ_k Z(i, k) L(k, j) over the rows i, k of column j, and
    // Z(j, j) = 1 / D(j) − Σ_k L(k, j) Z(k, j). Those rows form a clique of the filled graph, so
    // every Z(i, k) they need lies on the pattern, in columns already done.
    const Eigen::VectorXd d = factor.vectorD();
    const std::vector<int> firsts = SupernodeFirsts(starts, rows, n);
    std::vector<double> block;
    for (std::size_t s = firsts.size() - 1; s-- > 0;)
        InvertSupernode(firsts[s], firsts[s + 1], d, block);

    order_.resize(n);
    const auto& indices = factor.permutationP().indices();
    for (int i = 0; i < n; ++i)
        order_[i] = indices[i];
}

// The columns [first, last) of one supernode. The dense square `block` (column-major, `size`
// on a side) holds Z among the supernode's own columns and then the rows below it, the rows of
// its last column.
void SelectedInverse::InvertSupernode(int first, int last, const Eigen::VectorXd& d,
                                      std::vector<double>& block)
{
    const int* starts = lower_.outerIndexPtr();
    const int width = last - first;
    const int size = width + (starts[last] - starts[last - 1]);
    if (block.size() < static_cast<std::size_t>(size) * size)
        block.resize(static_cast<std::size_t>(size) * size);
    GatherBelow(last, width, size, block);
    for (int j = last - 1; j >= first; --j)
        InvertColumn(j, j - first, size, d[j], block);
}

// Z among the rows below the supernode ending before column `last`, from the columns done.
// Walking each such row's column alongside the rows after it finds them without a search.
void SelectedInverse::GatherBelow(int last, int width, int size, std::vector<double>& block) const
{
    const int* starts = lower_.outerIndexPtr();
    const int* rows = lower_.innerIndexPtr();
    const int* below = rows + starts[last - 1];
    const int count = size - width;
    for (int x = 0; x < count; ++x) {
        const int k = below[x];
        block[static_cast<std::size_t>(width + x) * size + width + x] = diagonal_[k];
        const int columnEnd = starts[k + 1];
        // Column k may hold many rows before the first of these after k: start there.
        int p = x + 1 < count
                    ? static_cast<int>(std::lower_bound(rows + starts[k], rows + columnEnd, below[x + 1]) - rows)
                    : columnEnd;
        for (int y = x + 1; y < count; ++y) {
            while (p < columnEnd && rows[p] < below[y])
                ++p;
            if (p == columnEnd || rows[p] != below[y])
                throw std::logic_error("entry outside the factor's pattern");
            block[static_cast<std::size_t>(width + x) * size + width + y] = entries_[p];
            block[static_cast<std::size_t>(width + y) * size + width + x] = entries_[p];
        }
    }
}

// Column j, the supernode's column `local`: its rows are the block's rows after `local`, in
// order, so Z(i, j) is minus the product of the block's rows after it with L's column, each
// summed in the order of the rows; the results go into the block for the columns before it.
void SelectedInverse::InvertColumn(int j, int local, int size, double d, std::vector<double>& block)
{
    const double* values = lower_.valuePtr() + lower_.outerIndexPtr()[j];
    double* column = block.data() + static_cast<std::size_t>(local) * size;
    const int begin = local + 1;
    std::fill(column + begin, column + size, 0.0);
    const double* z = block.data();
    const auto columnOf = [&](int r) { return z + static_cast<std::size_t>(r) * size; };
    // Four of the rows at a time, each entry still taking their terms one after another.
    int r = begin;
    for (; r + 4 <= size; r += 4) {
        const double l0 = values[r - begin], l1 = values[r + 1 - begin];
        const double l2 = values[r + 2 - begin], l3 = values[r + 3 - begin];
        const double* z0 = columnOf(r);
        const double* z1 = columnOf(r + 1);
        const double* z2 = columnOf(r + 2);
        const double* z3 = columnOf(r + 3);
        const Lanes m0 = Lanes{} + l0, m1 = Lanes{} + l1, m2 = Lanes{} + l2, m3 = Lanes{} + l3;
        int i = begin;
        for (; i + 2 <= size; i += 2) {
            const Lanes sum = Load(column + i) - Load(z0 + i) * m0 - Load(z1 + i) * m1 -
                              Load(z2 + i) * m2 - Load(z3 + i) * m3;
            std::memcpy(column + i, &sum, sizeof sum);
        }
        if (i < size)
            column[i] = column[i] - z0[i] * l0 - z1[i] * l1 - z2[i] * l2 - z3[i] * l3;
    }
    for (; r < size; ++r) {
        const double l = values[r - begin];
        const double* z0 = columnOf(r);
        for (int i = begin; i < size; ++i)
            column[i] -= z0[i] * l;
    }
    double diagonal = 1.0 / d;
    double* entries = entries_.data() + lower_.outerIndexPtr()[j];
    for (int i = begin; i < size; ++i) {
        diagonal -= values[i - begin] * column[i];
        entries[i - begin] = column[i];
        block[static_cast<std::size_t>(i) * size + local] = column[i];
    }
    column[local] = diagonal;
    diagonal_[j] = diagonal;
}

double SelectedInverse::Permuted(int row, int column) const
{
    if (row == column)
        return diagonal_[row];
    if (row < column)
        std::swap(row, column);
    const int* starts = lower_.outerIndexPtr();
    const int* rows = lower_.innerIndexPtr();
    const int* first = rows + starts[column];
    const int* last = rows + starts[column + 1];
    const int* found = std::lower_bound(first, last, row);
    if (found == last || *found != row)
        throw std::logic_error("entry outside the factor's pattern");
    return entries_[found - rows];
}

double SelectedInverse::At(int i, int j) const
{
    return Permuted(order_[i], order_[j]);
}

}  // namespace velmora
