// bench_world.cpp: steps per second of a room of N moving instances that
// bounce off each other and off solid rocks (motion pass and collision pass,
// collision code run natively), with the spatial index against the all-pairs
// walk of the same room, alternately (A B A B), medians printed as
// "bench world/<name>: ours <value> <unit>; <peer> <value> <unit>; ratio ...".
// The density of the room is the same at every N, so linear cost means a
// constant time per instance and step; the per_instance lines compare that
// time at N with the time at the smallest N.
// Options: --tiny (one small room, one step each: shows that it runs);
// --only N [STEPS] (the index alone at N instances, for profiling).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#include "code/code_ref.h"
#include "code/function_table.h"
#include "graphics/images.h"
#include "world/collision.h"
#include "world/collision_query.h"
#include "world/instances.h"
#include "world/motion.h"
#include "world/object.h"

namespace {

constexpr int BALL = 0, ROCK = 1;
float g_room_size = 0;

// Collision code: a ball turns round off another ball or a rock.
bool bounce(CodeRef &, CInstance *self, CInstance *, Value *)
{
	set_instance_hspeed(*self, -self->hspeed);
	set_instance_vspeed(*self, -self->vspeed);
	return true;
}

void add_block_sprite(int size)
{
	auto s = std::make_unique<CSprite>();
	s->width = s->height = size;
	s->bbox_right = s->bbox_bottom = size - 1;
	s->entries = {0};
	images().sprites.push_back(std::move(s));
}

void setup_objects()
{
	object_table().clear();
	for (int index : {BALL, ROCK}) {
		auto o = std::make_unique<CObject>();
		o->name = index == BALL ? "ball" : "rock";
		o->sprite_index = 0;
		o->set_flag(CObject::SOLID, index == ROCK);
		object_table().put(index, std::move(o));
	}
	for (int with : {BALL, ROCK}) {
		auto e = std::make_unique<CEvent>();
		e->code.source = "bounce";
		object_table().find(BALL)->set_event(EV_COLLISION, with, std::move(e));
	}
	object_table().build_event_lists();
}

// N instances, one in ten a still rock, in a square room of 400 px² each.
std::unique_ptr<RoomInstances> build_room(int n)
{
	auto room = std::make_unique<RoomInstances>();
	set_current_room_instances(room.get());
	reset_instances(100000);
	g_room_size = std::sqrt(400.0f * n);
	std::mt19937 rng(11);
	std::uniform_real_distribution<float> place(0, g_room_size), turn(0, 360), pace(0.5f, 3);
	for (int k = 0; k < n; k++) {
		CInstance *i = create_instance(*room, place(rng), place(rng), k % 10 == 0 ? ROCK : BALL);
		if (k % 10 != 0) {
			set_instance_direction(*i, turn(rng));
			set_instance_speed(*i, pace(rng));
		}
	}
	return room;
}

// One game step's world work: previous places, motion, walls, collisions.
void step(RoomInstances &room)
{
	for (CInstance *i = room.active.head; i; i = i->next) {
		i->xprevious = i->x;
		i->yprevious = i->y;
	}
	motion_pass(room);
	for (CInstance *i = room.active.head; i; i = i->next) {
		if ((i->x < 0 && i->hspeed < 0) || (i->x > g_room_size && i->hspeed > 0))
			set_instance_hspeed(*i, -i->hspeed);
		if ((i->y < 0 && i->vspeed < 0) || (i->y > g_room_size && i->vspeed > 0))
			set_instance_vspeed(*i, -i->vspeed);
	}
	collision_pass(room);
}

double now_ms()
{
	using namespace std::chrono;
	return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Processor time of this process: unlike the clock on the wall it leaves out
// the time other programs of a shared machine hold the processor.
double cpu_ms()
{
	timespec t{};
	clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
	return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double g_last_cpu_ms = 0; // processor time per step of the last time_steps

// Milliseconds per step over `steps` steps of a fresh room.
double time_steps(int n, int steps, bool indexed)
{
	set_spatial_index_enabled(indexed);
	std::unique_ptr<RoomInstances> room = build_room(n);
	step(*room); // the first step builds the index
	double start = now_ms(), cpu_start = cpu_ms();
	for (int s = 0; s < steps; s++)
		step(*room);
	double ms = (now_ms() - start) / steps;
	g_last_cpu_ms = (cpu_ms() - cpu_start) / steps;
	set_current_room_instances(nullptr);
	return ms;
}

double median(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
	bool tiny = argc > 1 && !strcmp(argv[1], "--tiny");
	int only = argc > 2 && !strcmp(argv[1], "--only") ? atoi(argv[2]) : 0;
	register_builtin_families();
	clear_images();
	add_block_sprite(8);
	setup_objects();
	set_code_runner(bounce);
	install_collision();
	std::vector<int> sizes = tiny ? std::vector<int>{200} : std::vector<int>{1000, 5000, 20000};
	if (only > 0) {
		int steps = argc > 3 ? atoi(argv[3]) : 0;
		double ms = time_steps(only, steps > 0 ? steps : std::max(20, 1000000 / only), true);
		printf("bench world/only_%d: ours %.1f steps/s, %.3f us/instance-step, %.3f us/instance-step processor time\n",
		       only, 1000 / ms, ms * 1000 / only, g_last_cpu_ms * 1000 / only);
		set_code_runner(nullptr);
		return 0;
	}
	int rounds = tiny ? 1 : 3;
	double first_per_instance = 0;
	for (int n : sizes) {
		// Fewer all-pairs steps at large N: each costs N² tests.
		int ours_steps = tiny ? 1 : std::max(20, 200000 / n);
		int peer_steps = tiny ? 1 : std::max(1, 20000000 / n / n * 4);
		std::vector<double> ours, peer;
		for (int r = 0; r < rounds; r++) {
			ours.push_back(time_steps(n, ours_steps, true));
			peer.push_back(time_steps(n, peer_steps, false));
		}
		double a = median(ours), b = median(peer);
		printf("bench world/steps_%d: ours %.1f steps/s; all-pairs %.1f steps/s; ratio %.2f\n", n, 1000 / a,
		       1000 / b, b / a);
		double per_instance = a * 1000 / n; // microseconds per instance and step
		if (first_per_instance == 0)
			first_per_instance = per_instance;
		printf("bench world/per_instance_%d: ours %.3f us/instance-step; at_%d %.3f us/instance-step; ratio %.2f\n", n,
		       per_instance, sizes[0], first_per_instance, per_instance / first_per_instance);
		fflush(stdout);
	}
	set_code_runner(nullptr);
	return 0;
}
