// function_table.h: the table of built-in functions.
#pragma once

// Registers every family of built-in functions in its fixed order. Runs once,
// when the first pass meets the header chunk; later calls do nothing.
void register_builtin_families();
