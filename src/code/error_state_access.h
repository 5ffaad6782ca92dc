// error_state_access.h: the error state that `error_occurred` and `error_last`
// read and write. The error module defines these; error_state_access.cpp holds
// stand-ins (weak symbols) until that module defines them.
#pragma once

#include <string>
#include <string_view>

const std::string &error_last();
void set_error_last(std::string_view text);
bool error_occurred();
void set_error_occurred(bool occurred);
