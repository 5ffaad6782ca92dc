// error_state_access.cpp: stand-ins for the error state accessors, replaced by
// the error module's own definitions when it provides them.
#include "code/error_state_access.h"

namespace {
std::string g_last;
bool g_occurred = false;
} // namespace

__attribute__((weak)) const std::string &error_last() { return g_last; }
__attribute__((weak)) void set_error_last(std::string_view text) { g_last.assign(text); }
__attribute__((weak)) bool error_occurred() { return g_occurred; }
__attribute__((weak)) void set_error_occurred(bool occurred) { g_occurred = occurred; }
