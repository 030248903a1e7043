"""The files a desktop reads: desktop-file-validate accepts the desktop entry
without a remark, it starts the installed launcher and names the installed
icon; the man page formats without a warning; the launcher is valid sh."""
import os
import subprocess
import sys

import checkers

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PACKAGING = os.path.join(TOP, "packaging")


def main():
    entry = os.path.join(PACKAGING, "tumblox.desktop")
    checkers.desktop_entry(entry)

    fields = {}
    with open(entry, encoding="utf-8") as f:
        for line in f:
            if "=" in line and not line.startswith("#"):
                key, value = line.rstrip("\n").split("=", 1)
                fields[key] = value
    assert fields.get("Exec") == "tumblox", fields     # the launcher in bin/
    assert fields.get("Icon") == "tumblox", fields     # share/icons/hicolor/*/apps/tumblox.png
    assert fields.get("Name") == "Tumblox", fields
    categories = fields.get("Categories", "").split(";")
    assert "Game" in categories and "LogicGame" in categories, fields

    r = subprocess.run(["groff", "-man", "-ww", "-z", os.path.join(PACKAGING, "tumblox.6")],
                       capture_output=True, text=True, timeout=30)
    assert r.returncode == 0 and not r.stderr.strip(), "man page: %s" % r.stderr

    r = subprocess.run(["sh", "-n", os.path.join(PACKAGING, "tumblox-launcher")],
                       capture_output=True, text=True, timeout=30)
    assert r.returncode == 0, "launcher: %s" % r.stderr
    print("desktop entry test passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
