// game_fixture.h: games built as data files with code compiled from text, run
// frame by frame; the tests read what their code printed.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/game_data.h"
#include "world/object.h"

CodeRef code_text(const std::string &source);
// A statement that prints the text.
std::string say(const std::string &what);

// Plays a prepared game headless and unpaced for at most `frames` frames and
// returns the lines it printed, start-up lines left out; before(f), when
// given, runs ahead of frame f.
std::vector<std::string> play_game(GameData &game, long frames, const std::function<void(long)> &before = {});

class GameTest : public ::testing::Test
{
protected:
	void SetUp() override;
	void TearDown() override;

	CObject &object(const std::string &name);
	void on(CObject &o, int32_t type, int32_t number, const std::string &source);
	RoomRecord &room();
	void place(RoomRecord &r, int32_t object, int32_t x = 10, int32_t y = 10, const std::string &creation = "");
	TimelineRecord &timeline(std::vector<std::pair<int32_t, std::string>> moments);

	// Builds the data file, loads and prepares it, compiles the code, then
	// starts the game, runs the frames and ends it. Returns the printed lines.
	std::vector<std::string> play(long frames);
	// Runs after the game is loaded and prepared, before it starts.
	std::function<void()> on_loaded;

	GameData game;
	GameOptions options;
	std::vector<std::unique_ptr<CObject>> objects;
	std::vector<std::unique_ptr<RoomRecord>> rooms;
	std::vector<std::unique_ptr<TimelineRecord>> timelines;
	int32_t next_id = 100001;

private:
	void compile_all();
};

using Lines = std::vector<std::string>;
