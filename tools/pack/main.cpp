// main.cpp: zentrix-pack, the game packer.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/file_util.h"
#include "dump.h"
#include "pack_game.h"
#include "sample.h"

static const char *const USAGE = "usage: zentrix-pack build PROJECT_FOLDER GAME_FILE [--source]\n"
                                 "                                         pack a project (--source: code as text)\n"
                                 "       zentrix-pack sample GAME_FILE   write a tiny sample game\n"
                                 "       zentrix-pack dump GAME_FILE     list a game file's chunks, resources and code\n"
                                 "       zentrix-pack --help\n";

// zentrix-pack build PROJECT GAME_FILE [--source]
static int run_build(int argc, char **argv)
{
	PackOptions options;
	if (argc == 5) {
		if (strcmp(argv[4], "--source") != 0) {
			fprintf(stderr, "zentrix-pack: unknown option %s\n", argv[4]);
			return 1;
		}
		options.bytecode = false;
	}
	std::string error;
	if (!pack_project_to_file(argv[2], options, argv[3], error)) {
		fprintf(stderr, "zentrix-pack: %s\n", error.c_str());
		return 1;
	}
	return 0;
}

int main(int argc, char **argv)
{
	if (argc >= 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
		fputs(USAGE, stdout);
		return 0;
	}
	if ((argc == 4 || argc == 5) && strcmp(argv[1], "build") == 0)
		return run_build(argc, argv);
	if (argc == 3 && strcmp(argv[1], "sample") == 0) {
		std::vector<uint8_t> bytes = build_sample_game();
		std::string error;
		if (!write_file_atomic(argv[2], bytes.data(), bytes.size(), error)) {
			fprintf(stderr, "zentrix-pack: cannot write %s: %s\n", argv[2], error.c_str());
			return 1;
		}
		printf("zentrix-pack: wrote %s (%zu bytes)\n", argv[2], bytes.size());
		return 0;
	}
	if (argc == 3 && strcmp(argv[1], "dump") == 0)
		return dump_command(argv[2]);
	fputs(USAGE, stderr);
	return 1;
}
