// resolve.h: the pass after parsing that binds names: constants become
// constant nodes, variables get their ids, declarations are checked.
#pragma once

#include <string_view>

#include "code/compiler/tree.h"

// False (code error recorded) when a declaration names a built-in variable.
bool resolve_names(NodePtr &root, std::string_view source, bool expression);
