// path.h: path resources as a curve: the polyline computed from the control
// points (straight or smooth, open or closed), the position mapping by arc
// length, the path table, and instances following a path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/resources.h"

class CInstance;

// The deepest subdivision of a smooth span.
constexpr int32_t PATH_PRECISION_MAX = 8;

// A point of the computed polyline; length is the distance along the
// polyline from its first point.
struct PathCurvePoint
{
	float x = 0, y = 0, speed = 0, length = 0;
};

class CPath
{
public:
	virtual ~CPath() = default;
	std::string name;
	std::vector<PathPoint> points; // control points; speed 100 is normal
	int32_t kind = 0;              // 1 smooth curve, 0 straight segments
	bool closed = true;
	int32_t precision = 4;         // smoothing depth 0..8
	std::vector<PathCurvePoint> curve;
	float length = 0;

	// Fits kind and precision into their ranges (a kind other than 1 is
	// straight, precision 0..8) and computes the polyline and its lengths.
	// Called after every change of the points, kind, closed flag or precision.
	void recompute();
	// The point at a position 0..1 by arc length: (0, 0, 100) without
	// computed points, the first point at or below 0, the last at or above 1.
	PathPoint point_at(float position) const;
};

// A path from a record of the path chunk, computed.
std::unique_ptr<CPath> make_path(const PathRecord &record);

// The path table of the loaded game, by index; empty slots are null.
std::vector<std::unique_ptr<CPath>> &path_table();
// The path with this index, or null.
CPath *find_path(int32_t index);

// The instance starts the path (a negative index only stops following). A
// missing or empty path, or a negative scale, leaves it following none.
// Unless relative, the instance is first put at the path's start.
void start_path(CInstance &instance, int32_t path, float speed, float scale, float orientation, bool relative,
                int32_t end_action);

// One step along the instance's path: the position advances, the end action
// applies at an end, and the instance is placed on the path through its
// velocity. True when an end was reached in this step.
bool advance_path(CInstance &instance);

// The motion pass's path step: advances the path and, when it reached an end
// and the instance took part in the pass, performs the end-of-path event.
void path_motion_step(CInstance &instance, uint64_t pass);
