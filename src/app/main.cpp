// main.cpp: the zentrix program.
#include "app/startup.h"

int main(int argc, char **argv)
{
	Runner runner;
	return runner.run(argc, argv);
}
