// matrix.cpp: the matrix builders of the drawing layer.
#include "graphics/matrix.h"

#include <cmath>

namespace {

void normalise(float v[3])
{
	float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
	if (len > 0) {
		v[0] /= len;
		v[1] /= len;
		v[2] /= len;
	}
}

void cross(const float a[3], const float b[3], float out[3])
{
	out[0] = a[1] * b[2] - a[2] * b[1];
	out[1] = a[2] * b[0] - a[0] * b[2];
	out[2] = a[0] * b[1] - a[1] * b[0];
}

float dot(const float a[3], const float b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

} // namespace

Matrix4 Matrix4::translation(float x, float y, float z)
{
	Matrix4 r;
	r.m[3][0] = x;
	r.m[3][1] = y;
	r.m[3][2] = z;
	return r;
}

Matrix4 Matrix4::look_at_lh(const float eye[3], const float at[3], const float up[3])
{
	float z[3] = {at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]};
	normalise(z);
	float x[3];
	cross(up, z, x);
	normalise(x);
	float y[3];
	cross(z, x, y);
	Matrix4 r;
	for (int i = 0; i < 3; i++) {
		r.m[i][0] = x[i];
		r.m[i][1] = y[i];
		r.m[i][2] = z[i];
		r.m[i][3] = 0;
	}
	r.m[3][0] = -dot(x, eye);
	r.m[3][1] = -dot(y, eye);
	r.m[3][2] = -dot(z, eye);
	r.m[3][3] = 1;
	return r;
}

Matrix4 Matrix4::ortho_lh(float w, float h, float zn, float zf)
{
	Matrix4 r;
	r.m[0][0] = 2 / w;
	r.m[1][1] = 2 / h;
	r.m[2][2] = 1 / (zf - zn);
	r.m[3][2] = zn / (zn - zf);
	return r;
}

Matrix4 Matrix4::perspective_lh(float w, float h, float zn, float zf)
{
	Matrix4 r;
	r.m[0][0] = 2 * zn / w;
	r.m[1][1] = 2 * zn / h;
	r.m[2][2] = zf / (zf - zn);
	r.m[2][3] = 1;
	r.m[3][2] = zn * zf / (zn - zf);
	r.m[3][3] = 0;
	return r;
}

Matrix4 Matrix4::perspective_fov_lh(float fovy, float aspect, float zn, float zf)
{
	float ys = 1 / std::tan(fovy / 2);
	Matrix4 r;
	r.m[0][0] = ys / aspect;
	r.m[1][1] = ys;
	r.m[2][2] = zf / (zf - zn);
	r.m[2][3] = 1;
	r.m[3][2] = zn * zf / (zn - zf);
	r.m[3][3] = 0;
	return r;
}

void Matrix4::transform_point(float x, float y, float z, float out[3]) const
{
	float v[4];
	for (int j = 0; j < 4; j++)
		v[j] = x * m[0][j] + y * m[1][j] + z * m[2][j] + m[3][j];
	float w = v[3] != 0 ? v[3] : 1;
	out[0] = v[0] / w;
	out[1] = v[1] / w;
	out[2] = v[2] / w;
}

Matrix4 operator*(const Matrix4 &a, const Matrix4 &b)
{
	Matrix4 r;
	for (int i = 0; i < 4; i++)
		for (int j = 0; j < 4; j++) {
			float s = 0;
			for (int k = 0; k < 4; k++)
				s += a.m[i][k] * b.m[k][j];
			r.m[i][j] = s;
		}
	return r;
}

bool operator==(const Matrix4 &a, const Matrix4 &b)
{
	for (int i = 0; i < 4; i++)
		for (int j = 0; j < 4; j++)
			if (a.m[i][j] != b.m[i][j])
				return false;
	return true;
}
