#pragma once

// A point or vector of three doubles, in the clip's length units.
struct Point3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};
