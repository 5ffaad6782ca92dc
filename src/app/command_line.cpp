// command_line.cpp: command-line tokens and options.
#include "app/command_line.h"

#include <cstdlib>

#include "common/ini.h"

const char *const USAGE =
	"usage: zentrix [-game PATH | GAMEFILE] [-debug] [-trace] [-ext] [-oldexec] [-noaudio] [-inawindow]\n"
	"               [-record FILE | -playback FILE] [-bp NAME@LINE] [--headless] [--frames N] [--unpaced]\n"
	"               [--screenshot FILE] [--help]\n";

std::vector<std::string> tokenize_command_line(std::string_view line)
{
	std::vector<std::string> tokens;
	size_t i = 0;
	while (i < line.size()) {
		while (i < line.size() && (unsigned char)line[i] <= 32)
			i++;
		if (i >= line.size())
			break;
		std::string token;
		bool quoted = false;
		while (i < line.size() && (quoted || (unsigned char)line[i] > 32)) {
			if (line[i] == '"')
				quoted = !quoted;
			else
				token += line[i];
			i++;
		}
		tokens.push_back(std::move(token));
	}
	return tokens;
}

std::string command_line_from_args(int argc, const char *const *argv)
{
	std::string line;
	for (int i = 0; i < argc; i++) {
		std::string_view arg = argv[i];
		if (i > 0)
			line += ' ';
		bool quote = arg.empty();
		for (char c : arg)
			if ((unsigned char)c <= 32)
				quote = true;
		if (quote)
			line += '"';
		line += arg;
		if (quote)
			line += '"';
	}
	if (line.size() > COMMAND_LINE_MAX - 1)
		line.resize(COMMAND_LINE_MAX - 1);
	return line;
}

namespace {

void set_debug(Settings &s, bool on)
{
	s.debug = on;
	if (on) {
		s.debug_output_level = 2;
		s.physics_assert_report = true;
	}
}

void add_breakpoint(Settings &s, const std::string &token)
{
	if (s.breakpoints.size() >= MAX_BREAKPOINTS)
		return;
	Breakpoint bp;
	size_t at = token.find('@');
	if (at == std::string::npos) {
		bp.name = token;
		bp.line = -1;
	} else {
		bp.name = token.substr(0, at);
		bp.line = atoi(token.c_str() + at + 1) - 1;
	}
	s.breakpoints.push_back(bp);
}

bool parse_count(const std::string &text, long &out)
{
	char *end = nullptr;
	long v = strtol(text.c_str(), &end, 10);
	if (text.empty() || *end != 0 || v < 0)
		return false;
	out = v;
	return true;
}

} // namespace

void parse_command_line(std::string_view line, Settings &s, bool game_options)
{
	s = Settings();
	std::vector<std::string> tokens = tokenize_command_line(line);
	for (size_t i = 0; i < tokens.size(); i++) {
		const std::string &t = tokens[i];
		bool has_next = i + 1 < tokens.size();
		// The runner's own options.
		if (t == "--headless") {
			s.headless = true;
			continue;
		}
		if (t == "--unpaced") {
			s.unpaced = true;
			continue;
		}
		if (t == "--help" || t == "-h") {
			s.help = true;
			continue;
		}
		if (t == "--frames") {
			if (!has_next || !parse_count(tokens[i + 1], s.frames))
				s.problem = "--frames needs a count of frames";
			i += has_next;
			continue;
		}
		if (t == "--screenshot") {
			if (!has_next)
				s.problem = "--screenshot needs a file name";
			else
				s.screenshot = tokens[i + 1];
			i += has_next;
			continue;
		}
		if (!game_options)
			continue;
		// The game's options, compared exactly.
		if (t == "-debug")
			set_debug(s, true);
		else if (t == "-trace")
			s.trace = true;
		else if (t == "-ext")
			s.external_calls_suppressed = true;
		else if (t == "-oldexec")
			s.bytecode = false;
		else if (t == "-noaudio")
			s.no_audio = true;
		else if (t == "-inawindow")
			s.in_a_window = true;
		else if (t == "-game") {
			if (has_next && s.game_path.empty())
				s.game_path = tokens[i + 1];
			i += has_next;
		} else if (t == "-record") {
			s.record = true;
			if (has_next)
				s.input_file = tokens[i + 1];
			i += has_next;
		} else if (t == "-playback") {
			s.playback = true;
			if (has_next)
				s.input_file = tokens[i + 1];
			i += has_next;
		} else if (t == "-bp") {
			if (has_next)
				add_breakpoint(s, tokens[i + 1]);
			i += has_next;
		} else
			s.others.push_back(t);
	}
}

void apply_options_ini(const std::string &path, Settings &s)
{
	IniFile ini;
	if (!ini.load(path))
		return;
	auto on = [](const std::string &v) { return atoi(v.c_str()) != 0; };
	if (auto v = ini.get("DEFAULT", "Debug")) {
		s.debug = on(*v);
		if (s.debug) {
			s.debug_output_level = 2;
			s.physics_assert_report = true;
		}
	}
	if (auto v = ini.get("DEFAULT", "Trace"))
		s.trace = on(*v);
	// OrientLandscape and OrientPortrait set the screen orientation, which has no
	// effect on this platform.
}
