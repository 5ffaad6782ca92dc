// test_util.cpp: helpers shared by the unit tests.
#include "test_util.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

TempDir::TempDir()
{
	std::string pattern = (std::filesystem::temp_directory_path() / "zentrix-test-XXXXXX").string();
	std::vector<char> buffer(pattern.begin(), pattern.end());
	buffer.push_back(0);
	if (!mkdtemp(buffer.data()))
		abort();
	m_path = buffer.data();
}

TempDir::~TempDir()
{
	std::error_code ec;
	std::filesystem::remove_all(m_path, ec);
}

void TempDir::write(const std::string &name, const std::string &text) const
{
	std::error_code ec;
	std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path(), ec);
	std::ofstream(file(name), std::ios::binary) << text;
}

void TempDir::write(const std::string &name, const std::vector<uint8_t> &bytes) const
{
	std::error_code ec;
	std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path(), ec);
	std::ofstream out(file(name), std::ios::binary);
	out.write((const char *)bytes.data(), (std::streamsize)bytes.size());
}

std::vector<std::string> split_lines(const std::string &text)
{
	std::vector<std::string> lines;
	std::istringstream in(text);
	std::string line;
	while (std::getline(in, line))
		lines.push_back(line);
	return lines;
}

std::vector<std::string> ProgramResult::out_lines() const { return split_lines(out); }

namespace {

std::string slurp(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream s;
	s << in.rdbuf();
	return s.str();
}

} // namespace

ProgramResult run_program(const std::string &program, const std::vector<std::string> &args,
                          const std::string &cwd)
{
	TempDir capture;
	std::string out_path = capture.file("out"), err_path = capture.file("err");
	fflush(stdout);
	pid_t pid = fork();
	if (pid == 0) {
		int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		int in = open("/dev/null", O_RDONLY);
		dup2(out, 1);
		dup2(err, 2);
		dup2(in, 0);
		// The programs render through the GL driver, whose threads the leak
		// checker cannot stop at exit.
		setenv("ASAN_OPTIONS", "detect_leaks=0", 0);
		if (!cwd.empty() && chdir(cwd.c_str()) != 0)
			_exit(126);
		std::vector<char *> argv;
		argv.push_back(const_cast<char *>(program.c_str()));
		for (const std::string &a : args)
			argv.push_back(const_cast<char *>(a.c_str()));
		argv.push_back(nullptr);
		execv(program.c_str(), argv.data());
		_exit(127);
	}
	ProgramResult result;
	int status = 0;
	waitpid(pid, &status, 0);
	result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	result.out = slurp(out_path);
	result.err = slurp(err_path);
	return result;
}

ConsoleCapture::ConsoleCapture()
{
	dbg_console().SetListener([this](const std::string &text) { m_text += text; });
	err_console().SetListener([this](const std::string &text) { m_text += text; });
}

ConsoleCapture::~ConsoleCapture()
{
	dbg_console().SetListener(nullptr);
	err_console().SetListener(nullptr);
}

std::vector<std::string> ConsoleCapture::lines() const { return split_lines(m_text); }
