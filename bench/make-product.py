#!/usr/bin/env python3
"""Writes a benchmark product folder: the sample game's texts, images and
programs plus a generated payload of deterministic pseudo-random files.

usage: make-product.py SAMPLE_DIR PRODUCT_DIR --files N --folders N
                       --bytes N | --min-size N --max-size N  [--seed N]
                       [--version 1|2]

The payload lands in PRODUCT_DIR/files/data/dNNN/fNNNNN.bin. --version 2
makes the next version of the payload that the same parameters give
(bench/stop-sweep installs one over the other): of version 1's files about
one in five gets other contents and size, one in ten is dropped and the rest
stays byte for byte; a fifth as many new files come in, half of them into
version 1's folders and half into new ones (dNNN after the last, some with a
subfolder "extra"). When
PRODUCT_DIR/.generated already describes the same payload, the payload is
left alone (no rewrite, so a rebuild of setup.exe does not pack again); the
sample's files are copied only when they differ. Prints "reused" or
"generated" and the payload's size.
"""

import argparse
import filecmp
import hashlib
import os
import random
import shutil
import sys

SAMPLE_ITEMS = ["product.ini", "logo.bmp", "icon.ico", "files/exebin"]
CHUNK = 1 << 20


def file_sizes(args, rng):
    """Sizes of the payload files, in creation order."""
    if args.bytes is not None:
        # Each file gets a share of the total between 0.2 and 1.8 times the
        # mean; the last one absorbs the rounding, so the sum is exact.
        weights = [rng.uniform(0.2, 1.8) for _ in range(args.files)]
        scale = args.bytes / sum(weights)
        sizes = [int(w * scale) for w in weights]
        sizes[-1] += args.bytes - sum(sizes)
        return sizes
    return [rng.randint(args.min_size, args.max_size) for _ in range(args.files)]


def description(args):
    """What the payload depends on: the parameters and this generator."""
    with open(__file__, "rb") as f:
        generator = hashlib.sha1(f.read()).hexdigest()
    return (f"files={args.files} folders={args.folders} bytes={args.bytes} "
            f"min={args.min_size} max={args.max_size} seed={args.seed} generator={generator}"
            + (f" version={args.version}" if args.version > 1 else "") + "\n")


def write_bytes(path, size, rng):
    """Writes size bytes of rng to path; without a path they are only drawn."""
    out = open(path, "wb") if path else None
    left = size
    while left:
        n = min(left, CHUNK)
        block = rng.randbytes(n)
        if out:
            out.write(block)
        left -= n
    if out:
        out.close()


def write_payload(args, data_dir):
    rng = random.Random(args.seed)
    sizes = file_sizes(args, rng)
    per_folder = -(-args.files // args.folders)
    # Version 1's bytes are drawn in every version, so that the files a later
    # version keeps are the same; its changes come from a second generator.
    change = random.Random(f"{args.seed} version {args.version}") if args.version > 1 else None
    mean = max(1, sum(sizes) // max(1, len(sizes)))
    total = 0
    for index, size in enumerate(sizes):
        folder = os.path.join(data_dir, f"d{index // per_folder:03d}")
        path = os.path.join(folder, f"f{index:05d}.bin")
        fate = change.random() if change else 1.0
        if fate >= 0.1:
            os.makedirs(folder, exist_ok=True)
        if 0.1 <= fate < 0.3:
            write_bytes(None, size, rng)
            size = change.randint(1, 2 * size + 1)
            write_bytes(path, size, change)
        else:
            write_bytes(path if fate >= 0.1 else None, size, rng)
        if fate >= 0.1:
            total += size
    if change:
        new_folders = max(2, args.folders // 10)
        for k in range(args.files // 5):
            if k % 2:
                folder = os.path.join(data_dir, f"d{k % args.folders:03d}")
            else:
                j = (k // 2) % new_folders
                folder = os.path.join(data_dir, f"d{args.folders + j:03d}", *(["extra"] if j % 2 else []))
            os.makedirs(folder, exist_ok=True)
            size = change.randint(1, 2 * mean)
            write_bytes(os.path.join(folder, f"f{args.files + k:05d}.bin"), size, change)
            total += size
    return total


def sync_item(source, target):
    """Copies a sample file or folder, leaving identical files untouched."""
    if os.path.isdir(source):
        os.makedirs(target, exist_ok=True)
        for name in os.listdir(source):
            sync_item(os.path.join(source, name), os.path.join(target, name))
    elif not (os.path.isfile(target) and filecmp.cmp(source, target, shallow=False)):
        shutil.copy2(source, target)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("sample")
    p.add_argument("product")
    p.add_argument("--files", type=int, required=True)
    p.add_argument("--folders", type=int, required=True)
    p.add_argument("--bytes", type=int)
    p.add_argument("--min-size", type=int)
    p.add_argument("--max-size", type=int)
    p.add_argument("--seed", type=int, default=20240601)
    p.add_argument("--version", type=int, choices=[1, 2], default=1)
    args = p.parse_args()
    if (args.bytes is None) == (args.min_size is None or args.max_size is None):
        p.error("give either --bytes or both --min-size and --max-size")

    for item in SAMPLE_ITEMS:
        if not os.path.exists(os.path.join(args.sample, item)):
            sys.exit(f"make-product: the sample product {args.sample} has no {item} (build it with scripts/build)")

    os.makedirs(os.path.join(args.product, "files"), exist_ok=True)
    # Nothing else stays in files/: what an earlier sample had (such as its
    # own uninstaller) would be packed along.
    keep = {os.path.basename(i) for i in SAMPLE_ITEMS if i.startswith("files/")} | {"data"}
    for name in os.listdir(os.path.join(args.product, "files")):
        if name not in keep:
            stale = os.path.join(args.product, "files", name)
            shutil.rmtree(stale) if os.path.isdir(stale) else os.remove(stale)
    for item in SAMPLE_ITEMS:
        sync_item(os.path.join(args.sample, item), os.path.join(args.product, item))

    stamp = os.path.join(args.product, ".generated")
    data_dir = os.path.join(args.product, "files", "data")
    wanted = description(args)
    if os.path.isdir(data_dir) and os.path.isfile(stamp):
        with open(stamp) as f:
            if f.read() == wanted:
                print("reused")
                return

    # Stamp last: an interrupted run leaves no stamp and starts over.
    if os.path.exists(stamp):
        os.remove(stamp)
    shutil.rmtree(data_dir, ignore_errors=True)
    total = write_payload(args, data_dir)
    with open(stamp, "w") as f:
        f.write(wanted)
    count = sum(len(names) for _, _, names in os.walk(data_dir))
    print(f"generated {count} files, {total} bytes")


if __name__ == "__main__":
    main()
