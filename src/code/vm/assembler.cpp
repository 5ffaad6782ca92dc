// assembler.cpp: text mnemonics to instruction words (see assembler.h).
#include "code/vm/assembler.h"

#include <cstring>
#include <map>
#include <sstream>

#include "code/vm/code.h"
#include "code/vm/instruction.h"

namespace {

struct Line
{
	int number;
	std::string mnemonic; // without type suffixes
	int t1 = -1, t2 = -1;
	std::vector<std::string> args;
};

const char type_letters[] = "dfilbvs";

int type_of_letter(const std::string &s)
{
	if (s == "e")
		return TYPE_IMM16;
	if (s.size() == 1) {
		const char *p = strchr(type_letters, s[0]);
		if (p && *p)
			return (int)(p - type_letters);
	}
	return -2;
}

// Splits a line into words; a quoted text stays one word (quotes kept).
std::vector<std::string> words_of(const std::string &line)
{
	std::vector<std::string> out;
	size_t i = 0;
	while (i < line.size()) {
		while (i < line.size() && isspace((unsigned char)line[i]))
			i++;
		if (i >= line.size() || line[i] == ';')
			break;
		std::string word;
		if (line[i] == '"') {
			word += line[i++];
			while (i < line.size() && line[i] != '"') {
				if (line[i] == '\\' && i + 1 < line.size())
					word += line[i++];
				word += line[i++];
			}
			if (i < line.size())
				word += line[i++];
		} else {
			while (i < line.size() && !isspace((unsigned char)line[i]) && line[i] != ';')
				word += line[i++];
		}
		out.push_back(word);
	}
	return out;
}

std::string unquote(const std::string &word, bool &ok)
{
	ok = word.size() >= 2 && word.front() == '"' && word.back() == '"';
	std::string out;
	for (size_t i = 1; ok && i + 1 < word.size(); i++) {
		char c = word[i];
		if (c == '\\' && i + 2 < word.size()) {
			c = word[++i];
			c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
		}
		out += c;
	}
	return out;
}

class Assembler
{
public:
	Assembler(const AssemblerNames &names) : m_names(names) {}

	Assembly run(std::string_view text)
	{
		std::vector<Line> lines;
		if (!parse(text, lines))
			return std::move(m_out);
		for (const Line &line : lines)
			if (!emit(line))
				return std::move(m_out);
		return std::move(m_out);
	}

private:
	bool fail(int line, const std::string &what)
	{
		m_out.error = "line " + std::to_string(line) + ": " + what;
		return false;
	}

	// First pass: the lines, and the offset of every label.
	bool parse(std::string_view text, std::vector<Line> &lines)
	{
		std::istringstream in{std::string(text)};
		std::string raw;
		uint32_t offset = 0;
		int number = 0;
		while (std::getline(in, raw)) {
			number++;
			std::vector<std::string> words = words_of(raw);
			if (words.empty())
				continue;
			if (words[0].back() == ':') {
				m_labels[words[0].substr(0, words[0].size() - 1)] = offset;
				words.erase(words.begin());
				if (words.empty())
					continue;
			}
			Line line;
			line.number = number;
			std::string head = words[0];
			size_t dot = head.find('.');
			line.mnemonic = head.substr(0, dot);
			while (dot != std::string::npos) {
				size_t next = head.find('.', dot + 1);
				std::string suffix = head.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1);
				int type = suffix == "close" ? 100 : type_of_letter(suffix);
				if (type == -2)
					return fail(number, "unknown type suffix ." + suffix);
				(line.t1 < 0 ? line.t1 : line.t2) = type;
				dot = next;
			}
			line.args.assign(words.begin() + 1, words.end());
			if (line.mnemonic == "word") {
				offset += 4;
			} else {
				const OpcodeInfo *info = opcode_by_name(line.mnemonic);
				if (!info)
					return fail(number, "unknown mnemonic " + line.mnemonic);
				offset += 4 + (info->format == OPERAND ? type_operand_size(line.t1 < 0 ? 0 : line.t1) : 0);
			}
			lines.push_back(line);
		}
		return true;
	}

	void put32(uint32_t v)
	{
		for (int i = 0; i < 4; i++)
			m_out.bytes.push_back((uint8_t)(v >> (8 * i)));
	}

	bool number(const Line &line, size_t i, long long &out)
	{
		if (i >= line.args.size())
			return fail(line.number, "an operand is missing");
		const std::string &s = line.args[i];
		char *end = nullptr;
		out = strtoll(s.c_str(), &end, 0);
		if (end == s.c_str() || *end)
			return fail(line.number, "not a number: " + s);
		return true;
	}

	bool variable(const Line &line, uint32_t at, uint32_t &word, int32_t &field)
	{
		if (line.args.empty())
			return fail(line.number, "a variable operand is missing");
		std::string s = line.args[0];
		size_t dot = s.find('.');
		if (dot == std::string::npos)
			return fail(line.number, "a variable operand is SCOPE.NAME");
		std::string scope = s.substr(0, dot), name = s.substr(dot + 1);
		word = VAR_NOT_INDEXED | VAR_INSTANCE_IN_FIELD;
		if (name.size() > 2 && name.compare(name.size() - 2, 2, "[]") == 0) {
			word &= ~VAR_NOT_INDEXED;
			name.resize(name.size() - 2);
		}
		static const std::map<std::string, int> scopes = {{"self", -1},   {"other", -2}, {"all", -3},
		                                                  {"noone", -4},  {"global", -5}, {"unspec", -6},
		                                                  {"local", -7}};
		auto it = scopes.find(scope);
		field = 0;
		if (scope == "stack") {
			word &= ~VAR_INSTANCE_IN_FIELD;
		} else if (it != scopes.end()) {
			field = it->second;
		} else if (scope.size() > 2 && scope.compare(0, 2, "id") == 0) {
			field = atoi(scope.c_str() + 2);
			word |= VAR_ADD_INSTANCE_BASE;
		} else {
			char *end = nullptr;
			field = (int32_t)strtol(scope.c_str(), &end, 0);
			if (end == scope.c_str() || *end)
				return fail(line.number, "unknown scope " + scope);
		}
		int32_t id = 0;
		if (!name.empty() && name[0] == '#')
			id = atoi(name.c_str() + 1);
		else if (m_names.variable_id)
			id = m_names.variable_id(name);
		m_out.variables.push_back({name, at});
		word |= (uint32_t)id & VAR_ID_MASK;
		return true;
	}

	bool emit(const Line &line)
	{
		uint32_t at = (uint32_t)m_out.bytes.size();
		if (line.mnemonic == "word") {
			long long v;
			if (!number(line, 0, v))
				return false;
			put32((uint32_t)v);
			return true;
		}
		const OpcodeInfo *info = opcode_by_name(line.mnemonic);
		uint32_t t1 = line.t1 < 0 || line.t1 == 100 ? 0 : (uint32_t)line.t1;
		uint32_t t2 = line.t2 < 0 ? 0 : (uint32_t)line.t2;
		uint32_t word = (uint32_t)info->code << 24;
		if (info->format == BRANCH) {
			if (line.t1 == 100) {
				put32(word | ((uint32_t)POPENV_CLOSE_TYPES << 16));
				return true;
			}
			if (line.args.empty())
				return fail(line.number, "a branch needs a label or a distance");
			int64_t distance;
			auto label = m_labels.find(line.args[0]);
			if (label != m_labels.end()) {
				distance = ((int64_t)label->second - at) / 4;
			} else {
				long long v;
				if (!number(line, 0, v))
					return false;
				distance = v;
			}
			put32(word | ((uint32_t)distance & 0xFFFFFF));
			return true;
		}
		word |= t1 << 16 | t2 << 20;
		if (info->format == PLAIN) {
			put32(word);
			return true;
		}
		if (info->code == 0xDA) { // call
			long long argc = 0;
			if (line.args.size() < 2 || !number(line, 1, argc))
				return fail(line.number, "call needs a function and an argument count");
			const std::string &name = line.args[0];
			int32_t id = 0;
			if (name[0] == '#')
				id = atoi(name.c_str() + 1);
			else if (m_names.function_id)
				id = m_names.function_id(name);
			m_out.functions.push_back({name, at});
			put32(word | ((uint32_t)argc & 0xFFFF));
			if (type_operand_size(t1) >= 4)
				put32((uint32_t)id);
			if (type_operand_size(t1) == 8)
				put32(0);
			return true;
		}
		switch (t1) {
		case TYPE_VARIABLE: {
			uint32_t operand;
			int32_t field;
			if (!variable(line, at, operand, field))
				return false;
			put32(word | ((uint32_t)field & 0xFFFF));
			put32(operand);
			return true;
		}
		case TYPE_STRING: {
			bool ok;
			std::string text = line.args.empty() ? std::string() : unquote(line.args[0], ok);
			if (line.args.empty() || !ok)
				return fail(line.number, "a string operand is a quoted text");
			put32(word);
			put32((uint32_t)m_out.strings.size());
			m_out.strings.push_back(text);
			m_out.string_operands.push_back(at);
			return true;
		}
		case TYPE_DOUBLE:
		case TYPE_FLOAT: {
			if (line.args.empty())
				return fail(line.number, "a number is missing");
			char *end = nullptr;
			double d = strtod(line.args[0].c_str(), &end);
			if (*end)
				return fail(line.number, "not a number: " + line.args[0]);
			put32(word);
			if (t1 == TYPE_FLOAT) {
				float f = (float)d;
				uint32_t bits;
				memcpy(&bits, &f, 4);
				put32(bits);
			} else {
				uint64_t bits;
				memcpy(&bits, &d, 8);
				put32((uint32_t)bits);
				put32((uint32_t)(bits >> 32));
			}
			return true;
		}
		case TYPE_BOOL: {
			std::string v = line.args.empty() ? "" : line.args[0];
			put32(word);
			put32(v == "true" || v == "1" ? 1 : 0);
			return true;
		}
		case TYPE_IMM16: {
			long long v;
			if (!number(line, 0, v))
				return false;
			put32(word | ((uint32_t)v & 0xFFFF));
			return true;
		}
		default: {
			long long v = 0;
			if (type_operand_size(t1) > 0 && !number(line, 0, v))
				return false;
			put32(word);
			if (type_operand_size(t1) >= 4)
				put32((uint32_t)v);
			if (type_operand_size(t1) == 8)
				put32((uint32_t)((unsigned long long)v >> 32));
			return true;
		}
		}
	}

	const AssemblerNames &m_names;
	Assembly m_out;
	std::map<std::string, uint32_t> m_labels;
};

} // namespace

Assembly assemble(std::string_view text, const AssemblerNames &names)
{
	return Assembler(names).run(text);
}

std::shared_ptr<CCode> assemble_code(const std::string &name, std::string_view text, const AssemblerNames &names,
                                     std::string *error)
{
	Assembly assembly = assemble(text, names);
	if (!assembly.error.empty()) {
		if (error)
			*error = assembly.error;
		return nullptr;
	}
	auto code = std::make_shared<CCode>();
	code->kind = CODE_STATEMENTS;
	code->compiled = true;
	code->name = name;
	// The strings live in the texts object that the piece shares.
	auto owned = std::make_shared<std::vector<std::string>>(std::move(assembly.strings));
	auto texts = std::shared_ptr<StringTexts>(new StringTexts, [owned](StringTexts *t) { delete t; });
	for (const std::string &s : *owned)
		texts->texts.push_back(s);
	code->strings = texts;
	code->set_owned_bytecode(std::move(assembly.bytes));
	return code;
}
