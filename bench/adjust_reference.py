#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# A yardstick for the adjustment's solver, outside the project: the normal equations of the
# generated grid network (velmora-bench-adjust's shape: junctions on a square grid, every two
# neighbours joined by a section of K stations of 60 m, the first two corners fixed) assembled
# with scipy.sparse, factored by SuperLU in the minimum-degree order on AᵀA + A... (MMD_AT_PLUS_A)
# and solved. Needs python3-scipy; the project neither builds nor tests with it.
#
#   /usr/bin/python3 bench/adjust_reference.py --side 224 --stations 10 [--repeat 5]
import argparse
import time

import numpy as np
import scipy.sparse as sp
import scipy.sparse.linalg as spla


def sections(side):
    """The sections (from, to) of the grid in the generator's order, junctions row by row."""
    a, b = [], []
    for r in range(side):
        for c in range(side):
            if c + 1 < side:
                a.append(r * side + c); b.append(r * side + c + 1)
            if r + 1 < side:
                a.append(r * side + c); b.append((r + 1) * side + c)
    return np.array(a), np.array(b)


def solve_once(side, stations, rng):
    start = time.process_time()
    a, b = sections(side)
    fixed = {0, side * side - 1}
    unknown = -np.ones(side * side, dtype=np.int64)
    free = [p for p in range(side * side) if p not in fixed]
    unknown[free] = np.arange(len(free))
    p = np.full(len(a), 1.0 / (stations * 0.060))
    l = rng.normal(0, 0.001, len(a))
    ua, ub = unknown[a], unknown[b]
    rows, cols, vals = [], [], []
    rhs = np.zeros(len(free))
    for u, sign in ((ua, -1.0), (ub, 1.0)):
        keep = u >= 0
        rows.append(u[keep]); cols.append(u[keep]); vals.append(p[keep])
        np.add.at(rhs, u[keep], sign * p[keep] * l[keep])
    both = (ua >= 0) & (ub >= 0)
    rows += [ua[both], ub[both]]; cols += [ub[both], ua[both]]; vals += [-p[both], -p[both]]
    n = len(free)
    normal = sp.csc_matrix((np.concatenate(vals), (np.concatenate(rows), np.concatenate(cols))),
                           shape=(n, n))
    assembled = time.process_time()
    factor = spla.splu(normal, permc_spec="MMD_AT_PLUS_A")
    factored = time.process_time()
    x = factor.solve(rhs)
    done = time.process_time()
    return (assembled - start, factored - assembled, done - factored, done - start,
            factor.L.nnz, n, x)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--side", type=int, default=224)
    parser.add_argument("--stations", type=int, default=1)
    parser.add_argument("--repeat", type=int, default=5)
    args = parser.parse_args()
    rng = np.random.default_rng(15)
    runs = [solve_once(args.side, args.stations, rng) for _ in range(args.repeat)]
    median = lambda k: sorted(r[k] for r in runs)[len(runs) // 2]
    print(f"unknowns {runs[0][5]}, entries of L {runs[0][4]}")
    print(f"scipy CPU s (median of {args.repeat}): assembly {median(0):.3f}, "
          f"factor {median(1):.3f}, solve {median(2):.3f}, total {median(3):.3f}")


if __name__ == "__main__":
    main()
