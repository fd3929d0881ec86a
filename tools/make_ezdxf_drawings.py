#!/usr/bin/python3
"""Writes project-like drawings with ezdxf, one per DXF version, holding every entity kind the
version allows: lines, arcs, circles, polylines, splines, ellipses, texts, notes, points, solids,
faces, block references with attributes, hatches, a dimension, a leader, XDATA on a line, dashed
layers, a text style and a group. The round-trip tests read, save and compare them.
Run with Debian's /usr/bin/python3 (python3-ezdxf). Usage: make_ezdxf_drawings.py OUTDIR"""
import os
import sys

import ezdxf

VERSIONS = ["R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"]


def build(version, path):
    doc = ezdxf.new(version, setup=True)
    msp = doc.modelspace()
    doc.layers.add("KERB", color=8, linetype="DASHED")
    doc.layers.add("TREES", color=3)
    doc.layers.add("Propri\u00e9t\u00e9", color=5)
    doc.styles.add("ROADNOTE", font="arial.ttf")
    if version != "R12":
        doc.appids.add("VELROK_TEST")
    tree = doc.blocks.new("TREE", base_point=(1, 1))
    tree.add_circle((1, 1), 2)
    tree.add_line((0, 1), (2, 1))
    tree.add_attdef("SPECIES", (1, 0), dxfattribs={"height": 0.5})

    def add(kind, make):
        try:
            make()
        except (ezdxf.DXFVersionError, ezdxf.DXFValueError, ezdxf.DXFTypeError, AttributeError):
            pass  # not in this version

    line = msp.add_line((0, 0), (10, 0), dxfattribs={"layer": "KERB"})
    if version != "R12":
        line.set_xdata("VELROK_TEST", [(1000, "kerb"), (1040, 0.15)])
    msp.add_circle((5, 5), 2, dxfattribs={"color": 1})
    msp.add_arc((0, 0), 12, 0, 90)
    add("lwpolyline", lambda: msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (20, 0), (20, 10)], dxfattribs={"layer": "KERB"}))
    msp.add_polyline2d([(0, 0), (5, 5), (10, 0)])
    msp.add_polyline3d([(0, 0, 0), (5, 5, 1), (10, 0, 2)])
    add("spline", lambda: msp.add_spline([(0, 0), (5, 5), (10, 0), (15, 5)]))
    add("ellipse", lambda: msp.add_ellipse((30, 30), major_axis=(4, 0), ratio=0.5))
    msp.add_text("Road 1", dxfattribs={"height": 2.5, "style": "ROADNOTE", "layer": "Propri\u00e9t\u00e9"})
    add("mtext", lambda: msp.add_mtext("Kerb\\Pline", dxfattribs={"char_height": 1.5}))
    msp.add_point((3, 4))
    msp.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)])
    msp.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 0), (0, 1, 0)])
    ref = msp.add_blockref("TREE", (40, 40), dxfattribs={"layer": "TREES"})
    ref.add_auto_attribs({"SPECIES": "oak"})
    msp.add_blockref("TREE", (50, 40), dxfattribs={"layer": "TREES"})

    def hatch():
        h = msp.add_hatch(color=2)
        h.paths.add_polyline_path([(60, 0), (70, 0), (70, 10), (60, 10)], is_closed=True)
    add("hatch", hatch)

    def dimension():
        msp.add_linear_dim(base=(0, -5), p1=(0, 0), p2=(10, 0)).render()
    add("dimension", dimension)
    add("leader", lambda: msp.add_leader([(0, 0), (5, 5), (8, 5)]))
    if version != "R12":
        group = doc.groups.new("KERBS")
        group.extend([line])
    doc.saveas(path)


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    for version in VERSIONS:
        build(version, os.path.join(outdir, f"project_{version}.dxf"))


if __name__ == "__main__":
    main(sys.argv[1])
