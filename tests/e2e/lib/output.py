"""Reading back what the CLI wrote into a scratch folder, for the end-to-end scripts:
    PYTHONPATH="$lib" python3 - "$tmp" <<'PY'
    from output import load, lines, expect
"""
import json
import os
import sys

folder = sys.argv[1]


def load(name):
    """The JSON document the CLI wrote into the file `name`."""
    with open(os.path.join(folder, name), encoding="utf-8") as f:
        return json.load(f)


def lines(name):
    """The lines of the text the CLI wrote into the file `name`."""
    with open(os.path.join(folder, name), encoding="utf-8") as f:
        return f.read().splitlines()


def expect(what, actual, wanted):
    if actual != wanted:
        sys.exit(f"{what}: {actual!r}, wanted {wanted!r}")
