// The program entry: the executable's main() hands its arguments here, and
// the current application's main() gets them as one command line.
#pragma once

// Joins the arguments after the program name into one command line (an
// argument containing a space or tab, or an empty one, is put in double
// quotes) and calls currentApp->main with a count of 1 and that line as the
// only argument, or a count of 0 when the line is empty. Returns 0 when there
// is no current application, else what main returns.
int runApplicationMain(int argc, char** argv);
