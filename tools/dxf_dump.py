#!/usr/bin/python3
"""Prints what ezdxf reads from a DXF file as JSON: every model-space entity with its layer,
colour, line type, line weight and points, and every group with its members' positions.
The tests compare it with what we wrote. Run with Debian's /usr/bin/python3 (python3-ezdxf)."""
import json
import sys

import ezdxf


def points(e):
    t = e.dxftype()
    if t == "LINE":
        return [list(e.dxf.start), list(e.dxf.end)]
    if t == "LWPOLYLINE":
        z = e.dxf.elevation
        return [[x, y, z] for x, y, *_ in e.get_points("xy")]
    if t == "POLYLINE":
        return [list(v.dxf.location) for v in e.vertices]
    if t in ("ARC", "CIRCLE"):
        return [list(e.dxf.center)]
    if t == "ELLIPSE":
        return [list(e.dxf.center), list(e.dxf.major_axis)]
    if t == "SPLINE":
        return [list(p) for p in e.control_points]
    if t == "TEXT":
        return [list(e.dxf.insert)]
    return []


def main(path):
    doc = ezdxf.readfile(path)
    msp = list(doc.modelspace())
    index = {e.dxf.handle: i for i, e in enumerate(msp)}
    out = {
        "entities": [
            {
                "type": e.dxftype(),
                "layer": e.dxf.layer,
                "color": e.dxf.color,
                "linetype": e.dxf.linetype,
                "lineweight": e.dxf.lineweight,
                "points": points(e),
                "text": e.dxf.text if e.dxftype() == "TEXT" else "",
                "bulges": [b for *_, b in e.get_points("xyb")] if e.dxftype() == "LWPOLYLINE" else [],
            }
            for e in msp
        ],
        "layers": [{"name": l.dxf.name, "color": l.dxf.color, "linetype": l.dxf.linetype} for l in doc.layers],
        "groups": [{"name": name, "members": [index[e.dxf.handle] for e in g]} for name, g in doc.groups],
    }
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
