// ini.cpp: INI reading and writing.
#include "common/ini.h"

#include <fstream>
#include <sstream>

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Skips white space and comments; tells whether a line feed was passed.
size_t skip_space(std::string_view t, size_t i, bool *passed_newline = nullptr)
{
	while (i < t.size()) {
		if (is_space(t[i])) {
			if (t[i] == '\n' && passed_newline)
				*passed_newline = true;
			i++;
		} else if (t[i] == '#' || t[i] == ';') {
			while (i < t.size() && t[i] != '\n')
				i++;
		} else
			break;
	}
	return i;
}

} // namespace

void IniFile::parse(std::string_view t)
{
	m_sections.clear();
	size_t i = t.find('[');
	while (i != std::string_view::npos && i < t.size()) {
		// A section header: every byte up to "]".
		size_t close = t.find(']', i + 1);
		if (close == std::string_view::npos)
			break;
		m_sections.insert(m_sections.begin(), Section{std::string(t.substr(i + 1, close - i - 1)), {}});
		Section &section = m_sections.front();
		i = close + 1;
		for (;;) {
			i = skip_space(t, i);
			if (i >= t.size() || t[i] == '[')
				break;
			// The key runs to "="; a line without one holds no entry.
			size_t key_start = i;
			while (i < t.size() && t[i] != '=' && t[i] != '\n' && t[i] != '[')
				i++;
			if (i >= t.size() || t[i] != '=')
				continue;
			size_t key_end = i;
			while (key_end > key_start && is_space(t[key_end - 1]))
				key_end--;
			std::string key(t.substr(key_start, key_end - key_start));
			i++;
			bool newline = false;
			size_t v = i;
			while (v < t.size() && (t[v] == ' ' || t[v] == '\t' || t[v] == '\r' || t[v] == '\n')) {
				newline |= t[v] == '\n';
				v++;
			}
			if (newline) {
				i = v;
				continue;
			}
			size_t value_end = v;
			while (value_end < t.size() && t[value_end] != '\r' && t[value_end] != '\n' && t[value_end] != '#' &&
			       t[value_end] != ';')
				value_end++;
			i = value_end;
			while (value_end > v && (t[value_end - 1] == ' ' || t[value_end - 1] == '\t'))
				value_end--;
			section.entries.insert(section.entries.begin(),
			                       Entry{std::move(key), std::string(t.substr(v, value_end - v))});
		}
		if (i >= t.size())
			break;
	}
}

bool IniFile::load(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	if (!in)
		return false;
	std::ostringstream text;
	text << in.rdbuf();
	parse(text.str());
	return true;
}

std::string IniFile::text() const
{
	std::string out;
	for (const Section &s : m_sections) {
		out += "[" + s.name + "]\r\n";
		for (const Entry &e : s.entries)
			out += e.key + "=" + e.value + "\r\n";
	}
	return out;
}

IniFile::Section *IniFile::find(std::string_view section)
{
	for (Section &s : m_sections)
		if (s.name == section)
			return &s;
	return nullptr;
}

const IniFile::Section *IniFile::find(std::string_view section) const
{
	return const_cast<IniFile *>(this)->find(section);
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const
{
	if (const Section *s = find(section))
		for (const Entry &e : s->entries)
			if (e.key == key)
				return e.value;
	return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value)
{
	Section *s = find(section);
	if (!s) {
		m_sections.insert(m_sections.begin(), Section{std::string(section), {}});
		s = &m_sections.front();
	}
	for (Entry &e : s->entries)
		if (e.key == key) {
			e.value = value;
			return;
		}
	s->entries.insert(s->entries.begin(), Entry{std::string(key), std::string(value)});
}

bool IniFile::has_section(std::string_view section) const { return find(section) != nullptr; }

bool IniFile::remove_key(std::string_view section, std::string_view key)
{
	Section *s = find(section);
	if (!s)
		return false;
	for (auto it = s->entries.begin(); it != s->entries.end(); ++it)
		if (it->key == key) {
			s->entries.erase(it);
			return true;
		}
	return false;
}

bool IniFile::remove_section(std::string_view section)
{
	for (auto it = m_sections.begin(); it != m_sections.end(); ++it)
		if (it->name == section) {
			m_sections.erase(it);
			return true;
		}
	return false;
}
