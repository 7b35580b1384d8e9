// "setoption": the options a front end may set while no search runs.
#pragma once

// Serves a whole setoption line, in the protocol's form
// ("setoption hashsize 64") or the form some front ends send
// ("setoption name hashsize value 64"). Understood: hashsize, usemillisec,
// newgame, bookfiles, loadbook. Any other option, and a value that does not
// read, changes nothing. Nothing is printed.
void serveSetOption(const char* line);

// The table size a hashsize value asks for: megabytes clamped to the
// advertised 16..1024, or 0 when the table stays as it is (a value of 0, or
// one that is not a plain number).
int hashSizeOptionMb(const char* value);
