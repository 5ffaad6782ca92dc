// bench_draw.cpp: the bunnymark: N instances of an object whose step event
// moves them and bounces them off the room's edges, drawn by the default draw,
// headless and unpaced; beside it the same bunnymark for LÖVE 11 (love/),
// the sides run alternately and medians are compared. Also the engine's own
// time per sprite per frame (step, draw pass and batch building; the
// driver's draw and present calls excluded) for small sprites.
// "--tiny" runs one small round of ours only, to show that it works;
// "--ours N FRAMES SIZE" one run of ours alone, for profiling.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "code/compiler/code_compile.h"
#include "code/errors.h"
#include "code/function_table.h"
#include "code/vm/code.h"
#include "data/prepare.h"
#include "data/resource_writers.h"
#include "data/walk.h"
#include "data/write_images.h"
#include "graphics/bitmap.h"
#include "graphics/graphics.h"
#include "graphics/images.h"
#include "graphics/texture_table.h"
#include "platform/window.h"
#include "run/rooms.h"
#include "run/run_state.h"
#include "world/object.h"

namespace {

constexpr int ROOM_W = 800, ROOM_H = 600, WARM_FRAMES = 10;

const char *CREATE_CODE = "sx = random(10); sy = random(10) - 5;";
const char *STEP_CODE = "x += sx; y += sy; sy += 0.75;"
                        "if (x > 800) { sx = -sx; x = 800; } else if (x < 0) { sx = -sx; x = 0; }"
                        "if (y > 600) { sy = -sy * 0.85; y = 600; } else if (y < 0) { sy = 0; y = 0; }";

struct Result
{
	double fps = -1;
	double cpu_us = -1; // engine time per frame, the driver's calls excluded
};

double now_s() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// The sprite: the same pattern as the LÖVE side's image.
std::vector<uint8_t> bunny_png(int size)
{
	std::vector<uint32_t> pixels((size_t)size * size);
	for (int y = 0; y < size; y++)
		for (int x = 0; x < size; x++)
			pixels[(size_t)y * size + x] = 0xFF000080u | (uint32_t)(x * 8 % 256) << 16 | (uint32_t)(y * 8 % 256) << 8;
	return encode_png(pixels.data(), size, size);
}

bool compile_ref(CodeRef &ref)
{
	if (ref.source.empty() || ref.code)
		return true;
	auto code = std::make_shared<CCode>();
	if (!compile_code(*code, ref.source, "bunny", COMPILE_PROGRAM)) {
		fprintf(stderr, "bench draw: %s\n", code_error_message().c_str());
		return false;
	}
	ref.code = code;
	return true;
}

// Builds the bunnymark game of n instances, loads and starts it.
bool start_game(GameData &game, int n, int size)
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	h.window_width = ROOM_W, h.window_height = ROOM_H, h.window_flags = 0;
	h.last_instance_id = 100000 + n + 10;
	h.room_order = {0};
	write_header(w, h, "bunnymark", "Default");
	ImageChunks images;
	images.pages.push_back(bunny_png(size));
	EntrySpec e;
	e.source_width = e.target_width = e.bounding_width = (int16_t)size;
	e.source_height = e.target_height = e.bounding_height = (int16_t)size;
	images.entries = {e};
	SpriteSpec s;
	s.name = "spr_bunny";
	s.width = s.height = size;
	s.frames = {0};
	images.sprites = {s};
	write_image_chunks(w, images);

	CObject bunny;
	bunny.name = "o_bunny";
	bunny.sprite_index = 0;
	auto create = std::make_unique<CEvent>();
	create->code.source = CREATE_CODE;
	bunny.set_event(EV_CREATE, 0, std::move(create));
	auto step = std::make_unique<CEvent>();
	step->code.source = STEP_CODE;
	bunny.set_event(EV_STEP, EV_STEP_NORMAL, std::move(step));
	write_objects(w, {&bunny}, 8, false);

	RoomRecord room;
	room.name = "room0";
	room.width = ROOM_W, room.height = ROOM_H, room.speed = 60;
	room.show_colour = true;
	for (int i = 0; i < n; i++) {
		RoomInstance in;
		in.id = 100001 + i;
		in.object = 0;
		room.instances.push_back(in);
	}
	write_rooms(w, {&room}, 8, false);
	game.block.bytes = w.build();

	if (!first_pass(game).ok || !main_walk(game).ok) {
		fprintf(stderr, "bench draw: the game does not load\n");
		return false;
	}
	LoadProgress progress;
	if (!prepare_game(game, progress))
		return false;
	for (int32_t i = 0; i < object_table().count(); i++)
		if (CObject *o = object_table().find(i))
			for (auto &type : o->events)
				for (auto &ev : type)
					if (ev && !compile_ref(ev->code))
						return false;
	return game_start(game);
}

// Standard output off while the game runs: its start and end lines would mix
// with the bench lines.
struct QuietStdout
{
	int saved;
	QuietStdout()
	{
		fflush(stdout);
		saved = dup(1);
		int null = open("/dev/null", O_WRONLY);
		dup2(null, 1);
		close(null);
	}
	~QuietStdout()
	{
		fflush(stdout);
		dup2(saved, 1);
		close(saved);
	}
};

Result run_ours(int n, int frames, int size)
{
	QuietStdout quiet;
	Result r;
	object_table().clear();
	clear_error_state();
	auto game = std::make_unique<GameData>();
	if (!start_game(*game, n, size)) {
		game_end(*game);
		return r;
	}
	RunState state;
	state.running = 1;
	state.unpaced = true;
	for (int k = 0; k < WARM_FRAMES && state.running == 1; k++)
		run_frame(state, *game);
	double device0 = GR_Stats().device_seconds;
	double t0 = now_s();
	int done = 0;
	for (; done < frames && state.running == 1; done++)
		run_frame(state, *game);
	double wall = now_s() - t0;
	double device = GR_Stats().device_seconds - device0;
	if (done == frames && wall > 0) {
		r.fps = frames / wall;
		r.cpu_us = (wall - device) / frames * 1e6;
	}
	game_end(*game);
	clear_images();
	texture_clear_all();
	object_table().clear();
	return r;
}

Result run_love(int n, int frames, int size)
{
	Result r;
	// On SDL's offscreen driver, as ours runs headless; bounded in time so that
	// a LÖVE that hangs at start-up cannot hold the run.
	std::string command = "SDL_VIDEODRIVER=offscreen timeout 300 love '" BENCH_DRAW_LOVE_DIR "' " +
	                      std::to_string(n) + " " + std::to_string(frames) + " " + std::to_string(size) +
	                      " 2>/dev/null";
	FILE *p = popen(command.c_str(), "r");
	if (!p)
		return r;
	char line[256];
	while (fgets(line, sizeof line, p))
		if (sscanf(line, "fps %lf cpu_us %lf", &r.fps, &r.cpu_us) == 2)
			break;
	while (fgets(line, sizeof line, p)) {
	}
	pclose(p);
	return r;
}

// LÖVE takes part when it is installed and starts headless here; otherwise
// the bench says so and runs our side alone.
bool love_starts()
{
	if (system("command -v love > /dev/null 2>&1") != 0) {
		printf("bench draw: love (LÖVE 11) is not installed: skipped, only our side runs\n");
		return false;
	}
	if (run_love(1, 2, 4).fps <= 0) {
		printf("bench draw: love (LÖVE 11) does not start headless: skipped, only our side runs\n");
		return false;
	}
	return true;
}

double median(std::vector<double> v)
{
	if (v.empty())
		return -1;
	std::sort(v.begin(), v.end());
	size_t m = v.size() / 2;
	return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// Sprites drawn at 60 fps, from the least-squares line through the frame
// times of the measured counts.
double sprites_at_60(const std::vector<int> &counts, const std::vector<double> &fps)
{
	double sn = 0, st = 0, snn = 0, snt = 0;
	int m = 0;
	for (size_t i = 0; i < counts.size(); i++) {
		if (fps[i] <= 0)
			return -1;
		double t = 1.0 / fps[i];
		sn += counts[i], st += t, snn += (double)counts[i] * counts[i], snt += counts[i] * t;
		m++;
	}
	double d = m * snn - sn * sn;
	if (m < 2 || d == 0)
		return -1;
	double b = (m * snt - sn * st) / d, a = (st - b * sn) / m;
	return b > 0 ? (1.0 / 60 - a) / b : -1;
}

void print_line(const char *name, double ours, double peer, const char *unit, bool peer_ran)
{
	if (peer_ran && peer > 0)
		printf("bench draw/%s: ours %.1f %s; love %.1f %s; ratio %.2f\n", name, ours, unit, peer, unit, ours / peer);
	else
		printf("bench draw/%s: ours %.1f %s; love not run; ratio -\n", name, ours, unit);
	fflush(stdout);
}

struct Measure
{
	std::vector<double> ours_fps, love_fps, ours_cpu, love_cpu;
};

Measure alternate(int n, int frames, int size, int rounds, bool love)
{
	Measure m;
	for (int k = 0; k < rounds; k++) {
		Result o = run_ours(n, frames, size);
		m.ours_fps.push_back(o.fps);
		m.ours_cpu.push_back(o.cpu_us);
		if (love) {
			Result l = run_love(n, frames, size);
			m.love_fps.push_back(l.fps);
			m.love_cpu.push_back(l.cpu_us);
		}
	}
	return m;
}

} // namespace

int main(int argc, char **argv)
{
	bool tiny = argc > 1 && strcmp(argv[1], "--tiny") == 0;
	register_builtin_families();
	std::string error;
	platform::Window window;
	if (!platform::init(true, error) || !window.create(ROOM_W, ROOM_H, {}, error) ||
	    !GR_D3D_Init(window, ROOM_W, ROOM_H, 0)) {
		fprintf(stderr, "bench draw: no headless display: %s\n", error.c_str());
		return 1;
	}
	int status = 0;
	bool profile = argc > 4 && strcmp(argv[1], "--ours") == 0;
	bool love = !tiny && !profile && love_starts();
	if (profile) {
		// "--ours N FRAMES SIZE": one run of ours alone, for profiling.
		Result r = run_ours(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
		printf("ours %.1f fps, engine %.1f us per frame\n", r.fps, r.cpu_us);
	} else if (tiny) {
		Result r = run_ours(50, 5, 32);
		printf("bench draw/bunnymark_50: ours %.1f fps; love not run; ratio -\n", r.fps);
		status = r.fps > 0 ? 0 : 1;
	} else {
		const std::vector<int> counts = {250, 1000, 4000};
		const int frames = 60, rounds = 3;
		std::vector<double> ours_fps, love_fps;
		for (int n : counts) {
			Measure m = alternate(n, frames, 32, rounds, love);
			ours_fps.push_back(median(m.ours_fps));
			love_fps.push_back(median(m.love_fps));
			std::string name = "bunnymark_" + std::to_string(n);
			print_line(name.c_str(), ours_fps.back(), love_fps.back(), "fps", love);
		}
		print_line("sprites_at_60fps", sprites_at_60(counts, ours_fps), love ? sprites_at_60(counts, love_fps) : -1,
		           "sprites", love);
		// Small sprites: the fill rate hardly counts; the time per sprite is the
		// engine's own (love: its update and draw callbacks).
		const int small_n = 4000;
		Measure m = alternate(small_n, frames, 4, rounds, love);
		print_line("cpu_per_sprite_4px", median(m.ours_cpu) * 1000 / small_n,
		           love ? median(m.love_cpu) * 1000 / small_n : -1, "ns", love);
	}
	GR_D3D_Shutdown();
	window.destroy();
	platform::shutdown();
	return status;
}
