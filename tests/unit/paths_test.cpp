// paths_test.cpp: the derived directories and game file names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/paths.h"
#include "test_util.h"

TEST(Paths, Pieces)
{
	EXPECT_EQ(directory_of("/games/space/data.win"), "/games/space/");
	EXPECT_EQ(directory_of("C:\\games\\x.win"), "C:/games/");
	EXPECT_EQ(directory_of("plain.win"), "/");
	EXPECT_EQ(base_name_of("/a/b/game.win"), "game.win");
	EXPECT_EQ(base_name_of("a\\b\\game.win"), "game.win");
}

TEST(Paths, SaveFolderName)
{
	struct Case
	{
		const char *game, *program, *name;
	};
	const Case cases[] = {
		{"/g/space.win", "/usr/bin/zentrix", "space"},
		{"/g/my.game.win", "/usr/bin/zentrix", "my.game"},
		{"/g/noext", "/usr/bin/zentrix", "noext"},
		{"/g/data.win", "/opt/space/SpaceRun.x86_64", "SpaceRun"},
		{"/g/DATA.WIN", "/opt/space/runner", "runner"},
		{"/g/database.win", "/usr/bin/zentrix", "database"},
	};
	for (const Case &c : cases)
		EXPECT_EQ(save_folder_name(c.game, c.program), c.name) << c.game;
}

TEST(Paths, GameDirectoriesAndResolve)
{
	TempDir dir;
	GamePaths paths;
	setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
	paths.set_game_file("/games/space/space.win");
	EXPECT_EQ(paths.game_directory(), "/games/space/");
	EXPECT_EQ(paths.resolve("sounds\\boom.wav"), "/games/space/sounds/boom.wav");
	EXPECT_EQ(paths.resolve("/etc/x"), "/etc/x");
	EXPECT_EQ(paths.save_directory(), dir.path() + "/space/");
	EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/space"));
	EXPECT_FALSE(paths.program_file().empty());
	unsetenv("XDG_DATA_HOME");

	// Without XDG_DATA_HOME the data home is under $HOME.
	std::string home = getenv("HOME") ? getenv("HOME") : "";
	setenv("HOME", dir.path().c_str(), 1);
	GamePaths other;
	other.set_game_file("/games/other.win");
	EXPECT_EQ(other.save_directory(), dir.path() + "/.local/share/other/");
	setenv("HOME", home.c_str(), 1);
}
