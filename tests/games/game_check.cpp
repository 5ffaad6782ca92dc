// game_check.cpp: runs one end-to-end game test: packs a project with
// zentrix-pack, plays it with `zentrix --headless --unpaced` (driven by the
// input of input.txt when the project has one), compares the lines the game
// prints with show_debug_message against expected.txt and, when pixels.txt is
// present, pixels of the final screenshot.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "common/file_util.h"
#include "graphics/bitmap.h"
#include "input/recording.h"

extern char **environ;

namespace {

struct Args
{
	std::string zentrix, pack, project, work;
	bool source = false;
};

std::string read_text(const std::string &path)
{
	std::vector<uint8_t> bytes;
	std::string error;
	if (!read_file(path, bytes, error))
		return "";
	return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> lines_of(const std::string &text)
{
	std::vector<std::string> out;
	size_t start = 0;
	while (start < text.size()) {
		size_t end = text.find('\n', start);
		if (end == std::string::npos)
			end = text.size();
		std::string line = text.substr(start, end - start);
		if (!line.empty() && line.back() == '\r')
			line.pop_back();
		out.push_back(line);
		start = end + 1;
	}
	return out;
}

// Runs a program with its output sent to files; returns its exit status, or
// -1 when it could not start or died by a signal.
int run(const std::vector<std::string> &argv, const std::string &out_file, const std::string &err_file)
{
	std::vector<std::string> env;
	for (char **e = environ; *e; e++)
		if (strncmp(*e, "ASAN_OPTIONS=", 13) != 0 && strncmp(*e, "LP_NUM_THREADS=", 15) != 0)
			env.emplace_back(*e);
	// The GL driver's threads outlive the leak checker; llvmpipe renders on the
	// calling thread.
	env.emplace_back("ASAN_OPTIONS=detect_leaks=0");
	env.emplace_back("LP_NUM_THREADS=0");
	env.emplace_back("ALSOFT_DRIVERS=null");
	env.emplace_back("SDL_AUDIODRIVER=dummy");
	std::vector<char *> cargv, cenv;
	for (const std::string &a : argv)
		cargv.push_back(const_cast<char *>(a.c_str()));
	cargv.push_back(nullptr);
	for (const std::string &e : env)
		cenv.push_back(const_cast<char *>(e.c_str()));
	cenv.push_back(nullptr);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	pid_t pid;
	int rc = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), cenv.data());
	posix_spawn_file_actions_destroy(&actions);
	if (rc != 0) {
		fprintf(stderr, "cannot start %s: %s\n", cargv[0], strerror(rc));
		return -1;
	}
	int status = 0;
	if (waitpid(pid, &status, 0) < 0)
		return -1;
	if (WIFSIGNALED(status)) {
		fprintf(stderr, "%s died by signal %d\n", cargv[0], WTERMSIG(status));
		return -1;
	}
	return WEXITSTATUS(status);
}

// The lines the game printed: the Runner's own loading lines end with
// "Finished PrepareGame()"; after it, the lines of starting the game and its
// loop are the Runner's too.
std::vector<std::string> game_lines(const std::string &output)
{
	static const char *const runner_lines[] = {"Run_Start", "StartGame()", "StartGame() - DONE",
	                                           "Entering main loop."};
	std::vector<std::string> all = lines_of(output), out;
	size_t start = 0;
	for (size_t i = 0; i < all.size(); i++)
		if (all[i].rfind("Finished PrepareGame()", 0) == 0)
			start = i + 1;
	for (size_t i = start; i < all.size(); i++) {
		bool runner = false;
		for (const char *r : runner_lines)
			runner = runner || all[i] == r;
		if (!runner)
			out.push_back(all[i]);
	}
	return out;
}

bool compare_lines(const std::vector<std::string> &expected, const std::vector<std::string> &actual)
{
	if (expected == actual)
		return true;
	size_t first = 0;
	while (first < expected.size() && first < actual.size() && expected[first] == actual[first])
		first++;
	fprintf(stderr, "output differs from expected.txt at line %zu:\n", first + 1);
	fprintf(stderr, "  expected: %s\n", first < expected.size() ? expected[first].c_str() : "(end of output)");
	fprintf(stderr, "  actual:   %s\n", first < actual.size() ? actual[first].c_str() : "(end of output)");
	fprintf(stderr, "--- whole output (> marks lines that differ) ---\n");
	for (size_t i = 0; i < actual.size(); i++)
		fprintf(stderr, "%c %s\n", i < expected.size() && expected[i] == actual[i] ? ' ' : '>', actual[i].c_str());
	return false;
}

// pixels.txt: lines "x y #RRGGBB [tolerance]"; "#" starts a comment line.
bool check_pixels(const std::string &spec, const std::string &png)
{
	std::vector<uint8_t> bytes;
	std::string error;
	CBitmap32 shot;
	if (!read_file(png, bytes, error) || !shot.decode_png(bytes.data(), bytes.size(), error)) {
		fprintf(stderr, "no screenshot %s: %s\n", png.c_str(), error.c_str());
		return false;
	}
	bool ok = true;
	std::vector<std::string> lines = lines_of(spec);
	for (size_t n = 0; n < lines.size(); n++) {
		const std::string &line = lines[n];
		if (line.empty() || line[0] == '#')
			continue;
		int x, y, tolerance = 0;
		unsigned rgb;
		if (sscanf(line.c_str(), "%d %d #%x %d", &x, &y, &rgb, &tolerance) < 3) {
			fprintf(stderr, "pixels.txt:%zu: expected \"x y #RRGGBB [tolerance]\"\n", n + 1);
			return false;
		}
		if (x < 0 || y < 0 || x >= shot.width() || y >= shot.height()) {
			fprintf(stderr, "pixels.txt:%zu: (%d, %d) lies outside the %dx%d screenshot\n", n + 1, x, y,
			        shot.width(), shot.height());
			ok = false;
			continue;
		}
		uint32_t got = shot.at(x, y) & 0xFFFFFF;
		for (int shift = 0; shift < 24; shift += 8) {
			int d = std::abs((int)((got >> shift) & 0xFF) - (int)((rgb >> shift) & 0xFF));
			if (d > tolerance) {
				fprintf(stderr, "pixels.txt:%zu: pixel (%d, %d) is #%06X, expected #%06X (tolerance %d)\n", n + 1,
				        x, y, got, rgb, tolerance);
				ok = false;
				break;
			}
		}
	}
	return ok;
}

// input.txt: lines "FRAME EVENT FIELDS..." ("#" starts a comment line), the
// window input that reaches the game before step FRAME (0 is the first step).
// Events: key_down VK, key_up VK, character CODE, mouse_move X Y (window and
// screen alike), button_down B, button_up B (1 left, 2 right, 3 middle),
// wheel TURN. Lines of one frame apply in file order; the recording ends with
// the last frame named, after which the input stays as it was.
bool build_recording(const std::string &text, std::vector<uint8_t> &out)
{
	constexpr long FRAME_LIMIT = 100000;
	std::vector<InputFrame> frames;
	std::vector<std::string> lines = lines_of(text);
	for (size_t n = 0; n < lines.size(); n++) {
		const std::string &line = lines[n];
		size_t first = line.find_first_not_of(" \t");
		if (first == std::string::npos || line[first] == '#')
			continue;
		long frame = -1;
		char name[32] = {};
		int32_t f[2] = {};
		int got = sscanf(line.c_str(), "%ld %31s %d %d", &frame, name, &f[0], &f[1]);
		std::string event = name;
		int wanted = event == "mouse_move" ? 4 : 3;
		if (got != wanted || frame < 0 || frame >= FRAME_LIMIT) {
			fprintf(stderr, "input.txt:%zu: expected \"FRAME EVENT FIELDS\" with a frame below %ld and %d field%s\n",
			        n + 1, FRAME_LIMIT, wanted - 2, wanted == 4 ? "s" : "");
			return false;
		}
		if ((size_t)frame >= frames.size())
			frames.resize((size_t)frame + 1);
		InputFrame &to = frames[(size_t)frame];
		if (event == "key_down")
			to.key_down(f[0]);
		else if (event == "key_up")
			to.key_up(f[0]);
		else if (event == "character")
			to.character((uint32_t)f[0]);
		else if (event == "mouse_move")
			to.mouse_move(f[0], f[1]);
		else if (event == "button_down")
			to.button_down(f[0]);
		else if (event == "button_up")
			to.button_up(f[0]);
		else if (event == "wheel")
			to.wheel(f[0]);
		else {
			fprintf(stderr, "input.txt:%zu: unknown event \"%s\"\n", n + 1, name);
			return false;
		}
	}
	out = encode_recording(frames);
	return true;
}

bool parse_args(int argc, char **argv, Args &a)
{
	for (int i = 1; i < argc; i++) {
		std::string k = argv[i];
		if (k == "--source") {
			a.source = true;
			continue;
		}
		if (i + 1 >= argc)
			return false;
		std::string v = argv[++i];
		if (k == "--zentrix")
			a.zentrix = v;
		else if (k == "--pack")
			a.pack = v;
		else if (k == "--project")
			a.project = v;
		else if (k == "--work")
			a.work = v;
		else
			return false;
	}
	return !a.zentrix.empty() && !a.pack.empty() && !a.project.empty() && !a.work.empty();
}

} // namespace

int main(int argc, char **argv)
{
	Args a;
	if (!parse_args(argc, argv, a)) {
		fprintf(stderr, "usage: game_check --zentrix BIN --pack BIN --project DIR --work PREFIX [--source]\n");
		return 2;
	}
	std::string game = a.work + ".win", out = a.work + ".out", err = a.work + ".err", shot = a.work + ".png";
	std::vector<std::string> pack = {a.pack, "build", a.project, game};
	if (a.source)
		pack.push_back("--source");
	if (run(pack, out, err) != 0) {
		fprintf(stderr, "packing failed:\n%s", read_text(err).c_str());
		return 1;
	}
	std::vector<std::string> play = {a.zentrix, "--headless", "--unpaced", "-game", game};
	// A game that never ends itself stops after a frame count: frames.txt, or
	// a cap that ends a game stuck in its loop.
	std::string frames = read_text(a.project + "/frames.txt");
	play.push_back("--frames");
	play.push_back(frames.empty() ? "3000" : std::to_string(atoi(frames.c_str())));
	std::string input = read_text(a.project + "/input.txt");
	if (!input.empty()) {
		std::vector<uint8_t> recording;
		std::string rec = a.work + ".rec", error;
		if (!build_recording(input, recording))
			return 1;
		if (!write_file_atomic(rec, recording.data(), recording.size(), error)) {
			fprintf(stderr, "%s\n", error.c_str());
			return 1;
		}
		play.push_back("-playback");
		play.push_back(rec);
	}
	std::string pixels = read_text(a.project + "/pixels.txt");
	remove(shot.c_str());
	if (!pixels.empty()) {
		play.push_back("--screenshot");
		play.push_back(shot);
	}
	int status = run(play, out, err);
	bool ok = true;
	if (status != 0) {
		fprintf(stderr, "zentrix exited with status %d; its standard error:\n%s", status, read_text(err).c_str());
		ok = false;
	}
	std::vector<std::string> expected = lines_of(read_text(a.project + "/expected.txt"));
	ok = compare_lines(expected, game_lines(read_text(out))) && ok;
	if (!pixels.empty())
		ok = check_pixels(pixels, shot) && ok;
	if (!ok)
		fprintf(stderr, "(the runner's whole output is in %s, its errors in %s)\n", out.c_str(), err.c_str());
	return ok ? 0 : 1;
}
