// startup.cpp: the program's steps from the command line to the end, in their
// fixed order, with every console line.
#include "app/startup.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/command_line.h"
#include "common/console.h"
#include "common/file_util.h"
#include "common/paths.h"
#include "code/compiler/code_compile.h"
#include "code/random.h"
#include "code/vm/machine.h"
#include "data/walk.h"
#include "input/input.h"
#include "run/rooms.h"
#include "graphics/bitmap.h"
#include "graphics/draw_state.h"
#include "graphics/graphics.h"
#include "graphics/tiles.h"

namespace {

void failed_to_load()
{
	dbg_console().Output("Failed to load the game\n");
}

} // namespace

bool Runner::choose_game_file(int argc, const char *const *argv, int &exit_code)
{
	std::string line = command_line_from_args(argc, argv);

	// A data.win beside the program is the game, and the game's own options are
	// not read from the command line.
	std::string beside = directory_of(game_paths().program_file()) + "data.win";
	bool have_beside = !game_paths().program_file().empty() && file_exists(beside);
	parse_command_line(line, settings, !have_beside);
	if (have_beside)
		settings.game_path = beside;

	if (settings.help) {
		fputs(USAGE, stdout);
		exit_code = EXIT_OK;
		return false;
	}
	if (!settings.problem.empty()) {
		fprintf(stderr, "zentrix: %s\n%s", settings.problem.c_str(), USAGE);
		exit_code = EXIT_FAILED;
		return false;
	}
	// No data.win and no "-game": the first other argument naming a file.
	if (settings.game_path.empty()) {
		for (size_t i = 1; i < settings.others.size(); i++)
			if (file_exists(settings.others[i])) {
				settings.game_path = settings.others[i];
				break;
			}
	}
	if (settings.game_path.empty()) {
		fputs(USAGE, stderr);
		exit_code = EXIT_FAILED;
		return false;
	}
	// A relative path is taken from the working directory.
	std::string path = to_slashes(settings.game_path);
	if (path[0] != '/') {
		std::error_code ec;
		auto absolute = std::filesystem::absolute(path, ec);
		if (!ec)
			path = absolute.lexically_normal().string();
	}
	settings.game_path = path;
	return true;
}

bool Runner::load_game_file()
{
	const std::string &path = settings.game_path;
	game_paths().set_game_file(path);
	dbg_console().Output("RunnerLoadGame() - %s\n", path.c_str());

	// options.ini beside the game file, read after the command line.
	size_t slash = path.rfind('/');
	if (slash != std::string::npos) {
		std::string ini = path.substr(0, slash) + "/options.ini";
		dbg_console().Output("Checking if INIFile %s Exists\n", ini.c_str());
		if (file_exists(ini))
			apply_options_ini(ini, settings);
		else
			dbg_console().Output("!!!!No INI File %s\n", ini.c_str());
	}

	// The debug-information file beside the game file.
	size_t dot = path.rfind('.');
	if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
		std::string debug_path = path.substr(0, dot) + ".tbdebug";
		std::string error;
		if (file_exists(debug_path)) {
			if (!read_file(debug_path, game.debug_block.bytes, error)) {
				show_message("Cannot read the debug file " + debug_path + ": " + error);
			} else {
				LoadResult r = debug_walk(game);
				if (!r.error.empty())
					show_message(r.error + " (" + debug_path + ")");
			}
		}
	}

	dbg_console().Output("Reading File %s\n", path.c_str());
	std::string error;
	if (!read_file(path, game.block.bytes, error)) {
		show_message("Cannot read the game file " + path + ": " + error);
		return false;
	}
	dbg_console().Output("Loaded File %s\n", path.c_str());
	const std::vector<uint8_t> &b = game.block.bytes;
	if (b.size() >= 4 && (std::equal(b.begin(), b.begin() + 4, "FORM") || std::equal(b.begin(), b.begin() + 4, "MROF")))
		dbg_console().Output("IFF wad found\n");

	LoadResult first = first_pass(game);
	if (!first.ok) {
		if (!first.error.empty())
			show_message(first.error + " (" + path + ")");
		return false;
	}
	return true;
}

bool Runner::create_window()
{
	dbg_console().Output("Create Window\n");
	std::string error;
	if (!platform::init(settings.headless, error)) {
		show_message("Cannot start the display: " + error +
		             (settings.headless ? "" : " (use --headless where there is no display)"));
		return false;
	}
	m_platform_up = true;
	const GameHeader &h = game.header;
	platform::Window::Style style;
	style.borderless = (h.window_flags & WINDOW_FULLSCREEN) != 0;
	style.resizable = (h.window_flags & WINDOW_RESIZABLE) != 0;
	style.show_cursor = (h.window_flags & WINDOW_SHOW_CURSOR) != 0;
	int width = (int)std::clamp<uint32_t>(h.window_width, 1, 16384);
	int height = (int)std::clamp<uint32_t>(h.window_height, 1, 16384);
	if (!window.create(width, height, style, error)) {
		show_message("Cannot create the window: " + error);
		return false;
	}
	for (int i = 0; i < 5; i++)
		platform::pump_events();
	return true;
}

void Runner::show_empty_frames()
{
	for (int i = 0; i < 2; i++) {
		GR_BeginFrame();
		GR_Clear(0xFF000000u, 1);
		GR_D3D_Finish_Frame();
		GR_Present();
	}
}

void Runner::save_screenshot()
{
	if (settings.screenshot.empty())
		return;
	std::vector<uint32_t> pixels;
	int w = 0, h = 0;
	std::string error;
	if (!GR_LastPresentedFrame(pixels, w, h))
		show_message("No frame was presented: no screenshot written to " + settings.screenshot);
	else if (!write_png_file(settings.screenshot, pixels.data(), w, h, error))
		show_message(error + " (" + settings.screenshot + ")");
}

bool Runner::init_graphics()
{
	dbg_console().Output("Init Graphics\n");
	dbg_console().Output("GR_D3D_Init()\n");
	const GameHeader &h = game.header;
	int width = (int)std::clamp<uint32_t>(h.window_width, 1, 16384);
	int height = (int)std::clamp<uint32_t>(h.window_height, 1, 16384);
	if (!GR_D3D_Init(window, width, height, h.window_flags))
		return false;
	if (!settings.screenshot.empty())
		GR_KeepPresentedFrames(true);
	dbg_console().Output("Background_InitTextures()\n");
	dbg_console().Output("Sprite_InitTextures()\n");
	dbg_console().Output("Font_InitTextures()\n");
	return true;
}

void Runner::main_loop()
{
	run_state.frame_limit = settings.frames;
	run_state.unpaced = settings.unpaced;
	while (run_state.running == 1) {
		run_frame(run_state, game);
		if (run_state.running == 1 && !platform::pump_events())
			run_state.running = 0;
	}
}

// Input from the window, or from a played-back recording; the recording or
// playback file is opened here.
bool Runner::start_input_session()
{
	InputStart start;
	start.record = settings.record;
	start.playback = settings.playback;
	start.file = settings.input_file;
	start.window = &window;
	start.alt_enter = game.options.alt_enter();
	size_t slash = settings.game_path.rfind('/');
	if (slash != std::string::npos)
		start.options_ini = settings.game_path.substr(0, slash) + "/options.ini";
	std::string error;
	if (!start_input(start, error)) {
		show_message(error);
		return false;
	}
	connect_window_input();
	return true;
}

void Runner::clean_up()
{
	stop_input();
	if (m_platform_up)
		platform::post_quit();
	GR_D3D_Shutdown();
	window.destroy();
	if (m_platform_up)
		platform::shutdown();
	m_platform_up = false;
	fflush(stdout);
}

int Runner::run(int argc, const char *const *argv)
{
	int exit_code = EXIT_OK;
	if (!choose_game_file(argc, argv, exit_code))
		return exit_code;

	if (!load_game_file())
		return EXIT_FAILED;

	if (!create_window()) {
		clean_up();
		return EXIT_FAILED;
	}
	if (!init_graphics()) {
		clean_up();
		return EXIT_FAILED;
	}
	platform::pump_events();
	show_empty_frames();

	dbg_console().Output("Create Score Form\n");
	dbg_console().Output("Create Load Form\n");
	dbg_console().Output("Create Error Form\n");
	dbg_console().Output("Create Debug Form\n");

	random_set_seed(2101988);
	configure_vm(settings);
	set_compile_to_bytecode(settings.bytecode);
	dbg_console().Output("LoadGameData()\n");
	game.in_a_window = settings.in_a_window;
	LoadResult walk = main_walk(game);
	if (!walk.ok) {
		if (!walk.error.empty())
			show_message(walk.error + " (" + settings.game_path + ")");
		failed_to_load();
		clean_up();
		return EXIT_FAILED;
	}

	room_tiles().last_id = (int32_t)game.header.last_tile_id;
	draw_state().room_width = draw_state().view_right = GR_ScreenWidth();
	draw_state().room_height = draw_state().view_bottom = GR_ScreenHeight();

	dbg_console().Output("PrepareGame()\n");
	if (!prepare_game(game, progress)) {
		clean_up();
		return EXIT_FAILED;
	}

	if (!start_input_session()) {
		clean_up();
		return EXIT_FAILED;
	}

	dbg_console().Output("Run_Start\n");
	if (!game_start(game)) {
		game_end(game);
		clean_up();
		return EXIT_FAILED;
	}
	run_state.running = 1;
	dbg_console().Output("Entering main loop.\n");
	main_loop();
	// The game end events of the room the game ends in.
	game_end(game);
	save_screenshot();

	clean_up();
	return EXIT_OK;
}
