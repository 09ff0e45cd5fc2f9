"""Prints the peer table: our medians (reused and fresh output) beside each
peer's, and ours divided by the fastest peer under the same condition.
Peers that cannot reuse an output (Pillow, libvips, ImageMagick) count in
both columns with their fresh figure."""

import json
import sys


def ours(path):
    figures = {}
    for b in json.load(open(path))["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name = b["run_name"].removeprefix("BM_")
        op, _, condition = name.partition("/")
        figures.setdefault(op, {})[condition or "reused"] = b["real_time"]
    return figures


def peers(paths):
    figures = {}
    for path in paths:
        for line in open(path):
            library, condition, op, ms = line.split()
            figures.setdefault(op, {})[(library, condition)] = float(ms)
    return figures


def main():
    mine = ours(sys.argv[1])
    theirs = peers(sys.argv[2:])
    floor = mine.get("Floor", {}).get("reused")
    libraries = ["opencv", "libvips", "pillow", "imagemagick"]
    header = f"{'operation':<18}{'ours':>8}{'fresh':>8}" + "".join(f"{l:>14}" for l in libraries)
    header += f"{'best':>9}{'ratio':>7}{'fresh':>7}"
    print(f"median ms, 3840 x 2160 x 24 bit, one thread; one read+write pass (floor) {floor:.2f} ms")
    print("peer columns: fresh output; OpenCV's also with output reused (r)")
    print(header)
    for op, figures in mine.items():
        if op == "Floor":
            continue
        reused, fresh = figures.get("reused"), figures.get("fresh")
        row = f"{op:<18}{reused:>8.2f}{fresh:>8.2f}"
        peer = theirs.get(op, {})
        best_reused, best_fresh = None, None
        for library in libraries:
            f = peer.get((library, "fresh"))
            r = peer.get((library, "reused"))
            cell = ""
            if f is not None:
                cell = f"{f:.1f}" + (f"/{r:.1f}r" if r is not None else "")
                best_fresh = f if best_fresh is None else min(best_fresh, f)
                candidate = min(r, f) if r is not None else f
                best_reused = candidate if best_reused is None else min(best_reused, candidate)
            row += f"{cell:>14}"
        if best_reused is None:
            row += f"{'-':>9}" + (f"{reused / floor:>7.2f}F" if floor else "")
        else:
            row += f"{best_reused:>9.2f}{reused / best_reused:>7.2f}{fresh / best_fresh:>7.2f}"
        print(row)
    print("ratio = ours / fastest peer (reused: against the peer's best figure; fresh: fresh against fresh);"
          " F = no peer, ours / floor")


if __name__ == "__main__":
    main()
