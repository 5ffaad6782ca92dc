// code.cpp: CCode's bytecode, decoding and source lines.
#include "code/vm/code.h"

#include <algorithm>

#include "code/vm/machine.h"

CCode::~CCode() { vm_scripts_changed(); }

void CCode::set_owned_bytecode(std::vector<uint8_t> bytes)
{
	m_owned = std::move(bytes);
	buffer.length = (uint32_t)m_owned.size();
	// Even an empty piece has a buffer: it runs and ends at once.
	buffer.words = m_owned.empty() ? reinterpret_cast<const uint8_t *>("") : m_owned.data();
	forget_program();
}

void CCode::forget_program()
{
	m_program.reset();
	m_entry = nullptr;
	vm_scripts_changed();
}

const Program &CCode::decode()
{
	m_program = std::make_unique<Program>(decode_program(buffer.words, buffer.length, strings.get()));
	m_entry = m_program->error.empty() ? m_program->code.data() : nullptr;
	m_uses_locals = m_program->uses_locals;
	return *m_program;
}

int CCode::source_line(uint32_t pc, std::string *text) const
{
	if (line_table.empty()) {
		if (text)
			*text = "<unknown source line>";
		return -1;
	}
	// The last pair whose offset is not above pc (the first pair when all are).
	auto it = std::upper_bound(line_table.begin(), line_table.end(), pc,
	                           [](uint32_t v, const LinePair &p) { return v < p.offset; });
	size_t position = it == line_table.begin() ? line_table.front().position : std::prev(it)->position;
	if (source.empty()) {
		if (text)
			text->clear();
		return 0;
	}
	if (position >= source.size())
		position = source.size() - 1;
	int line = 0;
	size_t start = 0;
	for (size_t i = 0; i < position; i++) {
		if (source[i] == '\n') {
			if (i >= 1)
				line++;
			start = i + 1;
		}
	}
	if (text) {
		size_t end = start;
		while (end < source.size() && end - start < 255 && source[end] != '\r' && source[end] != '\n')
			end++;
		*text = source.substr(start, end - start);
	}
	return line;
}
