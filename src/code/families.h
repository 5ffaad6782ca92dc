// families.h: the registration routine of each family of built-in functions,
// defined in the family's fn_<family>.cpp. ORDER FAMILIES: see families.cpp.
#pragma once
