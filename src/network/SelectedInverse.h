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
/// The factor's columns are taken in blocks that share their rows below the block (supernodes:
/// column j holds row j + 1 and every row of column j + 1): the entries of the inverse among a
/// block's rows are gathered once into a dense square, and each column of the block is a
/// product with it. Every entry is summed in the order of its column's rows, whatever the blocks.
///
/// Cost: about the sum over the factor's columns of their squared entry counts, small for the
/// sparse, nearly chain-like normal equations of a levelling network.
class SelectedInverse {
public:
    using Factor = Eigen::SimplicialLDLT<Eigen::SparseMatrix<double>, Eigen::Lower>;

    /// `factor` must outlive this: its L is read where it lies.
    explicit SelectedInverse(const Factor& factor);

    /// (N⁻¹)(i, j) in the original order of the unknowns; (i, j) must lie on the pattern.
    double At(int i, int j) const;

private:
    double Permuted(int row, int column) const;
    void InvertSupernode(int first, int last, const Eigen::VectorXd& d, std::vector<double>& block);
    void GatherBelow(int last, int width, int size, std::vector<double>& block) const;
    void InvertColumn(int j, int local, int size, double d, std::vector<double>& block);

    const Eigen::SparseMatrix<double>& lower_;  // L without its unit diagonal, column-major
    std::vector<double> diagonal_;       // (P N⁻¹ Pᵀ)(j, j)
    std::vector<double> entries_;        // (P N⁻¹ Pᵀ) on the pattern of L, as its values
    std::vector<int> order_;             // original index → permuted index
};

}  // namespace velmora
