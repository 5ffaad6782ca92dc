// file_util.cpp: whole-file reads and atomic writes.
#include "common/file_util.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool file_exists(const std::string &path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool read_file(const std::string &path, std::vector<uint8_t> &out, std::string &error)
{
	FILE *f = fopen(path.c_str(), "rb");
	if (!f) {
		error = strerror(errno);
		return false;
	}
	struct stat st;
	if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
		error = "not a regular file";
		fclose(f);
		return false;
	}
	out.resize((size_t)st.st_size);
	size_t got = out.empty() ? 0 : fread(out.data(), 1, out.size(), f);
	bool ok = got == out.size() && !ferror(f);
	if (!ok)
		error = "read error";
	fclose(f);
	return ok;
}

bool write_file_atomic(const std::string &path, const void *data, size_t size, std::string &error)
{
	std::string temp = path + ".tmp" + std::to_string(getpid());
	FILE *f = fopen(temp.c_str(), "wb");
	if (!f) {
		error = strerror(errno);
		return false;
	}
	bool ok = (size == 0 || fwrite(data, 1, size, f) == size);
	ok = (fflush(f) == 0) && ok;
	ok = (fclose(f) == 0) && ok;
	if (!ok) {
		error = strerror(errno);
		remove(temp.c_str());
		return false;
	}
	if (rename(temp.c_str(), path.c_str()) != 0) {
		error = strerror(errno);
		remove(temp.c_str());
		return false;
	}
	return true;
}
