// startup_test.cpp: the zentrix program from the outside: usage, missing and
// damaged games, the start-up lines in their order.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/game_data.h"
#include "data/writer.h"
#include "test_util.h"

namespace {

std::vector<uint8_t> small_game(bool unknown_chunk = false)
{
	DataFileWriter w;
	GameHeader h;
	h.major_version = 8;
	h.window_width = 64;
	h.window_height = 48;
	write_header(w, h, "Small", "Default");
	if (unknown_chunk)
		w.chunk("ABCD").u32(7);
	return w.build();
}

const std::vector<std::string> headless = {"--headless", "--unpaced", "--frames", "3"};

std::vector<std::string> args(std::vector<std::string> a)
{
	a.insert(a.end(), headless.begin(), headless.end());
	return a;
}

} // namespace

TEST(Startup, NoGameGivesUsage)
{
	ProgramResult r = run_program(ZENTRIX_BIN, {});
	EXPECT_EQ(r.exit_code, 1);
	EXPECT_NE(r.err.find("usage: zentrix"), std::string::npos) << r.err;

	r = run_program(ZENTRIX_BIN, {"--help"});
	EXPECT_EQ(r.exit_code, 0);
	EXPECT_NE(r.out.find("usage: zentrix"), std::string::npos);
}

TEST(Startup, MissingGameFile)
{
	TempDir dir;
	ProgramResult r = run_program(ZENTRIX_BIN, args({"-game", dir.file("nothere.win")}));
	EXPECT_EQ(r.exit_code, 1);
	EXPECT_NE(r.err.find("Cannot read the game file " + dir.file("nothere.win")), std::string::npos) << r.err;
}

TEST(Startup, LinesInOrder)
{
	TempDir dir;
	dir.write("small.win", small_game());
	ProgramResult r = run_program(ZENTRIX_BIN, args({"-game", dir.file("small.win")}));
	EXPECT_EQ(r.exit_code, 0) << r.err;
	const std::string game = dir.file("small.win");
	const std::vector<std::string> expected = {
		"RunnerLoadGame() - " + game,
		"Checking if INIFile " + dir.file("options.ini") + " Exists",
		"!!!!No INI File " + dir.file("options.ini"),
		"Reading File " + game,
		"Loaded File " + game,
		"IFF wad found",
		"Create Window",
		"Init Graphics",
		"GR_D3D_Init()",
		"Background_InitTextures()",
		"Sprite_InitTextures()",
		"Font_InitTextures()",
		"Create Score Form",
		"Create Load Form",
		"Create Error Form",
		"Create Debug Form",
		"LoadGameData()",
		"initialise everything!",
		"Process Chunk: GEN8   84",
		"Process Chunk: STRG   34",
		"PrepareGame()",
		"DataFile_Prepare() ",
		"Extension_Prepare() ",
		"Code_Constant_Prepare() ",
		"Script_Prepare() ",
		"TimeLine_Prepare() ",
		"Object_Prepare() ",
		"Preparing 0 objects:",
		"Room_Prepare() ",
		"Sound_Prepare() ",
		"InitGraphics() ",
		"Finished PrepareGame() ",
		"Run_Start",
		"StartGame()",
		"StartGame() - DONE",
		"Entering main loop.",
	};
	EXPECT_EQ(r.out_lines(), expected);
	if (HasFailure())
		printf("Output:\n%s\nErrors:\n%s\n", r.out.c_str(), r.err.c_str());
}

TEST(Startup, UnknownChunkFailsToLoad)
{
	TempDir dir;
	dir.write("game.win", small_game(true));
	dir.write("options.ini", "[DEFAULT]\nDebug=0\n");
	ProgramResult r = run_program(ZENTRIX_BIN, args({"-game", dir.file("game.win")}));
	EXPECT_EQ(r.exit_code, 1);
	std::vector<std::string> lines = r.out_lines();
	EXPECT_EQ(std::count(lines.begin(), lines.end(), "!!!!No INI File " + dir.file("options.ini")), 0);
	auto unknown = std::find_if(lines.begin(), lines.end(),
	                            [](const std::string &l) { return l.rfind("unknown Chunk ABCD:", 0) == 0; });
	ASSERT_NE(unknown, lines.end()) << r.out;
	EXPECT_EQ(lines.back(), "Failed to load the game");
	EXPECT_EQ(std::count(lines.begin(), lines.end(), "PrepareGame()"), 0);
}

TEST(Startup, DamagedGameNamesTheProblem)
{
	TempDir dir;
	std::vector<uint8_t> bytes = small_game();
	bytes.resize(bytes.size() - 10);
	dir.write("cut.win", bytes);
	ProgramResult r = run_program(ZENTRIX_BIN, args({"-game", dir.file("cut.win")}));
	EXPECT_EQ(r.exit_code, 1);
	EXPECT_NE(r.err.find("The game data file is damaged"), std::string::npos) << r.err;
	EXPECT_NE(r.err.find(dir.file("cut.win")), std::string::npos) << r.err;
	EXPECT_EQ(r.out.find("Create Window"), std::string::npos);
}

TEST(Startup, GameFileAsPlainArgumentAndRelativePaths)
{
	TempDir dir;
	dir.write("plain.win", small_game());
	ProgramResult r = run_program(ZENTRIX_BIN, args({"not-a-file", dir.file("plain.win")}));
	EXPECT_EQ(r.exit_code, 0) << r.err;
	EXPECT_EQ(r.out_lines().at(0), "RunnerLoadGame() - " + dir.file("plain.win"));

	// A relative path is taken from the working folder.
	std::filesystem::create_directories(dir.file("sub"));
	dir.write("sub/rel.win", small_game());
	r = run_program(ZENTRIX_BIN, args({"-game", "sub/../sub/rel.win"}), dir.path());
	EXPECT_EQ(r.exit_code, 0) << r.err;
	EXPECT_EQ(r.out_lines().at(0), "RunnerLoadGame() - " + dir.file("sub/rel.win"));
	EXPECT_EQ(r.out_lines().at(1), "Checking if INIFile " + dir.file("sub/options.ini") + " Exists");
}

TEST(Startup, DataWinBesideTheProgramWins)
{
	TempDir dir;
	std::filesystem::copy_file(ZENTRIX_BIN, dir.file("zentrix"));
	std::filesystem::permissions(dir.file("zentrix"), std::filesystem::perms::owner_exec,
	                             std::filesystem::perm_options::add);
	dir.write("data.win", small_game());
	dir.write("other.win", small_game(true));
	ProgramResult r = run_program(dir.file("zentrix"), args({"-game", dir.file("other.win"), "-debug"}));
	EXPECT_EQ(r.exit_code, 0) << r.err;
	EXPECT_EQ(r.out_lines().at(0), "RunnerLoadGame() - " + dir.file("data.win"));
}
