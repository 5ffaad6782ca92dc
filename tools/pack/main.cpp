// main.cpp: zentrix-pack, the game packer.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/file_util.h"
#include "sample.h"

static const char *const USAGE = "usage: zentrix-pack sample GAME_FILE   write a tiny sample game\n"
                                 "       zentrix-pack --help\n";

int main(int argc, char **argv)
{
	if (argc >= 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
		fputs(USAGE, stdout);
		return 0;
	}
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
	fputs(USAGE, stderr);
	return 1;
}
