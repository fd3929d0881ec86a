#!/usr/bin/python3
"""Makes the DXF test fixtures in tests/data/dxf: a road layout drawn by another program (ezdxf)
and a corpus of broken files cut from it. Run with Debian's /usr/bin/python3 (python3-ezdxf)."""
import math
import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "tests", "data", "dxf")


def road():
    doc = ezdxf.new("R2010")
    doc.layers.add("PATH", color=1, linetype="DASHED")
    doc.layers.add("KERB", color=8)
    msp = doc.modelspace()
    # Path elements with known lengths: a 40-unit straight, a radius-12 quarter arc (bulge
    # tan(22.5deg)) and a 20-unit straight: 60 + 6*pi.
    b = math.tan(math.pi / 8)
    msp.add_lwpolyline([(0, 0, 0, 0, 0), (40, 0, 0, 0, b), (52, 12, 0, 0, 0), (52, 32, 0, 0, 0)],
                       format="xyseb", dxfattribs={"layer": "PATH"})
    msp.add_line((0, -5), (100, -5), dxfattribs={"layer": "KERB", "color": 3})
    msp.add_arc((10, 10), 5, 0, 90, dxfattribs={"layer": "KERB"})
    # Seen from below (extrusion -z): in world terms centre (-20, 10), from 90 to 180 degrees.
    msp.add_arc((20, 10), 5, 0, 90, dxfattribs={"layer": "KERB", "extrusion": (0, 0, -1)})
    msp.add_circle((60, 60), 3, dxfattribs={"layer": "KERB", "color": 5})
    msp.add_spline(fit_points=[(0, 50), (10, 55), (20, 50), (30, 45), (40, 50)], dxfattribs={"layer": "PATH"})
    msp.add_ellipse((70, 0), major_axis=(4, 0), ratio=0.5, dxfattribs={"layer": "KERB"})
    msp.add_text("Road 1", dxfattribs={"layer": "KERB", "height": 2.5, "rotation": 30, "insert": (5, 5)})
    msp.add_mtext("Kerb line", dxfattribs={"layer": "KERB", "insert": (5, 20)})
    old = msp.add_polyline2d([(0, 80), (10, 80), (10, 90)], dxfattribs={"layer": "PATH"})
    old.vertices[0].dxf.bulge = 1.0
    # Kept out of the way: a point, a hatch and a block reference.
    msp.add_point((1, 1))
    hatch = msp.add_hatch(color=2)
    hatch.paths.add_polyline_path([(0, 0), (1, 0), (1, 1)], is_closed=True)
    blk = doc.blocks.new("TREE")
    blk.add_circle((0, 0), 1)
    msp.add_blockref("TREE", (30, 30))
    group = doc.groups.new("KERBS")
    group.extend([e for e in msp if e.dxf.layer == "KERB" and e.dxftype() in ("LINE", "CIRCLE")])
    path = os.path.join(OUT, "road.dxf")
    doc.saveas(path)
    return path


def broken(source):
    with open(source, "r", encoding="cp1252", newline="") as f:
        text = f.read()
    lines = text.split("\n")
    d = os.path.join(OUT, "broken")

    def write(name, content, mode="w"):
        with open(os.path.join(d, name), mode, **({} if "b" in mode else {"newline": ""})) as f:
            f.write(content)

    write("truncated.dxf", "\n".join(lines[: len(lines) * 2 // 3]) + "\n")
    write("truncated_mid_pair.dxf", "\n".join(lines[: len(lines) // 2 | 1]))
    i = lines.index("ENTITIES")
    bad = list(lines)
    bad[i + 1] = "LINE?"  # a group-code line that is not a number
    write("bad_group_code.dxf", "\n".join(bad))
    # Damage the drawn geometry, not the header (whose extents legitimately hold 1e20).
    head, body = text.split("ENTITIES", 1)
    assert "100.0\n" in body and "52.0\n" in body
    write("huge_coordinate.dxf", head + "ENTITIES" + body.replace("100.0\n", "1e300\n", 1))
    write("nan_coordinate.dxf", head + "ENTITIES" + body.replace("52.0\n", "nan\n", 1))
    write("text_in_number.dxf", text.replace("12.0\n", "twelve\n", 1))
    write("binary.dxf", b"AutoCAD Binary DXF\r\n\x1a\x00" + bytes(range(256)), "wb")
    write("empty.dxf", "")
    write("not_dxf.dxf", "This is a road report, not a drawing.\nLength: 52 m\n")
    write("unclosed_section.dxf", text.replace("ENDSEC\n  0\nSECTION\n  2\nBLOCKS", "SECTION\n  2\nBLOCKS", 1))


if __name__ == "__main__":
    os.makedirs(os.path.join(OUT, "broken"), exist_ok=True)
    broken(road())
