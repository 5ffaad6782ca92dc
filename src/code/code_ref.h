// code_ref.h: a reference from a resource (script, event, timeline moment, room
// or instance creation code) to its piece of game code, and the runner that
// executes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CCode;
class CInstance;
class Value;

// With bytecode the index of a code entry (-1: none), otherwise the source
// text that preparation compiles. `code` is the piece bound at preparation.
struct CodeRef
{
	int32_t index = -1;
	std::string source;
	std::shared_ptr<CCode> code;

	bool empty() const { return index < 0 && source.empty() && !code; }
};

// Runs the bound code of a reference with self and other on the bytecode
// machine (on the tree executor when it has only a tree, reporting its error),
// leaving its result in `result` when given. Returns false when the run
// failed; code that is not bound does nothing and succeeds.
// set_code_runner replaces the machine (tests record runs with it; null puts
// the machine back).
using CodeRunner = bool (*)(CodeRef &code, CInstance *self, CInstance *other, Value *result);
void set_code_runner(CodeRunner runner);
bool run_code(CodeRef &code, CInstance *self, CInstance *other, Value *result = nullptr);
