// tree_ops.h: the value rules of the tree executor: two-operand and one-operand
// operators on Values with exact comparisons and their own error texts.
#pragma once

#include "code/compiler/token.h"
#include "code/value.h"

// Applies a two-operand operator; on a wrong operand the message is returned
// (and out is unchanged), else null.
const char *tree_binary(TokenKind op, const Value &left, const Value &right, Value &out);
// Applies `!`, `-`, `+` or `~`; the message on a string operand, else null.
const char *tree_unary(TokenKind op, const Value &operand, Value &out);
