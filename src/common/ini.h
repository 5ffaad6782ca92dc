// ini.h: INI text, read into sections of key/value entries and written back.
// Newer sections and entries stand first; look-ups take the first match, so a
// later duplicate in the file wins. Names compare byte for byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniFile
{
public:
	struct Entry
	{
		std::string key, value;
	};
	struct Section
	{
		std::string name;
		std::vector<Entry> entries; // newest first
	};

	// Replaces the contents with the parsed text.
	void parse(std::string_view text);
	// Reads a file; false when it cannot be read.
	bool load(const std::string &path);
	// The text form: sections and entries in list order, CR LF line ends.
	std::string text() const;

	std::optional<std::string> get(std::string_view section, std::string_view key) const;
	void set(std::string_view section, std::string_view key, std::string_view value);
	bool has_section(std::string_view section) const;
	bool remove_key(std::string_view section, std::string_view key);
	bool remove_section(std::string_view section);

	const std::vector<Section> &sections() const { return m_sections; }

private:
	Section *find(std::string_view section);
	const Section *find(std::string_view section) const;
	std::vector<Section> m_sections; // newest first
};
