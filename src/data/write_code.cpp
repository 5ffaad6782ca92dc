// write_code.cpp: lays out the CODE entries and links every use of a variable
// or function name into one chain per name, in file order.
#include "data/write_code.h"

#include <map>

namespace {

uint32_t get_u32(const std::vector<uint8_t> &b, size_t at)
{
	return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

void set_u32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
	for (int i = 0; i < 4; i++)
		b[at + i] = (uint8_t)(v >> (8 * i));
}

struct Use
{
	size_t entry;
	uint32_t at;     // instruction offset inside the entry
	uint32_t global; // body offset of the instruction inside the CODE chunk
};

using Chains = std::map<std::string, std::vector<Use>>;

// Points each use at the next use of its name. `keep` masks the operand bits
// that stay.
bool link(std::vector<CodeEntrySpec> &entries, const Chains &chains, uint32_t keep, std::string &error)
{
	for (const auto &[name, uses] : chains)
		for (size_t k = 0; k < uses.size(); k++) {
			const Use &u = uses[k];
			uint32_t distance = k + 1 < uses.size() ? uses[k + 1].global - u.global : 0;
			if (distance & keep) {
				error = "the code is too large: the uses of \"" + name + "\" lie too far apart";
				return false;
			}
			std::vector<uint8_t> &bytes = entries[u.entry].bytes;
			if ((size_t)u.at + 8 > bytes.size()) {
				error = "code entry " + entries[u.entry].name + ": an operand lies past its end";
				return false;
			}
			uint32_t w = get_u32(bytes, u.at + 4);
			set_u32(bytes, u.at + 4, (w & keep) | distance);
		}
	return true;
}

void write_chain_chunk(DataFileWriter &writer, const char *tag, size_t code_chunk, const Chains &chains)
{
	ChunkBuilder &c = writer.chunk(tag);
	for (const auto &[name, uses] : chains) {
		c.string_ref(name);
		c.u32((uint32_t)uses.size());
		c.ref_to(code_chunk, uses[0].global);
	}
}

} // namespace

bool write_code_chunks(DataFileWriter &writer, std::vector<CodeEntrySpec> entries, std::string &error)
{
	// Body layout: count, offsets, then each entry: name, length, bytecode.
	std::vector<uint32_t> entry_at;
	uint32_t at = 4 + 4 * (uint32_t)entries.size();
	for (const CodeEntrySpec &e : entries) {
		entry_at.push_back(at);
		at += 8 + (uint32_t)e.bytes.size();
	}
	Chains vars, funcs;
	for (size_t i = 0; i < entries.size(); i++) {
		for (const NamedOperand &v : entries[i].variables)
			vars[v.name].push_back({i, v.at, entry_at[i] + 8 + v.at});
		for (const NamedOperand &f : entries[i].functions)
			funcs[f.name].push_back({i, f.at, entry_at[i] + 8 + f.at});
		for (const NamedOperand &s : entries[i].strings) {
			if ((size_t)s.at + 8 > entries[i].bytes.size()) {
				error = "code entry " + entries[i].name + ": a string operand lies past its end";
				return false;
			}
			set_u32(entries[i].bytes, s.at + 4, writer.string_id(s.name));
		}
	}
	if (!link(entries, vars, 0xE0000000u, error) || !link(entries, funcs, 0, error))
		return false;
	ChunkBuilder &code = writer.chunk("CODE");
	code.u32((uint32_t)entries.size());
	for (uint32_t e : entry_at)
		code.ref(e);
	for (const CodeEntrySpec &e : entries) {
		code.string_ref(e.name);
		code.u32((uint32_t)e.bytes.size());
		code.bytes(e.bytes.data(), e.bytes.size());
	}
	write_chain_chunk(writer, "VARI", code.index(), vars);
	write_chain_chunk(writer, "FUNC", code.index(), funcs);
	return true;
}
