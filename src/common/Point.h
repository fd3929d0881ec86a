// Plane and space points in drawing units, shared by the geometry, the sweep and the host.
#pragma once

namespace velrok {

struct Point2d {
    double x = 0.0;
    double y = 0.0;

    // Inside the sweep a point is also handled as a two-element array (0 = x).
    double& operator[](int i) { return i == 0 ? x : y; }
    double operator[](int i) const { return i == 0 ? x : y; }
    friend bool operator==(const Point2d&, const Point2d&) = default;
};

struct Point3d {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    friend bool operator==(const Point3d&, const Point3d&) = default;
};

}  // namespace velrok
