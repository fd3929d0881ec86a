#!/usr/bin/python3
"""Makes the example drawings of examples/: vehicle paths drawn the way a road designer draws them
(the front axle path as one polyline on its own layer) with the road edges around them.

Run with the system Python, which has ezdxf:  /usr/bin/python3 tools/make_examples.py
"""
import math
import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "examples")


def bulge(sweep_degrees):
    """DXF bulge of an arc segment: tan(sweep / 4), negative for a clockwise arc."""
    return math.tan(math.radians(sweep_degrees) / 4)


def new_drawing():
    doc = ezdxf.new("R2000", setup=False)
    doc.header["$INSUNITS"] = 6  # metres
    doc.layers.add("VehiclePath", color=1)
    doc.layers.add("RoadEdge", color=8)
    doc.layers.add("Island", color=3)
    doc.layers.add("Kerb", color=2)
    return doc


def roundabout(path):
    """A single-lane roundabout: the path enters from the south, circulates 270 degrees
    counter-clockwise on a lane of radius RC and leaves to the south again (a U-turn)."""
    rc = 16.5      # circulating path of the front axle
    re = 20.0      # entry and exit curves
    # Entry and exit curves meet the circle at -45 and 225 degrees, so the circulation is 270 degrees.
    c = (rc + re) * math.cos(math.radians(45))
    d = c - re     # the arms' lanes lie this far either side of the arm's axis
    far = 70.0
    t = rc * math.cos(math.radians(45))
    doc = new_drawing()
    msp = doc.modelspace()
    msp.add_lwpolyline(
        [(d, -far, 0, 0, 0), (d, -c, 0, 0, bulge(-45)), (t, -t, 0, 0, bulge(270)), (-t, -t, 0, 0, bulge(-45)),
         (-d, -c, 0, 0, 0), (-d, -far, 0, 0, 0)],
        format="xyseb", dxfattribs={"layer": "VehiclePath"})
    # Central island with its apron, the outer kerb, and the arm's kerbs up to the entry and exit curves.
    msp.add_circle((0, 0), rc - 5.0, dxfattribs={"layer": "Island"})
    msp.add_circle((0, 0), rc - 3.0, dxfattribs={"layer": "Island"})
    msp.add_circle((0, 0), rc - 5.0, dxfattribs={"layer": "Kerb"})  # the island's kerb inside the apron
    msp.add_circle((0, 0), rc + 4.0, dxfattribs={"layer": "RoadEdge"})
    for x in (d + 3.5, -d - 3.5):
        msp.add_line((x, -far), (x, -c - 6.0), dxfattribs={"layer": "RoadEdge"})
    msp.add_line((0, -far), (0, -rc - 8.0), dxfattribs={"layer": "Island"})
    doc.saveas(path)


def junction(path):
    """A right turn at a T junction: east along the major road, a 90-degree turn of radius 12.5
    into the minor road, south along it."""
    r = 12.5
    doc = new_drawing()
    msp = doc.modelspace()
    msp.add_lwpolyline([(-50, 0, 0, 0, 0), (0, 0, 0, 0, bulge(-90)), (r, -r, 0, 0, 0), (r, -60, 0, 0, 0)],
                       format="xyseb", dxfattribs={"layer": "VehiclePath"})
    # Major road edges and the minor road with kerb radii.
    msp.add_line((-60, 3.5), (60, 3.5), dxfattribs={"layer": "RoadEdge"})
    msp.add_line((-60, -3.5), (r - 15.0, -3.5), dxfattribs={"layer": "RoadEdge"})
    msp.add_line((r + 12.0, -3.5), (60, -3.5), dxfattribs={"layer": "RoadEdge"})
    msp.add_arc((r - 15.0, -3.5 - 11.5), 11.5, 0, 90, dxfattribs={"layer": "RoadEdge"})
    msp.add_line((r - 3.5, -15.0), (r - 3.5, -60), dxfattribs={"layer": "RoadEdge"})
    msp.add_arc((r + 12.0, -3.5 - 8.5), 8.5, 90, 180, dxfattribs={"layer": "RoadEdge"})
    msp.add_line((r + 3.5, -12.0), (r + 3.5, -60), dxfattribs={"layer": "RoadEdge"})
    # The kerbs of the inner corner, where the trailer's wheels cut in.
    msp.add_arc((r - 15.0, -3.5 - 11.5), 11.5, 0, 90, dxfattribs={"layer": "Kerb"})
    msp.add_arc((r + 12.0, -3.5 - 8.5), 8.5, 90, 180, dxfattribs={"layer": "Kerb"})
    doc.saveas(path)


def main():
    os.makedirs(OUT, exist_ok=True)
    roundabout(os.path.join(OUT, "roundabout.dxf"))
    junction(os.path.join(OUT, "junction.dxf"))
    for name in ("roundabout.dxf", "junction.dxf"):
        doc = ezdxf.readfile(os.path.join(OUT, name))
        auditor = doc.audit()
        if auditor.has_errors:
            raise SystemExit(f"{name}: {len(auditor.errors)} audit errors")
        print(os.path.normpath(os.path.join(OUT, name)))


if __name__ == "__main__":
    main()
