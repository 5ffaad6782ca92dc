// code.h: CCode, one piece of game code (an object event, a script, room or
// instance creation code, a timeline moment): its kind, its bytecode, its line
// table and source text for error reports, and its name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "code/value.h"
#include "code/vm/program.h"

class CInstance;
struct CodeTree; // the tree of the compiler's own executor

enum CodeKind : int32_t
{
	CODE_EMPTY = 0,
	CODE_STATEMENTS = 1,
	CODE_EXPRESSION = 2,
	CODE_CONSTANT = 3,
};

// The bytecode of a piece: its length in bytes and its words.
struct VMBuffer
{
	uint32_t length = 0;
	const uint8_t *words = nullptr;
};

// A line-table pair: the byte offset of an instruction and the source position
// of the text it came from.
struct LinePair
{
	uint32_t offset;
	uint32_t position;
};

class CCode
{
public:
	CCode() = default;
	CCode(const CCode &) = delete;
	CCode &operator=(const CCode &) = delete;
	virtual ~CCode(); // script calls forget it

	CodeKind kind = CODE_EMPTY;
	bool compiled = false;
	std::shared_ptr<CodeTree> tree;
	Value constant;                   // kind 3
	VMBuffer buffer;                  // points into the game file, or into `owned`
	std::vector<LinePair> line_table; // increasing offsets
	std::string source;
	std::string name;
	int32_t index = -1;               // the CODE index, -1 for code made at run time

	// Bytecode this piece owns (code made at run time or by the test assembler).
	void set_owned_bytecode(std::vector<uint8_t> bytes);
	// The texts that string operands name.
	std::shared_ptr<const StringTexts> strings;

	bool has_bytecode() const { return buffer.words != nullptr; }

	// The decoded program, decoded on first use (after the load has bound every
	// variable and function id in the bytecode).
	const Program &program() { return m_program ? *m_program : decode(); }
	// Drops the decoded form, so that the next run decodes the bytes again.
	// Script calls that remembered the piece look again.
	void forget_program();
	// The first instruction of the decoded program when it is decoded and well
	// formed, else null: a script call's one test before entering the piece.
	const Instr *entry() const { return m_entry; }
	// Whether the decoded program may reach the locals (see Program).
	bool uses_locals() const { return m_uses_locals; }

	// The source line of the instruction at byte offset pc: lines count from 0;
	// -1 without a line table. `text` receives the line's text (at most 255
	// bytes), or "<unknown source line>".
	int source_line(uint32_t pc, std::string *text = nullptr) const;

private:
	const Program &decode();

	std::vector<uint8_t> m_owned;
	std::unique_ptr<Program> m_program;
	const Instr *m_entry = nullptr;
	bool m_uses_locals = true;
};
