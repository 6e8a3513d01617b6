// A double-precision point or vector, used for the particle system's crossing tests.
#pragma once

class Point3D {
public:
    Point3D(double x, double y, double z);
    Point3D();
    ~Point3D();

    Point3D operator-(Point3D a);
    static double dot(Point3D a, Point3D b);
    static Point3D cross(Point3D a, Point3D b);

    double x;
    double y;
    double z;
};
