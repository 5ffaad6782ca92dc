// sprite_path_rows.cpp: the instance rows that read the size and origin of
// the instance's sprite (scaled by the instance's image scale), and the rows of
// the path-following fields.
#include <algorithm>

#include "code/builtin_variables.h"
#include "graphics/images.h"
#include "world/instance.h"
#include "world/world.h"

namespace {

bool put(Value &out, double real)
{
	out.set_real(real);
	return true;
}

// A sprite measure times the instance's scale; 0 without a sprite.
template <int CSprite::*Measure, float CInstance::*Scale>
bool get_scaled(CInstance *i, int32_t, Value &out)
{
	if (!i)
		return false;
	const CSprite *s = sprite_get(i->sprite_index);
	return put(out, s ? (double)(s->*Measure) * (double)(i->*Scale) : 0.0);
}

template <float CInstance::*Field>
bool get_float(CInstance *i, int32_t, Value &out)
{
	return i && put(out, i->*Field);
}

template <float CInstance::*Field>
bool set_float(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->*Field = real_to_float(v.real());
	return true;
}

// Path positions are kept within 0..1.
template <float CInstance::*Field>
bool set_position(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->*Field = std::clamp(real_to_float(v.real()), 0.0f, 1.0f);
	return true;
}

bool get_path_index(CInstance *i, int32_t, Value &out) { return i && put(out, i->path_index); }
bool get_path_endaction(CInstance *i, int32_t, Value &out) { return i && put(out, i->path_endaction); }

bool set_path_endaction(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->path_endaction = nearest_int32(v.real());
	return true;
}

struct Row
{
	const char *name;
	VariableGetter get;
	VariableSetter set;
};

const Row rows[] = {
	{"sprite_width", get_scaled<&CSprite::width, &CInstance::image_xscale>, nullptr},
	{"sprite_height", get_scaled<&CSprite::height, &CInstance::image_yscale>, nullptr},
	{"sprite_xoffset", get_scaled<&CSprite::x_origin, &CInstance::image_xscale>, nullptr},
	{"sprite_yoffset", get_scaled<&CSprite::y_origin, &CInstance::image_yscale>, nullptr},
	{"path_index", get_path_index, nullptr},
	{"path_position", get_float<&CInstance::path_position>, set_position<&CInstance::path_position>},
	{"path_positionprevious", get_float<&CInstance::path_positionprevious>,
	 set_position<&CInstance::path_positionprevious>},
	{"path_speed", get_float<&CInstance::path_speed>, set_float<&CInstance::path_speed>},
	{"path_scale", get_float<&CInstance::path_scale>, set_float<&CInstance::path_scale>},
	{"path_orientation", get_float<&CInstance::path_orientation>, set_float<&CInstance::path_orientation>},
	{"path_endaction", get_path_endaction, set_path_endaction},
};

} // namespace

void attach_sprite_path_rows()
{
	for (const Row &row : rows)
		builtin_variables().attach(row.name, row.get, row.set);
}
