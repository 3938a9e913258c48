// Purge of files (command 390): removes one kind of old records chosen on
// its screen.
#pragma once

// Entry of command 390.  Returns 0, 1 when its screen could not be
// prepared.
int RunPurgeFiles();
