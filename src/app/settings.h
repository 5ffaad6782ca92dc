// settings.h: the start-up settings from the command line and options.ini.
#pragma once

#include <string>
#include <vector>

struct Breakpoint
{
	std::string name;
	int line = -1; // zero-based; -1 when the token held no "@"
	bool enabled = true;
};

constexpr size_t MAX_BREAKPOINTS = 10;

struct Settings
{
	// The game's own options.
	bool debug = false;
	int debug_output_level = 0;
	bool physics_assert_report = false;
	bool trace = false;
	bool external_calls_suppressed = false;
	bool bytecode = true;          // off with -oldexec: the tree executor runs the code
	bool no_audio = false;
	bool in_a_window = false;
	std::string game_path;
	bool record = false;
	bool playback = false;
	std::string input_file;
	std::vector<Breakpoint> breakpoints;

	// The runner's own options.
	bool headless = false;
	long frames = -1;              // end after this many frames; -1 runs until the game ends
	bool unpaced = false;
	std::string screenshot;
	bool help = false;
	std::vector<std::string> others; // tokens that matched no option, the program name first
	std::string problem;             // a bad option value, reported before start-up
};
