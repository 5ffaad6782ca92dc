// test_util.h: helpers shared by the unit tests: temporary folders, running the
// programs, capturing the debug console.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/console.h"

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir
{
public:
	TempDir();
	~TempDir();
	const std::string &path() const { return m_path; }
	std::string file(const std::string &name) const { return m_path + "/" + name; }
	// Writes a file, making the folders on its path.
	void write(const std::string &name, const std::string &text) const;
	void write(const std::string &name, const std::vector<uint8_t> &bytes) const;

private:
	std::string m_path;
};

struct ProgramResult
{
	int exit_code = -1;
	std::string out, err;
	std::vector<std::string> out_lines() const;
};

// Runs a program with arguments (no shell), capturing both output streams,
// in the given working folder (the current one when empty).
ProgramResult run_program(const std::string &program, const std::vector<std::string> &args,
                          const std::string &cwd = "");

// Collects what the debug console writes while the object lives.
class ConsoleCapture
{
public:
	ConsoleCapture();
	~ConsoleCapture();
	const std::string &text() const { return m_text; }
	std::vector<std::string> lines() const;

private:
	std::string m_text;
};

std::vector<std::string> split_lines(const std::string &text);
