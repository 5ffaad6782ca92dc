// startup.h: the program from start to end: settings, loading, the window, the
// frame loop and the clean-up.
#pragma once

#include <string>

#include "app/settings.h"
#include "data/game_data.h"
#include "data/prepare.h"
#include "platform/window.h"
#include "run/run_state.h"

// Exit codes of the program.
enum ExitCode
{
	EXIT_OK = 0,
	EXIT_FAILED = 1,      // no game, a bad option, a game that cannot be loaded or prepared
};

class Runner
{
public:
	// Runs the whole program for the given command line; returns the exit code.
	int run(int argc, const char *const *argv);

	Settings settings;
	GameData game;
	RunState run_state;
	LoadProgress progress;
	platform::Window window;

private:
	bool choose_game_file(int argc, const char *const *argv, int &exit_code);
	bool load_game_file();
	bool create_window();
	bool init_graphics();
	bool start_input_session();
	void show_empty_frames();
	void save_screenshot();
	void main_loop();
	void clean_up();
	bool m_platform_up = false;
};
