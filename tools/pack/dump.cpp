// dump.cpp: reads a game data file the way the Runner does, chunk by chunk, each
// chunk guarded on its own so that damage in one is reported with its place and the
// others are still listed; then prints the chunk table and a section per chunk.
#include "dump.h"

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <unistd.h>

#include "common/file_util.h"
#include "data/code_ranges.h"
#include "data/readers.h"
#include "dump_sections.h"

namespace {

// Readers of the main walk that only read: the texture pages need a display, the
// code and the reference chains are listed by the dump itself.
struct ReaderKind
{
	uint32_t tag;
	bool relocate;
	ChunkReader reader;
};

const ReaderKind reader_kinds[] = {
#define CHUNK(name, relocate, reader) {make_tag(#name), relocate != 0, reader},
#include "data/chunks.def"
#undef CHUNK
};

const ReaderKind *find_reader(uint32_t tag)
{
	for (uint32_t skipped : {make_tag("TXTR"), make_tag("CODE"), make_tag("FUNC"), make_tag("VARI")})
		if (tag == skipped)
			return nullptr;
	for (const ReaderKind &kind : reader_kinds)
		if (kind.tag == tag)
			return &kind;
	return nullptr;
}

// The readers report progress on the debug console (standard output); the listing
// must not be interleaved with it.
class QuietStdout
{
public:
	QuietStdout()
	{
		fflush(stdout);
		m_saved = dup(1);
		int null = open("/dev/null", O_WRONLY);
		if (m_saved >= 0 && null >= 0)
			dup2(null, 1);
		if (null >= 0)
			close(null);
	}
	~QuietStdout()
	{
		fflush(stdout);
		if (m_saved >= 0) {
			dup2(m_saved, 1);
			close(m_saved);
		}
	}

private:
	int m_saved = -1;
};

// The distance to the next instruction of a variable chain: bits 0-28, sign-extended.
int64_t variable_chain_distance(uint32_t word)
{
	return (int32_t)((word & 0x1FFFFFFFu) << 3) >> 3;
}

// Follows the VARI or FUNC chains without binding anything: every instruction on
// the chain of a name gets that name. A chain that leaves the code, meets another
// chain or (for calls) reaches an instruction that is not a call is reported and cut.
void follow_chains(DumpState &s, const Chunk &chunk, bool calls)
{
	ByteReader file = s.game.file();
	const char *what = calls ? "function" : "variable";
	if (chunk.size % 12 != 0)
		s.error(chunk, chunk.body, std::string("the ") + what + " list is not a whole number of 12-byte records");
	std::vector<CodeRange> ranges = code_ranges(s.game, file);
	auto &names = calls ? s.function_at : s.variable_at;
	uint64_t end = chunk.body + chunk.size / 12 * 12;
	for (uint64_t record = chunk.body; record < end; record += 12) {
		try {
			std::string name(file.string(file.u32(record)));
			uint32_t count = file.u32(record + 4);
			int64_t at = file.u32(record + 8);
			(calls ? s.function_names : s.variable_names).push_back({name, count});
			for (uint32_t i = 0; i < count; i++) {
				if (!inside_code(ranges, at) || (calls && file.u8((uint64_t)at + 3) != 0xDA)) {
					s.error(chunk, at < 0 ? 0 : (uint64_t)at,
					        "the " + std::string(what) + " chain of " + name + " leads outside the code");
					break;
				}
				if (!names.emplace((uint64_t)at, name).second) {
					s.error(chunk, (uint64_t)at, "the chain of " + name + " meets another chain");
					break;
				}
				uint32_t word = file.u32((uint64_t)at + 4);
				at += calls ? (int64_t)word : variable_chain_distance(word);
			}
		} catch (const DataError &e) {
			s.error(chunk, e.offset(), e.what());
		}
	}
}

// Runs one step on a chunk, turning damaged data into a reported error.
template <typename Step>
void guarded(DumpState &s, const Chunk &chunk, Step step)
{
	try {
		step();
	} catch (const DataError &e) {
		s.error(chunk, e.offset(), e.what());
		s.damaged.insert(chunk.start);
	} catch (const std::exception &e) {
		s.error(chunk, chunk.start, e.what());
		s.damaged.insert(chunk.start);
	}
}

void walk_chunks(DumpState &s)
{
	ByteReader file = s.game.file();
	try {
		for_each_chunk(file, [&](const Chunk &chunk) { s.chunks.push_back(chunk); });
	} catch (const DataError &e) {
		s.errors.push_back("the chunk list is damaged: " + std::string(e.what()) + " (at offset " +
		                   std::to_string(e.offset()) + "); the chunks after it are not listed");
		if (file.contains(e.offset(), 8)) {
			Chunk cut;
			cut.tag = file.u32(e.offset());
			cut.size = file.u32(e.offset() + 4);
			cut.start = e.offset();
			cut.body = e.offset() + 8;
			s.cut_chunk = cut;
			// A cut-off CODE chunk still tells that code references are code indices.
			if (cut.tag == make_tag("CODE"))
				s.game.has_bytecode = true;
		}
	}
}

// The first pass of the Runner: strings, header and code entries, which the other
// readers need.
void read_early(DumpState &s)
{
	ByteReader file = s.game.file();
	for (const Chunk &chunk : s.chunks) {
		if (chunk.size == 0)
			continue;
		guarded(s, chunk, [&] {
			if (chunk.tag == make_tag("STRG"))
				s.game.strings = read_offset_list(file, chunk.body, chunk.body + chunk.size, "strings");
			else if (chunk.tag == make_tag("GEN7") || chunk.tag == make_tag("GEN8") || chunk.tag == make_tag("GENL"))
				read_header_early(s.game, chunk);
			else if (chunk.tag == make_tag("CODE"))
				read_code_entries(s.game, chunk);
		});
	}
}

void read_resources(DumpState &s)
{
	ByteReader file = s.game.file();
	reset_resources(s.game);
	for (const Chunk &chunk : s.chunks) {
		if (chunk.size == 0 || s.damaged.count(chunk.start))
			continue;
		if (chunk.tag == make_tag("VARI") || chunk.tag == make_tag("FUNC")) {
			guarded(s, chunk, [&] { follow_chains(s, chunk, chunk.tag == make_tag("FUNC")); });
			continue;
		}
		const ReaderKind *kind = find_reader(chunk.tag);
		if (!kind)
			continue;
		std::string tag = tag_text(chunk.tag);
		guarded(s, chunk, [&] {
			std::vector<uint32_t> list;
			if (kind->relocate)
				list = read_offset_list(file, chunk.body, chunk.body + chunk.size, tag.c_str());
			if (!kind->reader(s.game, chunk, list))
				throw DataError(chunk.body, "the chunk is not valid");
		});
	}
}

} // namespace

void DumpState::error(const Chunk &chunk, uint64_t offset, const std::string &message)
{
	constexpr int MAX_PER_CHUNK = 20;
	int &count = errors_in[chunk.start];
	if (++count > MAX_PER_CHUNK) {
		if (count == MAX_PER_CHUNK + 1)
			errors.push_back("chunk " + tag_text(chunk.tag) + " at offset " + std::to_string(chunk.start) +
			                 ": more errors, not shown");
		return;
	}
	errors.push_back("chunk " + tag_text(chunk.tag) + " at offset " + std::to_string(chunk.start) + ": " + message +
	                 " (at offset " + std::to_string(offset) + ")");
}

DumpReport dump_game_file(std::vector<uint8_t> bytes)
{
	DumpState s;
	s.game.block.bytes = std::move(bytes);
	ByteReader file = s.game.file();
	s.out += "file: " + std::to_string(file.size()) + " bytes\n";
	if (file.size() < 8 || file.u32(0) != make_tag("FORM")) {
		s.errors.push_back("not a game data file: it does not start with FORM and its size");
	} else {
		std::string problem = container_problem(file);
		if (!problem.empty())
			s.errors.push_back("the container is damaged: " + problem);
		walk_chunks(s);
		{
			QuietStdout quiet;
			read_early(s);
			read_resources(s);
		}
		print_chunk_table(s);
		for (const Chunk &chunk : s.chunks)
			print_chunk_section(s, chunk);
	}
	if (!s.errors.empty()) {
		s.out += "\ndamage found:\n";
		for (const std::string &e : s.errors)
			s.out += "  " + e + "\n";
	}
	return {std::move(s.out), std::move(s.errors)};
}

int dump_command(const std::string &path)
{
	std::vector<uint8_t> bytes;
	std::string error;
	if (!read_file(path, bytes, error)) {
		fprintf(stderr, "zentrix-pack: cannot read %s: %s\n", path.c_str(), error.c_str());
		return 1;
	}
	DumpReport report = dump_game_file(std::move(bytes));
	fputs(report.text.c_str(), stdout);
	fflush(stdout);
	for (const std::string &e : report.errors)
		fprintf(stderr, "zentrix-pack: %s is damaged: %s\n", path.c_str(), e.c_str());
	return report.errors.empty() ? 0 : 1;
}
