// command_line.h: the command line, cut into tokens and read into settings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"

// The longest command line read; longer ones are cut to one byte less.
constexpr size_t COMMAND_LINE_MAX = 8192;

// Cuts a command line into tokens: blanks and control bytes separate tokens
// outside double quotes; a double quote toggles quoting and is dropped.
std::vector<std::string> tokenize_command_line(std::string_view line);

// The process's arguments joined into one command line, each argument quoted when
// it holds a blank, then cut to COMMAND_LINE_MAX - 1 bytes.
std::string command_line_from_args(int argc, const char *const *argv);

// Resets every game option to its default and reads the tokens. When
// game_options is false (a data.win lies beside the program) only the runner's
// own "--" options are read.
void parse_command_line(std::string_view line, Settings &settings, bool game_options = true);

// The options file's `DEFAULT` section, read after the command line so that it
// wins over it.
void apply_options_ini(const std::string &path, Settings &settings);

extern const char *const USAGE;
