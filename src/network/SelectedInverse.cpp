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
    // in increasing order: the lookups below depend on both.
    for (int j = 0; j < n; ++j) {
        if (!std::is_sorted(rows + starts[j], rows + starts[j + 1]))
            throw std::logic_error("factor columns are not sorted");
    }

    diagonal_.assign(n, 0.0);
    entries_.assign(lower_.nonZeros(), 0.0);
    // Z = N⁻¹ satisfies Z = D⁻¹L⁻¹ + (I − Lᵀ)Z. Taken column by column from the last, every
    // entry it needs lies in a later column, on the pattern (the rows of a column of L are
    // a clique of the filled graph).
    for (int j = n - 1; j >= 0; --j) {
        const int begin = starts[j];
        const int end = starts[j + 1];
        for (int a = begin; a < end; ++a) {
            double sum = 0;
            for (int b = begin; b < end; ++b)
                sum += Permuted(rows[a], rows[b]) * values[b];
            entries_[a] = -sum;
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
