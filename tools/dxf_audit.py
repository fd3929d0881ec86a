#!/usr/bin/python3
"""Audits DXF files with ezdxf: prints every error and fix, exits 1 when any file has errors.

Run with Debian's /usr/bin/python3 (python3-ezdxf). Usage: dxf_audit.py FILE...
"""
import sys

import ezdxf
from ezdxf import recover


def audit(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as exc:  # a file ezdxf cannot even load counts as an error
        print(f"{path}: cannot load: {exc}")
        return 1
    auditor = doc.audit()
    for error in auditor.errors:
        print(f"{path}: error {error.code}: {error.message}")
    for fix in auditor.fixes:
        print(f"{path}: fix {fix.code}: {fix.message}")
    print(f"{path}: {len(auditor.errors)} errors, {len(auditor.fixes)} fixes, "
          f"{len(doc.modelspace())} entities, {len(doc.groups)} groups")
    return 1 if auditor.has_errors else 0


if __name__ == "__main__":
    sys.exit(max([audit(p) for p in sys.argv[1:]] or [2]))
