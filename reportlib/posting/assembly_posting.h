// Assembly posting (command 326): posts the unposted assembly transactions
// of a chosen date's fiscal period.
#pragma once

// Entry of command 326.  Returns 0, 27 when its window cannot be opened.
int RunAssemblyPost();
