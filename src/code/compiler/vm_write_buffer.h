// vm_write_buffer.h: VMWriteBuffer, where the code generator writes bytecode:
// instruction words, their operands, and branches whose distance is filled in
// once the target is placed.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

class VMWriteBuffer
{
public:
	using Label = uint32_t;

	uint32_t offset() const { return (uint32_t)m_bytes.size(); }

	// A word of opcode, types (t1 low nibble, t2 high) and 16-bit field.
	void word(uint8_t opcode, uint8_t t1, uint8_t t2 = 0, uint16_t field = 0)
	{
		put32((uint32_t)opcode << 24 | (uint32_t)(t2 & 15) << 20 | (uint32_t)(t1 & 15) << 16 | field);
	}
	void operand32(uint32_t v) { put32(v); }
	void operand_double(double d)
	{
		uint64_t bits;
		memcpy(&bits, &d, 8);
		put32((uint32_t)bits);
		put32((uint32_t)(bits >> 32));
	}

	Label new_label()
	{
		m_labels.push_back(UNPLACED);
		return (Label)(m_labels.size() - 1);
	}
	void place(Label label) { m_labels[label] = offset(); }
	// A branch-format word; `types` fills bits 16-23 when the distance leaves
	// them free (the early close of popenv).
	void branch(uint8_t opcode, Label target, uint8_t types = 0)
	{
		m_fixups.push_back({offset(), target});
		put32((uint32_t)opcode << 24 | (uint32_t)types << 16);
	}
	// Fills in every branch distance; false when a label was never placed.
	bool finish()
	{
		for (const Fixup &f : m_fixups) {
			uint32_t target = m_labels[f.label];
			if (target == UNPLACED)
				return false;
			int32_t words = ((int32_t)target - (int32_t)f.at) / 4;
			uint32_t w;
			memcpy(&w, &m_bytes[f.at], 4);
			w = (w & 0xFF000000u) | ((uint32_t)words & 0x00FFFFFFu);
			memcpy(&m_bytes[f.at], &w, 4);
		}
		return true;
	}
	std::vector<uint8_t> &bytes() { return m_bytes; }

private:
	static constexpr uint32_t UNPLACED = 0xFFFFFFFFu;
	struct Fixup
	{
		uint32_t at;
		Label label;
	};
	void put32(uint32_t v)
	{
		uint8_t b[4] = {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)};
		m_bytes.insert(m_bytes.end(), b, b + 4);
	}
	std::vector<uint8_t> m_bytes;
	std::vector<uint32_t> m_labels;
	std::vector<Fixup> m_fixups;
};
