// paths.h: the game directory, the program file and the local save directory.
// Each is derived once, on first use, and kept for the run. Games name files with
// "/" or "\"; both are taken as "/".
#pragma once

#include <string>
#include <string_view>

// Converts "\" separators to "/".
std::string to_slashes(std::string_view path);

// The folder of a path with a trailing "/" ("/" for a name without a folder).
std::string directory_of(std::string_view path);

// The part after the last "/".
std::string base_name_of(std::string_view path);

class GamePaths
{
public:
	// The game file's path; set once at start-up before any getter is used.
	void set_game_file(const std::string &path);
	const std::string &game_file() const { return m_game_file; }

	// The game file's folder, with a trailing "/".
	const std::string &game_directory();
	// The program's own full path.
	const std::string &program_file();
	// $XDG_DATA_HOME (or ~/.local/share), then a folder named after the game, with
	// a trailing "/". Created when missing; empty when no home is known.
	const std::string &save_directory();

	// The folder for temporary files: $TMPDIR, else /tmp, with a trailing "/".
	const std::string &temp_directory();

	// A game's file name made absolute: names starting with "/" stand as they are,
	// others are taken inside the game directory.
	std::string resolve(std::string_view name);

	// Forgets every derived directory (tests, and a new game file).
	void reset();

private:
	std::string m_game_file;
	std::string m_game_directory, m_program_file, m_save_directory, m_temp_directory;
	bool m_has_game_directory = false, m_has_program_file = false, m_has_save_directory = false;
};

GamePaths &game_paths();

// The folder name used under the data home for a game file: the game file's base
// name, or the program's when the game file is named "data", cut at its last ".".
std::string save_folder_name(std::string_view game_file, std::string_view program_file);
