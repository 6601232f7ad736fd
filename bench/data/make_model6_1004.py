#!/usr/bin/env python3
"""Writes mixed_inhibition_1004.dat: 1004 observations of the mixed model (6),
251 substrate levels at 4 inhibitor levels, with 3 % multiplicative noise from a
fixed linear congruential generator, so the file is the same on every run."""
import sys

KM, VMAX, KIC, KIU = 3.2, 75.0, 4.5, 12.0
state = 20261208


def uniform():
    global state
    state = (state * 6364136223846793005 + 1442695040888963407) % 2**64
    return (state >> 11) / 2.0**53


def main(path):
    lines = [
        "6                       ! MIXED NONCOMPETITIVE MODEL NUMBER\n",
        "2.0, 60.0, 5.0, 10.0    ! INITIAL P1, P2, P3, P4 ESTIMATES\n",
        "0.01, 0.01, 0.01, 0.01  ! LOWER BOUNDS\n",
        "100.0, 1000.0, 1000.0, 1000.0 ! UPPER BOUNDS\n",
    ]
    for inhibitor in (0.0, 3.0, 6.0, 12.0):
        for k in range(251):
            s = 0.25 + 0.2 * k
            v = VMAX * s / (KM * (1 + inhibitor / KIC) + s * (1 + inhibitor / KIU))
            v *= 1.0 + 0.03 * (2.0 * uniform() - 1.0)
            lines.append(f"{s:8.2f} {inhibitor:8.1f} {v:10.4f}\n")
    with open(path, "w", newline="\n") as out:
        out.writelines(lines)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "mixed_inhibition_1004.dat")
