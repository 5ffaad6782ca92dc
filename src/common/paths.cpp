// paths.cpp: the derived directories on Linux.
#include "common/paths.h"

#include <cstdlib>
#include <filesystem>
#include <strings.h>
#include <unistd.h>

std::string to_slashes(std::string_view path)
{
	std::string out(path);
	for (char &c : out)
		if (c == '\\')
			c = '/';
	return out;
}

std::string directory_of(std::string_view path)
{
	std::string p = to_slashes(path);
	size_t slash = p.rfind('/');
	if (slash == std::string::npos)
		return "/";
	return p.substr(0, slash) + "/";
}

std::string base_name_of(std::string_view path)
{
	std::string p = to_slashes(path);
	size_t slash = p.rfind('/');
	return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string save_folder_name(std::string_view game_file, std::string_view program_file)
{
	auto stem = [](std::string name) {
		size_t dot = name.rfind('.');
		if (dot != std::string::npos)
			name.resize(dot);
		return name;
	};
	std::string name = stem(base_name_of(game_file));
	// A game exported as "data.win" is known by the program that carries it.
	if (strcasecmp(name.c_str(), "data") == 0)
		name = stem(base_name_of(program_file));
	return name;
}

GamePaths &game_paths()
{
	static GamePaths paths;
	return paths;
}

void GamePaths::set_game_file(const std::string &path)
{
	m_game_file = to_slashes(path);
	m_has_game_directory = m_has_save_directory = false;
}

const std::string &GamePaths::game_directory()
{
	if (!m_has_game_directory) {
		m_game_directory = directory_of(m_game_file);
		m_has_game_directory = true;
	}
	return m_game_directory;
}

const std::string &GamePaths::program_file()
{
	if (!m_has_program_file) {
		std::error_code ec;
		auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
		m_program_file = ec ? std::string() : exe.string();
		m_has_program_file = true;
	}
	return m_program_file;
}

const std::string &GamePaths::save_directory()
{
	if (!m_has_save_directory) {
		m_has_save_directory = true;
		m_save_directory.clear();
		std::string base;
		if (const char *xdg = getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
			base = xdg;
		else if (const char *home = getenv("HOME"); home && home[0])
			base = std::string(home) + "/.local/share";
		if (base.empty())
			return m_save_directory;
		std::string dir = base + "/" + save_folder_name(m_game_file, program_file()) + "/";
		std::error_code ec;
		std::filesystem::create_directories(dir, ec);
		m_save_directory = dir;
	}
	return m_save_directory;
}

const std::string &GamePaths::temp_directory()
{
	if (m_temp_directory.empty()) {
		const char *tmp = getenv("TMPDIR");
		m_temp_directory = (tmp && tmp[0] == '/') ? tmp : "/tmp";
		if (m_temp_directory.back() != '/')
			m_temp_directory += '/';
	}
	return m_temp_directory;
}

std::string GamePaths::resolve(std::string_view name)
{
	std::string n = to_slashes(name);
	if (!n.empty() && n[0] == '/')
		return n;
	return game_directory() + n;
}

void GamePaths::reset()
{
	m_game_file.clear();
	m_has_game_directory = m_has_program_file = m_has_save_directory = false;
}
