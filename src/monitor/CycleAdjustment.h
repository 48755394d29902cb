// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/CycleNetwork.h"

#include <Eigen/Dense>

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

/// A point of a cycle held at a height.
struct HeldPoint {
    std::size_t point = 0;  ///< index into CycleNetwork::points
    double height = 0;      ///< metres
};

/// The least-squares adjustment of one cycle's sight equations.
struct CycleSolution {
    std::vector<char> reached;     ///< per point: a held point reaches it through the stations
    std::vector<double> height;    ///< per point, metres (the held height for a held point)
    std::vector<double> cofactor;  ///< per point, km: σ(height)² = σ² · q (0 for a held point)
    double weightedSquares = 0;    ///< vᵀPv, m² per km
    long degreesOfFreedom = 0;     ///< readings − unknowns (horizons and heights)
    /// The cofactor matrix (km) of the points asked for as `joint`, in their order; the row
    /// and column of a held or unreached point are 0.
    Eigen::MatrixXd jointCofactor;

    /// σ₀ of 1 km (metres): √(vᵀPv / dof); NaN without degrees of freedom.
    double Sigma0() const;
};

/// Adjusts the cycle: each station's instrument horizon and each point's height that a held
/// point reaches are the unknowns; every sight weighs 1000 / distance (1 / km). Stations and
/// points no held point reaches take no part (their heights are NaN). No redundancy is needed:
/// a cycle without degrees of freedom is still adjusted, only σ₀ is missing.
///
/// False with `error` when nothing is held or the normal equations cannot be solved.
bool SolveCycle(const CycleNetwork& network, const std::vector<HeldPoint>& held,
                const std::vector<std::size_t>& joint, CycleSolution& solution, std::string& error);

}  // namespace velmora
