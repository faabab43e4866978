#include "zel_point.h"

ZEL_Point::ZEL_Point(double px, double py) : x(px), y(py) {}
