// SPDX-License-Identifier: MIT
#include "network/SelectedInverse.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace velmora {

SelectedInverse::SelectedInverse(const Factor& factor)
    : lower_(factor.matrixL().nestedExpression())
{
    lower_.makeCompressed();
    const int n = static_cast<int>(lower_.cols());
    const Eigen::VectorXd d = factor.vectorD();
    const int* starts = lower_.outerIndexPtr();
    const int* rows = lower_.innerIndexPtr();
    const double* values = lower_.valuePtr();
    // The simplicial factor stores only the entries below the diagonal, each column's rows
    // in increasing order: the walks below depend on both.
    for (int j = 0; j < n; ++j) {
        if (!std::is_sorted(rows + starts[j], rows + starts[j + 1]))
            throw std::logic_error("factor columns are not sorted");
    }

    diagonal_.assign(n, 0.0);
    entries_.assign(lower_.nonZeros(), 0.0);
    // Z = N⁻¹ satisfies Z = D⁻¹L⁻¹ + (I − Lᵀ)Z. Taken column by column from the last:
    // Z(i, j) = −Σ_k Z(i, k) L(k, j) over the rows i, k of column j. Those rows form a clique
    // of the filled graph, so each Z(i, k) with i > k lies in the later column k; walking that
    // column alongside column j's rows finds them without a search, and each pair is visited
    // once for both of its terms.
    for (int j = n - 1; j >= 0; --j) {
        const int begin = starts[j];
        const int end = starts[j + 1];
        for (int b = begin; b < end; ++b) {
            const int k = rows[b];
            // Z(rows[b], j) is summed in a register, in the same order as in the array: no
            // other entry of column j is this one, and column k is another column.
            double entry = entries_[b] - diagonal_[k] * values[b];
            const int columnEnd = starts[k + 1];
            // Column k may hold many rows before the first of column j's after k: start there.
            int p = b + 1 < end ? static_cast<int>(std::lower_bound(rows + starts[k], rows + columnEnd, rows[b + 1]) - rows)
                                : columnEnd;
            for (int a = b + 1; a < end; ++a) {
                while (p < columnEnd && rows[p] < rows[a])
                    ++p;
                if (p == columnEnd || rows[p] != rows[a])
                    throw std::logic_error("entry outside the factor's pattern");
                entries_[a] -= entries_[p] * values[b];
                entry -= entries_[p] * values[a];
            }
            entries_[b] = entry;
        }
        double diagonal = 1.0 / d[j];
        for (int a = begin; a < end; ++a)
            diagonal -= values[a] * entries_[a];
        diagonal_[j] = diagonal;
    }

    order_.resize(n);
    const auto& indices = factor.permutationP().indices();
    for (int i = 0; i < n; ++i)
        order_[i] = indices[i];
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
