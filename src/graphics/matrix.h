// matrix.h: 4x4 float matrices in the row-vector convention of the drawing
// layer (a point is a row multiplied on the left: p' = p * M), with the
// left-handed look-at, orthographic and perspective builders.
#pragma once

struct Matrix4
{
	float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

	static Matrix4 identity() { return Matrix4(); }
	static Matrix4 translation(float x, float y, float z);
	// Left-handed look-at from eye towards at with the given up vector.
	static Matrix4 look_at_lh(const float eye[3], const float at[3], const float up[3]);
	// Left-handed orthographic projection of a w x h volume (depth near..far to 0..1).
	static Matrix4 ortho_lh(float w, float h, float zn, float zf);
	// Left-handed perspective projection with a view of w x h at the near plane.
	static Matrix4 perspective_lh(float w, float h, float zn, float zf);
	// Left-handed perspective projection from a vertical field of view in radians.
	static Matrix4 perspective_fov_lh(float fovy, float aspect, float zn, float zf);

	// Where the point (x, y, z, 1) goes, after the division by w.
	void transform_point(float x, float y, float z, float out[3]) const;
};

Matrix4 operator*(const Matrix4 &a, const Matrix4 &b);
bool operator==(const Matrix4 &a, const Matrix4 &b);
