// SPDX-License-Identifier: MIT
#pragma once

#include <Eigen/SparseCholesky>

#include <vector>

namespace velmora {

/// The entries of the inverse of a sparse symmetric positive definite matrix N on the pattern
/// of its factor, computed from the factorization N = Pᵀ L D Lᵀ P with Takahashi's recurrence,
/// without forming the dense inverse. Every pair (i, j) with N(i, j) ≠ 0, in particular the
/// diagonal, lies on that pattern.
///
/// Cost: about the sum over the factor's columns of their squared entry counts, small for the
/// sparse, nearly chain-like normal equations of a levelling network.
class SelectedInverse {
public:
    using Factor = Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>, Eigen::Lower>;

    explicit SelectedInverse(const Factor& factor);

    /// (N⁻¹)(i, j) in the original order of the unknowns; (i, j) must lie on the pattern.
    double At(int i, int j) const;

private:
    double Permuted(int row, int column) const;

    Eigen::SparseMatrix<double> lower_;  // L without its unit diagonal, column-major
    std::vector<double> diagonal_;       // (P N⁻¹ Pᵀ)(j, j)
    std::vector<double> entries_;        // (P N⁻¹ Pᵀ) on the pattern of L, as its values
    std::vector<int> order_;             // original index → permuted index
};

}  // namespace velmora
