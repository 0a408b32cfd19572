#pragma once

// Removal of temporary files when the process is told to stop: while a path
// is armed, SIGINT, SIGTERM and SIGHUP unlink it and then take the effect
// they had before (ending the process unless the program handles them). A
// signal that was ignored stays ignored and removes nothing. The handlers are
// in place only while at least one path is armed.

// Arms path; returns a slot for disarmRemovalOnSignal, or -1 when the path is
// too long or every slot is taken (the file is then not removed on a signal).
int armRemovalOnSignal(const char* path);

// Forgets the slot (the file itself is left alone); -1 does nothing.
void disarmRemovalOnSignal(int slot);
