// errors.h: run-time errors of game code and built-in functions.
#pragma once

#include <string_view>

// Reports an error of game code or of a built-in function: the message gets the
// context of the running event, becomes the last error and is written to the
// debug console; when fatal (or when the game aborts on all errors) the game ends.
void report_error(std::string_view message, bool fatal = false);
