// fn_motion.cpp: the motion rows of instances (speed, direction, hspeed,
// vspeed, friction, gravity) and the motion_ and move_ built-in functions.
#include <cmath>

#include "code/builtin_args.h"
#include "code/builtin_variables.h"
#include "code/families.h"
#include "code/function_table.h"
#include "run/rooms.h"
#include "world/collision_query.h"
#include "world/instances.h"
#include "world/motion.h"

namespace {

// ---- Rows ----

template <float CInstance::*Field>
bool get_float(CInstance *i, int32_t, Value &out)
{
	if (!i)
		return false;
	out.set_real(i->*Field);
	return true;
}

// Plain stores, taking effect at the next motion pass.
template <float CInstance::*Field>
bool set_float(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	i->*Field = real_to_float(v.real());
	return true;
}

template <void (*Set)(CInstance &, float)>
bool set_motion(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	Set(*i, real_to_float(v.real()));
	return true;
}

bool set_direction(CInstance *i, int32_t, const Value &v)
{
	if (!i)
		return false;
	set_instance_direction(*i, real_to_float(v.real()));
	return true;
}

void attach_motion_rows()
{
	CBuiltinVariableTable &t = builtin_variables();
	t.attach("hspeed", get_float<&CInstance::hspeed>, set_motion<set_instance_hspeed>);
	t.attach("vspeed", get_float<&CInstance::vspeed>, set_motion<set_instance_vspeed>);
	t.attach("speed", get_float<&CInstance::speed>, set_motion<set_instance_speed>);
	t.attach("direction", get_float<&CInstance::direction>, set_direction);
	t.attach("friction", get_float<&CInstance::friction>, set_float<&CInstance::friction>);
	t.attach("gravity", get_float<&CInstance::gravity>, set_float<&CInstance::gravity>);
	t.attach("gravity_direction", get_float<&CInstance::gravity_direction>,
	         set_float<&CInstance::gravity_direction>);
}

// ---- Functions ----

float arg_float(int argc, const Value *args, int i) { return (float)arg_real(argc, args, i); }

void fn_motion_set(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (!self)
		return;
	set_instance_direction(*self, arg_float(argc, args, 0));
	set_instance_speed(*self, arg_float(argc, args, 1));
}

void fn_motion_add(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (self)
		add_motion(*self, arg_float(argc, args, 0), arg_float(argc, args, 1));
}

void fn_move_towards_point(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (!self)
		return;
	set_instance_hspeed(*self, (float)(arg_real(argc, args, 0) - self->x));
	set_instance_vspeed(*self, (float)(arg_real(argc, args, 1) - self->y));
	set_instance_speed(*self, arg_float(argc, args, 2));
}

double snapped(double coordinate, double snap)
{
	return snap > 0 ? std::nearbyint(coordinate / snap) * snap : coordinate;
}

void fn_move_snap(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (!self)
		return;
	double h = arg_real(argc, args, 0), v = arg_real(argc, args, 1);
	set_instance_position(*self, (float)snapped(self->x, h), (float)snapped(self->y, v));
}

void fn_place_snapped(Value &result, CInstance *self, CInstance *, int argc, const Value *args)
{
	result.set_real(0);
	if (!self)
		return;
	double h = arg_real(argc, args, 0), v = arg_real(argc, args, 1);
	bool on_x = std::fabs(self->x - snapped(self->x, h)) < 0.001;
	bool on_y = std::fabs(self->y - snapped(self->y, v)) < 0.001;
	result.set_real(on_x && on_y ? 1 : 0);
}

// Wraps one coordinate round a span of `size` widened by the margin.
float wrapped(float c, float size, float margin)
{
	if (c < -margin)
		c = size + c + 2 * margin;
	if (c > size + margin)
		c = c - size - 2 * margin;
	return c;
}

struct RoomSize
{
	float width = 0, height = 0;
};

RoomSize room_size()
{
	CRoom *room = room_state().current;
	return room ? RoomSize{(float)room->record.width, (float)room->record.height} : RoomSize{};
}

void fn_move_wrap(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (!self)
		return;
	RoomSize size = room_size();
	float margin = arg_float(argc, args, 2);
	if (arg_real(argc, args, 0) >= 0.5)
		set_instance_position(*self, wrapped(self->x, size.width, margin), self->y);
	if (arg_real(argc, args, 1) >= 0.5)
		set_instance_position(*self, self->x, wrapped(self->y, size.height, margin));
}

void fn_move_random(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (!self)
		return;
	RoomSize size = room_size();
	move_random(*self, size.width, size.height, arg_real(argc, args, 0), arg_real(argc, args, 1));
}

void fn_move_contact(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (!self)
		return;
	double direction = arg_real(argc, args, 0);
	if (place_free(*self, self->x, self->y))
		move_contact(*self, direction, -1, false);
	else
		move_outside(*self, direction, -1, false);
}

template <bool All>
void fn_move_contact_with(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (self)
		move_contact(*self, arg_real(argc, args, 0), arg_real(argc, args, 1), All);
}

template <bool All>
void fn_move_outside_with(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (self)
		move_outside(*self, arg_real(argc, args, 0), arg_real(argc, args, 1), All);
}

template <bool All>
void fn_move_bounce(Value &, CInstance *self, CInstance *, int argc, const Value *args)
{
	if (self)
		move_bounce(*self, arg_real(argc, args, 0) >= 0.5, All);
}

const BuiltinEntry motion_functions[] = {
	{"motion_set", fn_motion_set, 2},
	{"motion_add", fn_motion_add, 2},
	{"move_towards_point", fn_move_towards_point, 3},
	{"move_snap", fn_move_snap, 2},
	{"place_snapped", fn_place_snapped, 2},
	{"move_random", fn_move_random, 2},
	{"move_wrap", fn_move_wrap, 3},
	{"move_contact", fn_move_contact, 1},
	{"move_contact_solid", fn_move_contact_with<false>, 2},
	{"move_contact_all", fn_move_contact_with<true>, 2},
	{"move_outside_solid", fn_move_outside_with<false>, 2},
	{"move_outside_all", fn_move_outside_with<true>, 2},
	{"move_bounce", fn_move_bounce<false>, 1},
	{"move_bounce_solid", fn_move_bounce<false>, 1},
	{"move_bounce_all", fn_move_bounce<true>, 1},
};

} // namespace

void register_motion_functions()
{
	attach_motion_rows();
	register_functions(motion_functions);
}
